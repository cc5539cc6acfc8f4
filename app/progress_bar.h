#pragma once

#include <QProgressBar>

namespace forms {

// A progress bar whose Value must lie within Min..Max (ends included):
// anything else is refused with run-time error 380 and the bar stays put.
// The range is the QProgressBar's, as set in the window's description.
class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    float Min() const { return static_cast<float>(minimum()); }
    float Max() const { return static_cast<float>(maximum()); }
    float Value() const { return value_; }
    void SetValue(float value);

private:
    float value_ = 0.0f;
};

} // namespace forms
