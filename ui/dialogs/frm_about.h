#pragma once

#include "forms/form.h"

#include <QIcon>

#include <memory>

namespace Ui {
class frmAbout;
}

// The About window: title, version and copyright from App, read on every
// loading, with the credit line, the pictures and "OK".
class frmAbout : public forms::Form {
    Q_OBJECT

public:
    frmAbout();
    ~frmAbout() override;

    void Form_Load() override;
    void cmdOK_Click();

protected:
    QWidget* BuildWindow() override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
    // The application icon, kept from the first loading on.
    QIcon icon_;
};
