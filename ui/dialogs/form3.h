#pragma once

#include "app/forms.h"

#include <memory>

namespace Ui {
class Form3;
}

class Form3 : public forms::Form {
    Q_OBJECT

public:
    Form3();
    ~Form3() override;

protected:
    QWidget* CreateScreen() override;

private:
    std::unique_ptr<Ui::Form3> ui;
};
