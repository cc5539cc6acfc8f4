// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Windows laid out for the screen they are on: a window keeps the layout of
// its description wherever it fits, and takes another where it does not.

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

namespace forms {

// The text and the smallest control on a phone held upright, and the least a
// control may be anywhere (WCAG 2.5.8); the dialog font the windows were
// designed with, in pixels.
constexpr int kDesignedFontPixels = 10;
constexpr int kFingerFontPixels = 14;
constexpr int kFingerTarget = 44;
constexpr int kSmallTarget = 24;

// The layout a description gave the children of a widget: each one's place
// and font, and the widget's size. Lays them out again at another scale or
// with some moved, and back exactly as they were.
class StoredLayout {
public:
    StoredLayout() = default;
    explicit StoredLayout(QWidget* container);

    QSize Size() const { return size_; }

    // Every child at its stored place, or at the one MOVED gives by name,
    // the container fixed at SIZE (its stored size when empty); all of it,
    // and the text, SCALE times larger. A name in MOVED that no child has
    // ends the program.
    void Apply(qreal scale = 1, const QHash<QString, QRect>& moved = {}, QSize size = {}) const;

private:
    struct Child {
        QPointer<QWidget> widget;
        QRect geometry;
        QFont font;
        bool ownFont;
        Qt::Alignment alignment;
    };
    QPointer<QWidget> container_;
    QSize size_;
    std::vector<Child> children_;
};

// Whether a window whose client area is CLIENT fits, frame and all, in the
// room its screen leaves for windows.
bool FitsScreen(QWidget* window, QSize client);

// A window that would reach past that room goes to its middle.
void KeepOnScreen(QWidget* window);

} // namespace forms
