// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

namespace forms {

// A one-pixel horizontal rule in the foreground colour, solid or dotted.
// It takes no input and no focus.
class Line : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Dotted READ Dotted WRITE SetDotted)

public:
    explicit Line(QWidget* parent = nullptr);

    bool Dotted() const { return dotted_; }
    void SetDotted(bool dotted);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool dotted_ = false;
};

} // namespace forms
