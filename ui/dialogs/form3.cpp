#include "ui/dialogs/form3.h"

#include "ui_form3.h"

#include <QDialog>

Form3::Form3() : ui(std::make_unique<Ui::Form3>()) {}

Form3::~Form3() = default;

QWidget* Form3::CreateScreen()
{
    auto* window = new QDialog;
    ui->setupUi(window);
    return window;
}
