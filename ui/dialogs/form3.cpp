// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialogs/form3.h"

#include "ui/dialogs/tool_window.h"
#include "ui_form3.h"

namespace {
// On a screen too short for the window (a phone turned): the two prizes side
// by side, each with its picture and texts as designed, the button below.
const QHash<QString, QRect> kSideBySide = {
    {"Label4", {312, 8, 241, 41}},   {"Image2", {320, 64, 40, 81}},
    {"Label5", {368, 64, 49, 89}},   {"Label6", {432, 64, 105, 89}},
    {"Command1", {164, 170, 249, 17}},
};
constexpr QSize kSideBySideSize(577, 195);
} // namespace

Form3::Form3() : ui(std::make_unique<Ui::Form3>()) { }

Form3::~Form3() = default;

QWidget* Form3::BuildWindow()
{
    QDialog* window = BuildToolWindow(*ui);
    layout_ = forms::StoredLayout(window);
    connect(ui->Command1, &QPushButton::clicked, this, Handler(&Form3::Command1_Click));
    return window;
}

void Form3::Arrange()
{
    if (forms::FitsScreen(Window(), layout_.Size()))
        layout_.Apply();
    else
        layout_.Apply(1, kSideBySide, kSideBySideSize);
}

void Form3::Command1_Click()
{
    Unload();
}
