#include "ui/dialogs/form3.h"

#include "app/label.h"
#include "ui_form3.h"

#include <QDialog>

Form3::Form3() : ui(std::make_unique<Ui::Form3>()) { }

Form3::~Form3() = default;

QWidget* Form3::CreateScreen()
{
    auto* window = new QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                            | Qt::WindowCloseButtonHint);
    ui->setupUi(window);
    window->setFixedSize(window->size());
    // No icon of its own, nor the owner's that Qt would otherwise inherit.
    window->setWindowIcon(QIcon());
    connect(ui->Command1, &QPushButton::clicked, this, Handler(&Form3::Command1_Click));
    return window;
}

void Form3::Command1_Click()
{
    Unload();
}
