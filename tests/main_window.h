#pragma once

// The running main window, seen from outside, for the tests that drive it.

#include "ui/main/form1.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>

struct MainWindow {
    Form1& form = forms::Shared<Form1>();
    QWidget* window = nullptr;

    MainWindow()
    {
        form.Show();
        window = form.Window();
    }

    template <class T = QWidget> T* Get(const char* name) const
    {
        auto* widget = window->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    QLineEdit* Text1() const { return Get<QLineEdit>("Text1"); }
    QPushButton* Command1() const { return Get<QPushButton>("Command1"); }
    QPushButton* Command2() const { return Get<QPushButton>("Command2"); }
    QAction* Action(const char* name) const { return Get<QAction>(name); }
    std::array<int, 5> Tally() const { return {form.sca, form.maz, form.cin, form.lib, form.ane}; }

    // Types the text as a user would replace the box's content.
    void Type(const QString& text) const
    {
        Text1()->selectAll();
        QTest::keyClick(Text1(), Qt::Key_Delete);
        QTest::keyClicks(Text1(), text);
    }
};
