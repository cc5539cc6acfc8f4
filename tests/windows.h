#pragma once

// The running windows, seen from outside: the one way the suites find
// controls, type, calculate and open the secondary windows.

#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/frm_about.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>

// A named child; a missing one ends the run, naming it.
template <class T = QWidget> T* Find(const QObject* parent, const QString& name)
{
    auto* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

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
        return Find<T>(window, QLatin1String(name));
    }

    QLineEdit* Text1() const { return Get<QLineEdit>("Text1"); }
    QPushButton* Command1() const { return Get<QPushButton>("Command1"); }
    QPushButton* Command2() const { return Get<QPushButton>("Command2"); }
    QAction* Action(const char* name) const { return Get<QAction>(name); }
    std::array<int, 5> Tally() const
    {
        const CollectionTally& t = form.Tally();
        return {t.sca, t.maz, t.cin, t.lib, t.ane};
    }

    // Types the text as a user would replace the box's content.
    void Type(const QString& text) const
    {
        Text1()->selectAll();
        QTest::keyClick(Text1(), Qt::Key_Delete);
        QTest::keyClicks(Text1(), text);
    }

    // Calculates from the menu, which works whatever the state of "Calcola".
    void Calculate(const QString& text) const
    {
        Text1()->setText(text);
        Action("clac")->trigger();
    }

    // Opens a secondary window as the user does: the reward window by a
    // calculation of 750, the others from the menu.
    void Open(const QString& name) const
    {
        if (name == u"Form3")
            Calculate(QStringLiteral("750"));
        else
            Action(name == u"Form2" ? "riep" : "abt")->trigger();
    }

    static forms::Form& Secondary(const QString& name)
    {
        if (name == u"Form2")
            return forms::Shared<Form2>();
        if (name == u"Form3")
            return forms::Shared<Form3>();
        return forms::Shared<frmAbout>();
    }
};
