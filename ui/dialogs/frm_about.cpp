#include "ui/dialogs/frm_about.h"

#include "ui_frm_about.h"

#include <QDialog>

frmAbout::frmAbout() : ui(std::make_unique<Ui::frmAbout>()) {}

frmAbout::~frmAbout() = default;

QWidget* frmAbout::CreateScreen()
{
    auto* window = new QDialog;
    ui->setupUi(window);
    return window;
}
