// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

namespace forms {

// A progress bar whose Value must lie within Min..Max (ends included):
// anything else is refused with run-time error 380 and the bar stays put.
// The window that holds it sets Min and Max. It draws itself as the
// platform's progress bar but is not a QProgressBar, so no unchecked way to
// set the value exists.
class ProgressBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ MinInt WRITE SetMin)
    Q_PROPERTY(int Max READ MaxInt WRITE SetMax)

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    float Min() const { return static_cast<float>(min_); }
    float Max() const { return static_cast<float>(max_); }
    float Value() const { return value_; }
    void SetMin(int min);
    void SetMax(int max);
    void SetValue(float value);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int MinInt() const { return min_; }
    int MaxInt() const { return max_; }

    int min_ = 0;
    int max_ = 100;
    float value_ = 0.0f;
};

} // namespace forms
