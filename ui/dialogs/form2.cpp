#include "ui/dialogs/form2.h"

#include "forms/convert.h"
#include "ui/dialogs/tool_window.h"
#include "ui/main/form1.h"
#include "ui_form2.h"

Form2::Form2() : ui(std::make_unique<Ui::Form2>()) { }

Form2::~Form2() = default;

QWidget* Form2::BuildWindow()
{
    QDialog* window = BuildToolWindow(*ui);
    connect(ui->Command1, &QPushButton::clicked, this, Handler(&Form2::Command1_Click));
    return window;
}

void Form2::Form_Load()
{
    const Form1& main = forms::Shared<Form1>();
    ui->Label1->setText(QStringLiteral("Scalpi di Moon Tug: ") + forms::CStr(main.sca));
    ui->Label2->setText(QStringLiteral("Mazze di Skraugbashor: ") + forms::CStr(main.maz));
    ui->Label3->setText(QStringLiteral("Cinture di forza Skraug: ") + forms::CStr(main.cin));
    ui->Label4->setText(QStringLiteral("Libri del Collezionista: ") + forms::CStr(main.lib));
    ui->Label5->setText(QStringLiteral("Anelli del Leone: ") + forms::CStr(main.ane));
}

void Form2::Command1_Click()
{
    Unload();
}
