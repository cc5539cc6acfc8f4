// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/arrangement.h"

#include <QLabel>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace forms {

StoredLayout::StoredLayout(QWidget* container) : container_(container), size_(container->size())
{
    for (QWidget* child : container->findChildren<QWidget*>()) {
        if (child->isWindow())
            continue;
        const auto* label = qobject_cast<const QLabel*>(child);
        children_.push_back({child, child->geometry(), child->font(),
                             child->testAttribute(Qt::WA_SetFont),
                             label ? label->alignment() : Qt::Alignment()});
    }
}

void StoredLayout::Apply(qreal scale, const QHash<QString, QRect>& moved, QSize size) const
{
    if (!container_)
        return;
    const auto scaled = [scale](int value) { return int(std::lround(value * scale)); };
    // A misspelt name would leave its control where it was: stop loudly.
    for (auto name = moved.keyBegin(); name != moved.keyEnd(); ++name)
        if (std::none_of(children_.begin(), children_.end(), [&](const Child& child) {
                return child.widget && child.widget->objectName() == *name;
            }))
            qFatal("StoredLayout: %s has no control named %s", qPrintable(container_->objectName()),
                   qPrintable(*name));
    const QSize target = size.isEmpty() ? size_ : size;
    container_->setFixedSize(scaled(target.width()), scaled(target.height()));
    for (const Child& child : children_) {
        if (!child.widget)
            continue;
        const QRect place = moved.value(child.widget->objectName(), child.geometry);
        child.widget->setGeometry(scaled(place.x()), scaled(place.y()), scaled(place.width()),
                                  scaled(place.height()));
        if (auto* label = qobject_cast<QLabel*>(child.widget.data()))
            label->setAlignment(child.alignment);
        if (scale == 1) {
            child.widget->setFont(child.ownFont ? child.font : QFont());
        } else {
            QFont font = child.font;
            font.setPointSizeF(font.pointSizeF() * scale);
            child.widget->setFont(font);
        }
    }
}

namespace {

// The frame around the window's client area, known once the window is shown
// (asked before, some platforms would make a window of their own).
QMargins Frame(QWidget* window)
{
    return window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
}

} // namespace

bool FitsScreen(QWidget* window, QSize client)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return true;
    const QMargins frame = Frame(window);
    const QSize room = screen->availableGeometry().size();
    return client.width() + frame.left() + frame.right() <= room.width()
           && client.height() + frame.top() + frame.bottom() <= room.height();
}

void KeepOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen || window->isFullScreen() || window->isMaximized())
        return;
    const QRect room = screen->availableGeometry();
    const QRect frame = window->geometry().marginsAdded(Frame(window));
    if (room.contains(frame))
        return;
    QRect centred(QPoint(), frame.size());
    centred.moveCenter(room.center());
    window->move(std::max(room.left(), centred.left()), std::max(room.top(), centred.top()));
}

} // namespace forms
