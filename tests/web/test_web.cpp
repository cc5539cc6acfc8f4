// SPDX-License-Identifier: GPL-3.0-or-later
// What the web build does differently: errors still reach the trap, the
// title bar of a window without an icon shows no logo, and the one face it
// carries, cut to size, has every character the windows show.

#include "suite_fixture.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QWindow>

namespace {

// The characters of every text a window shows that its face lacks.
QString Missing(QWidget* window)
{
    QString missing;
    const auto check = [&](const QWidget* widget, const QString& text) {
        const QFontMetrics metrics(widget->font());
        for (const QChar c : text)
            if (!c.isSpace() && !metrics.inFont(c) && !missing.contains(c))
                missing.append(c);
    };
    check(window, window->windowTitle());
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<const QLabel*>(widget))
            check(label, label->text());
        else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            check(button, button->text());
        for (const QAction* action : widget->actions())
            check(widget, action->text());
    }
    return missing;
}

} // namespace

class TestWeb : public QObject {
    Q_OBJECT

private slots:
    // Exception catching must survive Qt's link flags: a RuntimeError
    // thrown in the click handler is trapped, silently or with the box.
    void runtimeErrorsReachTheTrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("type mismatch") << "abc" << QStringList();
        QTest::newRow("overflow") << "40000" << QStringList();
        QTest::newRow("bar refuses") << "800" << QStringList{"Errore 380"};
    }

    void runtimeErrorsReachTheTrap()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, boxes);
        RuntimeScope scope;
        MainWindow main;
        main.Type(text);
        ModalWatcher watcher;
        QTest::mouseClick(main.Command1(), Qt::LeftButton);
        QStringList titles;
        for (const ModalSeen& seen : watcher.Seen())
            titles.append(seen.title);
        QCOMPARE(titles, boxes);
        QVERIFY(!main.Command1()->isEnabled());
        QVERIFY(!main.Command2()->isEnabled());
        QVERIFY(main.window->isVisible());
    }

    // A window without an icon keeps none, but its title bar gets a blank
    // picture instead of Qt's logo; a window with an icon shows its own.
    void titleBarIcons_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("Form2") << false;
        QTest::newRow("frmAbout") << true;
    }

    void titleBarIcons()
    {
        QFETCH(bool, about);
        RuntimeScope scope;
        MainWindow main;
        QIcon own, titleBar;
        ModalWatcher watcher([&](QWidget* modal) {
            own = modal->windowIcon();
            titleBar = modal->windowHandle()->icon();
        });
        if (about)
            forms::Shared<frmAbout>().Show(forms::vbModal, &main.form);
        else
            forms::Shared<Form2>().Show(forms::vbModal, &main.form);
        QCOMPARE(watcher.Seen().size(), 1);
        QCOMPARE(own.isNull(), !about);
        QVERIFY(!titleBar.isNull());
        const QImage picture = titleBar.pixmap(16, 16).toImage();
        bool blank = true;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                blank = blank && qAlpha(picture.pixel(x, y)) == 0;
        QCOMPARE(blank, !about);
    }

    // The face is cut to what the program shows: every text of the four
    // windows, the error box and the box's context menu (Qt's own Italian)
    // is in it, while a character a player might paste from afar is not.
    void theFaceHoldsEveryShownCharacter()
    {
        RuntimeScope scope;
        MainWindow main;
        QCOMPARE(QFontInfo(main.window->font()).family(), QStringLiteral("DejaVu Sans"));
        QStringList faults;
        const auto look = [&](QWidget* window) {
            if (const QString missing = Missing(window); !missing.isEmpty())
                faults.append(window->objectName() + QStringLiteral(": ") + missing);
        };
        ModalWatcher watcher(look);
        main.Calculate(QStringLiteral("750"));
        main.Open(QStringLiteral("Form2"));
        main.Open(QStringLiteral("frmAbout"));
        main.Calculate(QStringLiteral("800"));
        QCOMPARE(watcher.Seen().size(), 4);
        look(main.window);
        std::unique_ptr<QMenu> menu(main.Text1()->createStandardContextMenu());
        look(menu.get());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        QVERIFY(!QFontMetrics(main.Text1()->font()).inFont(QChar(0x6F22)));
    }

    // A character outside the face is drawn as the face's missing glyph.
    void charactersOutsideTheFaceDrawSafely()
    {
        RuntimeScope scope;
        MainWindow main;
        const QString typed = QStringLiteral("7\u6F22\u0416\U0001F600");
        main.Text1()->setText(typed);
        QVERIFY(!main.window->grab().isNull());
        QCOMPARE(main.Text1()->text(), typed);
        ModalWatcher watcher;
        main.form.Command1_Click();
        QCOMPARE(watcher.Seen().size(), 0);
        QVERIFY(!main.Command1()->isEnabled());
    }
};

QTEST_MAIN(TestWeb)
#include "test_web.moc"
