// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/picture_box.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace forms {

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) { }

void PictureBox::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // initFrom() marks a focus that came from the keyboard; styles that
    // draw the frame only then (Fusion) leave a mouse click unmarked.
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    option.backgroundColor = palette().color(backgroundRole());
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

} // namespace forms
