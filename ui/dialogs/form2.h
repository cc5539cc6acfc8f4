#pragma once

#include "app/forms.h"

#include <memory>

namespace Ui {
class Form2;
}

class Form2 : public forms::Form {
    Q_OBJECT

public:
    Form2();
    ~Form2() override;

protected:
    QWidget* CreateScreen() override;

private:
    std::unique_ptr<Ui::Form2> ui;
};
