#pragma once

#include <QWidget>

namespace forms {

// A one-pixel horizontal rule in the foreground colour, solid or dotted.
// It takes no input and no focus.
class Line : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool dotted READ IsDotted WRITE setDotted)

public:
    explicit Line(QWidget* parent = nullptr);

    bool IsDotted() const { return dotted_; }
    void setDotted(bool dotted);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool dotted_ = false;
};

} // namespace forms
