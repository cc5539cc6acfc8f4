// SPDX-License-Identifier: GPL-3.0-or-later
// The main window where its designed layout does not fit the screen (a
// phone): the same controls, texts and tab order, laid out for a finger
// across the whole screen, the window without its frame. Held upright the
// texts are of a 14 px font and every control at least 44 x 44 pixels; on a
// turned phone as large as the height allows, never smaller than the
// desktop's, and no control under 24 x 24.

#include "ui/main/form1.h"

#include "forms/label.h"
#include "forms/line.h"
#include "forms/progress_bar.h"
#include "ui_form1.h"

#include <QApplication>
#include <QGridLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>

#include <algorithm>

// The application's style with menu titles and items large enough for a finger.
class FingerStyle : public QProxyStyle {
public:
    FingerStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) { }

    int target = 44;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        const QSize natural = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem)
            return natural.expandedTo(QSize(target, target));
        if (type == CT_MenuItem)
            return {natural.width(), std::max(natural.height(), target)};
        return natural;
    }
};

namespace {

using forms::kDesignedFontPixels;
using forms::kFingerFontPixels;
using forms::kFingerTarget;
using forms::kSmallTarget;

// Free of any size a layout had set.
void Free(QWidget* widget)
{
    widget->setMinimumSize(0, 0);
    widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

} // namespace

void Form1::Arrange()
{
    QWidget* window = Window();
    Arrangement wanted = Arrangement::Designed;
    // A screen of no size (a page not laid out yet) says nothing.
    if (!window->screen()->availableGeometry().isEmpty() && !forms::FitsScreen(window, designedSize_)) {
        const QSize room = window->screen()->availableGeometry().size();
        wanted = room.height() >= room.width() ? Arrangement::Upright : Arrangement::Turned;
    }
    if (wanted == Arrangement::Designed) {
        if (arrangement_ != Arrangement::Designed)
            LayOutAsDesigned();
        arrangement_ = wanted;
        return;
    }
    // The largest text and targets that leave the whole window on the screen.
    const QSize screen = window->screen()->geometry().size();
    for (const int target : {kFingerTarget, kSmallTarget})
        for (int pixels = kFingerFontPixels; pixels >= kDesignedFontPixels; --pixels) {
            LayOutForFinger(wanted == Arrangement::Upright, pixels, target);
            if (window->minimumSizeHint().height() <= screen.height()
                && window->minimumSizeHint().width() <= screen.width()) {
                arrangement_ = wanted;
                return;
            }
        }
    arrangement_ = wanted;
}

// Showing a window sizes it to its layout, which ends a full screen asked
// for before: it is asked again once shown.
bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Window() && event->type() == QEvent::Show
        && arrangement_ != Arrangement::Designed)
        Window()->setWindowState(Qt::WindowFullScreen);
    return Form::eventFilter(watched, event);
}

void Form1::LayOutAsDesigned()
{
    auto* window = static_cast<QMainWindow*>(Window());
    delete ui->centralwidget->layout();
    for (QWidget* widget : {static_cast<QWidget*>(window), static_cast<QWidget*>(ui->controls),
                            static_cast<QWidget*>(ui->help)}) {
        widget->setFont(QFont());
        if (widget != window)
            widget->setStyle(nullptr);
    }
    window->menuBar()->setStyle(nullptr);
    for (QWidget* child : ui->centralwidget->findChildren<QWidget*>())
        Free(child);
    designed_.Apply();
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    window->setWindowState(Qt::WindowNoState);
    window->adjustSize();
    // Whole: nothing of the other arrangement may stay on the screen.
    window->update();
}

void Form1::LayOutForFinger(bool upright, int fontPixels, int target)
{
    auto* window = static_cast<QMainWindow*>(Window());
    QWidget* central = ui->centralwidget;
    delete central->layout();
    for (QWidget* child : central->findChildren<QWidget*>())
        Free(child);
    Free(central);
    window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);

    QFont font = QApplication::font();
    font.setPixelSize(fontPixels);
    if (!fingerStyle_)
        fingerStyle_ = new FingerStyle;
    fingerStyle_->setParent(this);
    fingerStyle_->target = target;
    window->setFont(font);
    window->menuBar()->setStyle(fingerStyle_);
    for (QMenu* menu : {ui->controls, ui->help}) {
        menu->setFont(font);
        menu->setStyle(fingerStyle_);
    }

    auto* column = new QGridLayout(central);
    const int margin = upright ? 12 : 8;
    column->setContentsMargins(margin, margin / 2, margin, margin / 2);
    column->setVerticalSpacing(upright ? 6 : 2);
    // The input: the heading above the box, the two buttons beside it.
    for (QWidget* control : {static_cast<QWidget*>(ui->Text1), static_cast<QWidget*>(ui->Command1),
                             static_cast<QWidget*>(ui->Command2)})
        control->setMinimumSize(target, target);
    auto* input = new QGridLayout;
    input->setHorizontalSpacing(margin);
    input->addWidget(ui->Label1, 0, 0);
    input->addWidget(ui->Text1, 1, 0);
    input->addWidget(ui->Command1, 1, 1);
    input->addWidget(ui->Command2, 1, 2);
    for (int i = 0; i < 3; ++i)
        input->setColumnStretch(i, 1);
    int row = 0;
    column->addLayout(input, row++, 0, 1, 3);
    ui->Line1->setFixedHeight(1);
    column->addWidget(ui->Line1, row++, 0, 1, 3);

    // A band for each level: upright its count and shortfall above the bar,
    // turned beside it; under the bar its scale, then a rule.
    forms::Line* const rules[] = {ui->Line2, ui->Line3, ui->Line4, ui->Line5, ui->Line6};
    const int barHeight = upright ? 20 : std::max(12, fontPixels + 2);
    for (std::size_t k = 0; k < bands_.size(); ++k) {
        const Band& band = bands_[k];
        band.count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        band.shortfall->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        band.bar->setFixedHeight(barHeight);
        auto* scale = new QGridLayout;
        scale->setContentsMargins(0, 0, 0, 0);
        const Qt::Alignment ends[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        for (int i = 0; i < 3; ++i) {
            band.scale[i]->setAlignment(ends[i] | Qt::AlignTop);
            scale->addWidget(band.scale[i], 0, i);
            scale->setColumnStretch(i, 1);
        }
        if (upright) {
            column->addWidget(band.count, row, 0, 1, 2);
            column->addWidget(band.shortfall, row++, 2);
            column->addWidget(band.bar, row++, 0, 1, 3);
            column->addLayout(scale, row, 0, 1, 3);
            column->setRowStretch(row++, 1);
        } else {
            column->addWidget(band.count, row, 0);
            column->addWidget(band.bar, row, 1);
            column->addWidget(band.shortfall, row++, 2);
            column->addLayout(scale, row, 1);
            column->setRowStretch(row++, 1);
        }
        rules[k]->setFixedHeight(1);
        column->addWidget(rules[k], row++, 0, 1, 3);
    }
    if (!upright)
        column->setColumnStretch(1, 1);
    // Over the whole screen, again if the screen has changed size since.
    if (window->isFullScreen() && window->geometry() != window->screen()->geometry())
        window->setWindowState(Qt::WindowNoState);
    window->setWindowState(Qt::WindowFullScreen);
    window->update();
}
