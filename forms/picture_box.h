// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLabel>

namespace forms {

// A picture box that can take the keyboard focus: it shows its picture like
// a QLabel and, while it has the focus from the keyboard, the style's focus
// frame inside its border.
class PictureBox : public QLabel {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace forms
