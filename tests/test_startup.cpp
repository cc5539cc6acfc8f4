// SPDX-License-Identifier: GPL-3.0-or-later
// The program started as app/main.cpp starts it (compiled in here with its
// main() renamed): once its loop runs, it shows the main window alone, with
// its icon, set up as forms::InitApplication() sets up the suites.

#include "suite_fixture.h"

#include <QAccessible>

int ProgramMain(int argc, char* argv[]);

namespace {

struct Seen {
    QStringList windows;
    QFont font, initialised;
    QList<QSize> icons;
    QAccessible::Role bar = QAccessible::NoRole;
} seen;

// Runs as the program's QApplication is made: looks once the loop runs,
// then ends it.
void LookOnceRunning()
{
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                seen.windows.append(window->objectName());
        MainWindow main;
        seen.font = main.window->font();
        seen.icons = main.window->windowIcon().availableSizes();
        seen.bar = QAccessible::queryAccessibleInterface(main.Get("BarraScalpi"))->role();
        forms::InitApplication(); // a second time changes nothing
        seen.initialised = QApplication::font();
        QCoreApplication::exit(0);
    });
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(LookOnceRunning)

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void startsAsMainDoes()
    {
        static char name[] = "bottinaro";
        char* argv[] = {name, nullptr};
        QCOMPARE(ProgramMain(1, argv), 0);
        QCOMPARE(seen.windows, QStringList{"Form1"});
        QCOMPARE(seen.font, seen.initialised);
        for (int side : {16, 32, 48})
            QVERIFY2(seen.icons.contains(QSize(side, side)), qPrintable(QString::number(side)));
        QCOMPARE(seen.bar, QAccessible::ProgressBar);
    }
};

QTEST_APPLESS_MAIN(TestStartup)
#include "test_startup.moc"
