#include "ui/dialogs/form2.h"

#include "ui_form2.h"

#include <QDialog>

Form2::Form2() : ui(std::make_unique<Ui::Form2>()) {}

Form2::~Form2() = default;

QWidget* Form2::CreateScreen()
{
    auto* window = new QDialog;
    ui->setupUi(window);
    return window;
}
