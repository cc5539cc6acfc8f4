// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialogs/form3.h"

#include "ui/dialogs/tool_window.h"
#include "ui_form3.h"

Form3::Form3() : ui(std::make_unique<Ui::Form3>()) { }

Form3::~Form3() = default;

QWidget* Form3::BuildWindow()
{
    QDialog* window = BuildToolWindow(*ui);
    connect(ui->Command1, &QPushButton::clicked, this, Handler(&Form3::Command1_Click));
    return window;
}

void Form3::Command1_Click()
{
    Unload();
}
