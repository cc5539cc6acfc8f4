// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "forms/arrangement.h"
#include "forms/form.h"

#include <memory>

namespace Ui {
class Form2;
}

// The summary window: the main window's five counts, read once per loading.
class Form2 : public forms::Form {
    Q_OBJECT

public:
    Form2();
    ~Form2() override;

    void Form_Load() override;
    void Command1_Click();

protected:
    QWidget* BuildWindow() override;
    void Arrange() override;

private:
    std::unique_ptr<Ui::Form2> ui;
    forms::StoredLayout layout_;
};
