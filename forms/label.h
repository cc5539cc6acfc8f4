// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLabel>

namespace forms {

// A windowless label, as the classic runtime drew them: the text is painted
// by the window behind it, so a caption wider than its box runs past the
// box (keeping its alignment) instead of being clipped. Captions wrap at
// blanks within the box's width, top-aligned (a box one line high only when
// its line would otherwise leave the window), and a run of two or more
// blanks, which the captions use to put the next item on a line of its own,
// starts a new line. QLabel::setText sets the text, through any pointer.
class Label : public QLabel {
    Q_OBJECT

public:
    explicit Label(QWidget* parent = nullptr);

    QString DisplayText() const;
    // Where the text is drawn, in the parent's coordinates; may exceed geometry().
    QRect InkRect() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent*) override { }

private:
    int DrawFlags() const;
    void WatchParent();
    void Settle();

    QWidget* watched_ = nullptr;
    // The text and its ink as the window last drew them whole.
    QString drawnText_;
    QRect drawnInk_;
};

} // namespace forms
