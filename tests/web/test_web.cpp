// SPDX-License-Identifier: GPL-3.0-or-later
// What the web build does differently: errors still reach the trap, and the
// title bar of a window without an icon shows no logo.

#include "suite_fixture.h"

#include <QImage>
#include <QWindow>

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
};

QTEST_MAIN(TestWeb)
#include "test_web.moc"
