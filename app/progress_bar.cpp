#include "app/progress_bar.h"

#include "app/forms.h"

#include <cmath>

namespace forms {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
}

void ProgressBar::SetValue(float value)
{
    // Written so that NaN fails too.
    if (!(value >= Min() && value <= Max()))
        Raise(kInvalidPropertyValue);
    value_ = value;
    setValue(static_cast<int>(std::lround(value)));
}

} // namespace forms
