// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/form1.h"

#include "forms/accessible.h"
#include "forms/convert.h"
#include "forms/errors.h"
#include "forms/label.h"
#include "forms/progress_bar.h"
#include "tally/calculation.h"
#include "tally/window_texts.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/frm_about.h"
#include "ui_form1.h"

#include <QCursor>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QShortcut>

Form1::Form1() : ui(std::make_unique<Ui::Form1>()) { }

Form1::~Form1() = default;

namespace {
QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}
} // namespace

QWidget* Form1::BuildWindow()
{
    auto* window
        = new QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                       | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->setupUi(window);
    // The client area below the menu bar is fixed at the .ui's minimum; the
    // window follows it.
    ui->centralwidget->setFixedSize(ui->centralwidget->minimumSize());
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->Text1->setFocus(); // the first control in tab order that takes focus
    ui->Command1->setCursor(QCursor(QPixmap(QStringLiteral(":/assets/cursor.ico")), 2, 2));

    // Each band from its level: the controls by name, the caption, and the
    // bar's range, scale and name from the level's target.
    for (int i = 0; i < kTallyLevels; ++i) {
        const BandNames& names = kBandNames[i];
        Band& band = bands_[i];
        band.level = static_cast<TallyLevel>(i);
        band.count = window->findChild<forms::Label*>(names.count);
        band.bar = window->findChild<forms::ProgressBar*>(names.bar);
        band.shortfall = window->findChild<forms::Label*>(names.shortfall);
        band.count->setText(FromUtf8(texts::DesignedCount(band.level)));
        band.bar->SetMin(texts::ScaleMark(band.level, 0));
        band.bar->SetMax(texts::ScaleMark(band.level, 2));
        for (int mark = 0; mark < 3; ++mark) {
            band.scale[mark] = window->findChild<forms::Label*>(names.scale[mark]);
            band.scale[mark]->setText(FromUtf8(texts::Decimal(texts::ScaleMark(band.level, mark))));
            // The bar reports its own range: the scale numbers would only repeat it.
            forms::HideFromAccessibility(band.scale[mark]);
        }
        band.bar->setAccessibleName(FromUtf8(texts::BarName(band.level)));
    }
    announcer_ = new forms::Announcer(ui->centralwidget);
    designed_ = forms::StoredLayout(ui->centralwidget);
    window->adjustSize();
    designedSize_ = window->size();
    arrangement_ = Arrangement::Designed;

    // The menus carry no access keys, so F10 opens the menu bar from the keyboard.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), window);
    connect(menuKey, &QShortcut::activated, window,
            [this, window] { window->menuBar()->setActiveAction(ui->controls->menuAction()); });

    connect(ui->Text1, &QLineEdit::textChanged, this, Handler(&Form1::Text1_Change));
    connect(ui->Command1, &QPushButton::clicked, this, Handler(&Form1::Command1_Click));
    connect(ui->Command2, &QPushButton::clicked, this, Handler(&Form1::Command2_Click));
    connect(ui->clac, &QAction::triggered, this, Handler(&Form1::clac_Click));
    connect(ui->riep, &QAction::triggered, this, Handler(&Form1::riep_Click));
    connect(ui->exit, &QAction::triggered, this, Handler(&Form1::exit_Click));
    connect(ui->abt, &QAction::triggered, this, Handler(&Form1::abt_Click));
    return window;
}

void Form1::Form_Load()
{
    tally_.Reset();
    ui->Command1->setEnabled(false);
    ui->Command2->setEnabled(false);
}

void Form1::Text1_Change()
{
    ui->Command1->setEnabled(true);
    ui->Command2->setEnabled(false);
}

void Form1::Command1_Click()
{
    const std::int32_t error = forms::Trap([this] {
        // The rules ran apart from the window; here their steps are shown.
        const Calculation result = Calculate(forms::Utf16(ui->Text1->text()));
        Form_Load();
        tally_ = result.tally;
        for (int i = 0; i < kTallyLevels; ++i) {
            const Band& band = bands_[i];
            const std::int16_t count = tally_.Count(band.level);
            if (i < result.counts)
                band.count->setText(FromUtf8(texts::Count(band.level, count)));
            if (i < result.bars)
                band.bar->SetValue(count);
            if (i < result.shortfalls) {
                const std::int16_t shortfall = result.shortfall[i];
                band.shortfall->setText(FromUtf8(texts::Decimal(shortfall)));
                // The bare number on screen, with the item it belongs to for a screen reader.
                band.shortfall->setAccessibleName(
                    FromUtf8(texts::ShortfallName(band.level, shortfall)));
            }
        }
        if (!result.Complete())
            forms::Raise(result.error);
        ui->Command1->setEnabled(false);
        ui->Command2->setEnabled(true);
        announcer_->Announce(FromUtf8(texts::Announcement(tally_)));
        if (result.Reward())
            forms::Shared<Form3>().Show(forms::vbModal, this);
    });
    if (error == forms::kInvalidPropertyValue)
        forms::MsgBox(FromUtf8(texts::TooManyScalps()), forms::vbCritical,
                      FromUtf8(texts::ErrorTitle(error)));
}

void Form1::Command2_Click()
{
    forms::Shared<Form2>().Show(forms::vbModal, this);
}

void Form1::clac_Click()
{
    Command1_Click();
}

void Form1::riep_Click()
{
    Command2_Click();
}

void Form1::exit_Click()
{
    Unload();
}

void Form1::abt_Click()
{
    forms::Shared<frmAbout>().Show(forms::vbModal, this);
}
