// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "forms/arrangement.h"
#include "forms/form.h"

#include <memory>

namespace Ui {
class Form3;
}

// The reward window: fixed texts and pictures, the same on every opening.
class Form3 : public forms::Form {
    Q_OBJECT

public:
    Form3();
    ~Form3() override;

    void Command1_Click();

protected:
    QWidget* BuildWindow() override;
    void Arrange() override;

private:
    std::unique_ptr<Ui::Form3> ui;
    forms::StoredLayout layout_;
};
