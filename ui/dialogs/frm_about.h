// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "forms/arrangement.h"
#include "forms/form.h"

#include <QIcon>
#include <QPalette>

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
    void Arrange() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The three black labels and the etched rule keep their stored colours
    // on a light palette and take the palette's own on a dark one.
    void FollowPalette(QWidget* window);

    std::unique_ptr<Ui::frmAbout> ui;
    forms::StoredLayout layout_;
    QPalette storedTitle_, storedDescription_, storedDisclaimer_, storedShadow_, storedLight_;
    bool followsDark_ = false;
    // The application icon, kept from the first loading on.
    QIcon icon_;
};
