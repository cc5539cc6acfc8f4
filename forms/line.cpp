// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/line.h"

#include "forms/accessible.h"

#include <QPainter>

namespace forms {

Line::Line(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // A rule says nothing to a screen reader.
    HideFromAccessibility(this);
}

void Line::SetDotted(bool dotted)
{
    dotted_ = dotted;
    update();
}

void Line::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::WindowText);
    if (!dotted_) {
        painter.fillRect(rect(), colour);
        return;
    }
    // Whole logical pixels, so the dots stay crisp at any scale factor.
    for (int x = 0; x < width(); x += 2)
        painter.fillRect(x, 0, 1, height(), colour);
}

} // namespace forms
