#include "ui/main/form1.h"

#include "forms/convert.h"
#include "forms/errors.h"
#include "forms/label.h"
#include "forms/progress_bar.h"
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

QWidget* Form1::BuildWindow()
{
    auto* window
        = new QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                       | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->setupUi(window);
    // The client area below the menu bar is fixed; the window follows it.
    ui->centralwidget->setFixedSize(489, 472);
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->Text1->setFocus(); // the first control in tab order that takes focus
    ui->Command1->setCursor(QCursor(QPixmap(QStringLiteral(":/assets/cursor.ico")), 2, 2));

    // The count captions the calculation writes; three differ from the design texts.
    bands_ = {{
        {TallyLevel::sca, "Scalpi di Moon Tug: ", ui->LabelScalpi, ui->BarraScalpi,
         ui->RestoScalpi},
        {TallyLevel::maz, "Mazze di Skraugbashor: ", ui->LabelMazze, ui->BarraMazze,
         ui->RestoMazze},
        {TallyLevel::cin, "Cinture della forza Skraug: ", ui->LabelCintole, ui->BarraCintole,
         ui->RestoCintole},
        {TallyLevel::lib, "Libri del collezionista: ", ui->LabelLibri, ui->BarraLibri,
         ui->RestoLibri},
        {TallyLevel::ane, "Anelli del Leone: ", ui->LabelAnelli, ui->BarraAnelli, ui->RestoAnelli},
    }};

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
    Reset();
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
        Form_Load();
        SetScalps(forms::CInt(ui->Text1->text()));
        for (const Band& band : bands_) {
            const std::int16_t count = Count(band.level);
            band.count->setText(band.caption + forms::CStr(count));
            band.bar->SetValue(count);
            std::int16_t shortfall = 0;
            try {
                shortfall = Shortfall(band.level);
            } catch (const TallyOverflow&) {
                forms::Raise(forms::kOverflow);
            }
            band.shortfall->setText(forms::CStr(shortfall));
            if (band.level != TallyLevel::ane)
                Exchange(band.level);
        }
        ui->Command1->setEnabled(false);
        ui->Command2->setEnabled(true);
        if (sca == 750)
            forms::Shared<Form3>().Show(forms::vbModal, this);
    });
    if (error == forms::kInvalidPropertyValue)
        forms::MsgBox(QStringLiteral("Il numero massimo di scalpi collezionabile è 750"),
                      forms::vbCritical, QStringLiteral("Errore ") + forms::CStr(error));
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
