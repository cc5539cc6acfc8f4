#pragma once

#include "app/forms.h"

#include <memory>

namespace Ui {
class frmAbout;
}

class frmAbout : public forms::Form {
    Q_OBJECT

public:
    frmAbout();
    ~frmAbout() override;

protected:
    QWidget* CreateScreen() override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
};
