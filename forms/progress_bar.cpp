// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/progress_bar.h"

#include "forms/errors.h"

#include <QAccessible>
#include <QStyleOptionProgressBar>
#include <QStylePainter>

#include <cmath>

namespace forms {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) { }

void ProgressBar::SetMin(int min)
{
    min_ = min;
    update();
}

void ProgressBar::SetMax(int max)
{
    max_ = max;
    update();
}

void ProgressBar::SetValue(float value)
{
    // Written so that NaN fails too.
    if (!(value >= Min() && value <= Max()))
        Raise(kInvalidPropertyValue);
    if (value == value_)
        return;
    value_ = value;
    update();
    QAccessibleValueChangeEvent event(this, value_);
    QAccessible::updateAccessibility(&event);
}

void ProgressBar::paintEvent(QPaintEvent*)
{
    // What QProgressBar draws for a horizontal bar without text.
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.minimum = min_;
    option.maximum = max_;
    option.progress = static_cast<int>(std::lround(value_));
    option.textAlignment = Qt::AlignLeft;
    option.textVisible = false;
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}

} // namespace forms
