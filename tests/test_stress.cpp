// Long runs through the real main window: thousands of calculations and
// openings of the secondary windows must leave no widget and no memory behind,
// and every way of closing a window must hand control back.

#include "fixture.h"
#include "main_window.h"

#include "forms/progress_bar.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/frm_about.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPixmapCache>
#include <QPushButton>
#include <QRandomGenerator>

#include <array>
#include <cstddef>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define STRESS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STRESS_ASAN 1
#endif
#endif
#ifdef STRESS_ASAN
// From the sanitizer runtime; GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// The heap may grow this much over a thousand rounds once the caches are
// warm; a window left behind on each round would cost megabytes, a lost
// connection or string a few hundred kilobytes.
constexpr std::size_t kHeapSlack = 128 << 10;

std::size_t HeapInUse()
{
#ifdef STRESS_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// What is alive once the windows scheduled for deletion are gone.
struct Footprint {
    qsizetype widgets = 0;
    std::size_t heap = 0;

    static Footprint Take()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Qt's own pixmap cache keeps up to 10 MB of images, also of dead
        // windows (each load makes a new icon), and drops them only when full.
        QPixmapCache::clear();
        return {QApplication::allWidgets().size(), HeapInUse()};
    }
};

#define QVERIFY_NO_GROWTH(before, after)                                                           \
    do {                                                                                           \
        qInfo("widgets %lld -> %lld, heap %zu -> %zu bytes", qlonglong((before).widgets),          \
              qlonglong((after).widgets), (before).heap, (after).heap);                            \
        QCOMPARE((after).widgets, (before).widgets);                                               \
        QVERIFY2((after).heap < (before).heap + kHeapSlack,                                        \
                 qPrintable(QStringLiteral("heap grew by %1 bytes")                                \
                                .arg(qlonglong((after).heap) - qlonglong((before).heap))));        \
    } while (false)

// The five counts a successful calculation of s (0..750) leaves.
std::array<int, 5> Chain(int s)
{
    CollectionTally tally;
    tally.SetScalps(static_cast<std::int16_t>(s));
    for (int level = 0; level < kTallyLevels - 1; ++level)
        tally.Exchange(static_cast<TallyLevel>(level));
    return {tally.sca, tally.maz, tally.cin, tally.lib, tally.ane};
}

// A text for Text1 and what the calculation makes of it.
struct Input {
    enum Kind { kCounted, kRefusedByBar, kNotANumber };
    QString text;
    Kind kind;
    int scalps; // the converted count, for the first two kinds
};

Input ValidInput(QRandomGenerator& random)
{
    const int s = random.bounded(10) == 0 ? 750 : random.bounded(0, 751);
    // The same count in the spellings the conversion accepts.
    QString text = QString::number(s);
    switch (random.bounded(4)) {
    case 1:
        text = QStringLiteral("  +") + text + QStringLiteral(" ");
        break;
    case 2:
        text = QString(random.bounded(1, 50), u'0') + text;
        break;
    default:
        break;
    }
    return {text, Input::kCounted, s};
}

// Texts that are no 16-bit number.
const QStringList& Garbage()
{
    static const QStringList garbage = {QString(),
                                        QStringLiteral(" "),
                                        QStringLiteral("abc"),
                                        QStringLiteral("32768"),
                                        QStringLiteral("-32769"),
                                        QStringLiteral("7.5"),
                                        QStringLiteral("1e3"),
                                        QStringLiteral("- 5"),
                                        QStringLiteral("\uff17\uff15\uff10"),
                                        QString(300, u'9'),
                                        QStringLiteral("75O"),
                                        QStringLiteral("\t750")};
    return garbage;
}

Input InvalidInput(QRandomGenerator& random)
{
    if (random.bounded(2)) {
        const int s = random.bounded(2) ? random.bounded(751, 32768) : random.bounded(-32768, 0);
        return {QString::number(s), Input::kRefusedByBar, s};
    }
    return {Garbage()[random.bounded(int(Garbage().size()))], Input::kNotANumber, 0};
}

// The offscreen platform says so for every window shown; nothing to see.
QtMessageHandler previousHandler = nullptr;

void DropPlatformNotices(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}

} // namespace

class TestStress : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(DropPlatformNotices); }

    // Valid and invalid counts in turn, through the button and the menu item.
    void thousandCalculations()
    {
        RuntimeScope scope;
        MainWindow main;
        QRandomGenerator random(4242);
        // Warm the caches with every outcome and every text shape (the
        // fullwidth digits load a fallback font) before counting.
        for (const QString& text : Garbage() + QStringList{"750", "800", "-1", "12"}) {
            ModalWatcher watcher;
            main.Text1()->setText(text);
            main.Action("clac")->trigger();
        }
        const Footprint before = Footprint::Take();
        float bar = main.Get<forms::ProgressBar>("BarraScalpi")->Value();
        for (int i = 0; i < 1000; ++i) {
            const Input input = i % 2 ? InvalidInput(random) : ValidInput(random);
            // One watcher a round: its record of the windows is not the program's memory.
            ModalWatcher watcher;
            main.Text1()->setText(input.text);
            // setText of an unchanged text does not enable Calcola; the menu item works anyway.
            if (main.Command1()->isEnabled())
                main.Command1()->click();
            else
                main.Action("clac")->trigger();
            const QString at
                = QStringLiteral("round %1, text '%2'").arg(i).arg(input.text.left(40));
            const QList<ModalSeen>& seen = watcher.Seen();
            switch (input.kind) {
            case Input::kCounted:
                QVERIFY2(main.Tally() == Chain(input.scalps), qPrintable(at));
                QVERIFY2(!main.Command1()->isEnabled() && main.Command2()->isEnabled(),
                         qPrintable(at));
                bar = float(input.scalps);
                QVERIFY2(seen.size() == (input.scalps == 750 ? 1 : 0), qPrintable(at));
                if (input.scalps == 750)
                    QCOMPARE(seen.first().objectName, QStringLiteral("Form3"));
                break;
            case Input::kRefusedByBar:
                QVERIFY2(main.Tally() == (std::array<int, 5>{input.scalps, 0, 0, 0, 0}),
                         qPrintable(at));
                QVERIFY2(seen.size() == 1, qPrintable(at));
                QCOMPARE(seen.first().title, QStringLiteral("Errore 380"));
                break;
            case Input::kNotANumber:
                QVERIFY2(main.Tally() == (std::array<int, 5>{}), qPrintable(at));
                QVERIFY2(seen.isEmpty(), qPrintable(at));
                break;
            }
            QCOMPARE(main.Get<forms::ProgressBar>("BarraScalpi")->Value(), bar);
            if (input.kind != Input::kCounted)
                QVERIFY2(!main.Command1()->isEnabled() && !main.Command2()->isEnabled(),
                         qPrintable(at));
        }
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY_NO_GROWTH(before, Footprint::Take());
    }

    // A thousand openings and closings of each secondary window, from the
    // main window's own controls.
    void thousandOpeningsOfEachWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("summary") << "Form2";
        QTest::newRow("reward") << "Form3";
        QTest::newRow("about") << "frmAbout";
    }

    void thousandOpeningsOfEachWindow()
    {
        QFETCH(QString, window);
        RuntimeScope scope;
        MainWindow main;
        main.Text1()->setText(QStringLiteral("750"));
        {
            ModalWatcher closeReward;
            main.Command1()->click(); // Riepilogo on
        }
        int opened = 0;
        // Opens the window once and checks that it came and went for good.
        const auto openOnce = [&] {
            QPointer<QWidget> shown;
            ModalWatcher watcher([&](QWidget* modal) { shown = modal; });
            if (window == "Form2")
                opened % 2 ? main.Command2()->click() : main.Action("riep")->trigger();
            else if (window == "Form3")
                main.Action("clac")->trigger();
            else
                main.Action("abt")->trigger();
            ++opened;
            QCOMPARE(watcher.Seen().size(), 1);
            QCOMPARE(watcher.Seen().first().objectName, window);
            // Unloaded means destroyed, not merely hidden.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(shown.isNull());
        };
        for (int i = 0; i < 10; ++i)
            openOnce();
        const Footprint before = Footprint::Take();
        for (int i = 0; i < 1000 && !QTest::currentTestFailed(); ++i)
            openOnce();
        QVERIFY2(!QTest::currentTestFailed(), qPrintable(QStringLiteral("opening %1").arg(opened)));
        QVERIFY(main.form.IsLoaded());
        QCOMPARE(main.Tally(), Chain(750));
        QVERIFY_NO_GROWTH(before, Footprint::Take());
    }

    // However a secondary window is closed, control comes back to the main
    // window and the window is gone: it is never left hidden but loaded,
    // with the modal Show waiting for ever.
    void everyWayOfClosingReturns_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("how");
        for (const char* window : {"Form2", "Form3", "frmAbout"})
            for (const char* how : {"close box", "Esc", "reject", "unload"})
                QTest::addRow("%s, %s", window, how)
                    << QString::fromLatin1(window) << QString::fromLatin1(how);
    }

    void everyWayOfClosingReturns()
    {
        QFETCH(QString, window);
        QFETCH(QString, how);
        RuntimeScope scope;
        MainWindow main;
        main.Text1()->setText(QStringLiteral("750"));
        {
            ModalWatcher closeReward;
            main.Command1()->click();
        }

        forms::Form* form = nullptr;
        if (window == "Form2")
            form = &forms::Shared<Form2>();
        else if (window == "Form3")
            form = &forms::Shared<Form3>();
        else
            form = &forms::Shared<frmAbout>();
        QPointer<QWidget> shown;
        bool hiddenButLoaded = false;
        ModalWatcher watcher([&](QWidget* modal) { shown = modal; },
                             [&](QWidget* modal) {
                                 if (how == "close box")
                                     modal->close();
                                 else if (how == "unload")
                                     form->Unload();
                                 else if (how == "reject" && qobject_cast<QDialog*>(modal))
                                     static_cast<QDialog*>(modal)->reject();
                                 else
                                     QTest::keyClick(modal, Qt::Key_Escape);
                                 // Esc may also do nothing; then the close box ends it.
                                 if (form->IsLoaded()) {
                                     hiddenButLoaded = !modal->isVisible();
                                     modal->close();
                                 }
                             });
        // Should the window stay loaded all the same, unload it so that the test ends.
        bool rescued = false;
        QTimer rescue;
        rescue.setSingleShot(true);
        rescue.callOnTimeout([&] {
            if (form->IsLoaded()) {
                rescued = true;
                form->Unload();
            }
        });
        rescue.start(5000);
        if (window == "Form2")
            main.Action("riep")->trigger();
        else if (window == "Form3")
            main.Action("clac")->trigger();
        else
            main.Action("abt")->trigger();
        QVERIFY(!hiddenButLoaded);
        QVERIFY2(!rescued, "the window was never unloaded");
        QCOMPARE(watcher.Seen().size(), 1);
        QCOMPARE(watcher.Seen().first().objectName, window);
        QVERIFY(!form->IsLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(shown.isNull());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(main.window->isEnabled() && main.form.IsLoaded());
    }

    // The menu items and buttons in random order, in every state of the
    // buttons, against a model of the window.
    void randomWalkOverMenuItems()
    {
        RuntimeScope scope;
        MainWindow main;
        QRandomGenerator random(20240611);
        ModalWatcher watcher({}, {}, 600000);
        enum State { kWaiting, kEdited, kCalculated };
        const char* const items[] = {"clac", "riep", "abt"};
        bool used[3][3] = {};

        // The model: Text1's content and what a calculation makes of it.
        Input text{QString(), Input::kNotANumber, 0};
        std::array<int, 5> tally{};
        bool calcola = false, riepilogo = false;
        QStringList modals; // each window's name, a message box's title
        const auto calculate = [&] {
            calcola = riepilogo = false;
            tally = {};
            if (text.kind == Input::kNotANumber)
                return;
            tally[0] = text.scalps;
            if (text.kind == Input::kRefusedByBar) {
                modals << QStringLiteral("Errore 380");
                return;
            }
            tally = Chain(text.scalps);
            riepilogo = true;
            if (text.scalps == 750)
                modals << QStringLiteral("Form3");
        };
        for (int step = 0; step < 1000; ++step) {
            const State state = calcola ? kEdited : riepilogo ? kCalculated : kWaiting;
            const int action = random.bounded(7);
            QString what;
            if (action == 0) {
                const Input typed = random.bounded(2) ? ValidInput(random) : InvalidInput(random);
                what = QStringLiteral("type '%1'").arg(typed.text.left(40));
                if (typed.text != text.text) {
                    calcola = true;
                    riepilogo = false;
                }
                main.Text1()->setText(typed.text);
                text = typed;
            } else if (action == 1) {
                what = QStringLiteral("Calcola button");
                const bool enabled = calcola;
                main.Command1()->click();
                if (enabled)
                    calculate();
            } else if (action == 2) {
                what = QStringLiteral("Riepilogo button");
                const bool enabled = riepilogo;
                main.Command2()->click();
                if (enabled)
                    modals << QStringLiteral("Form2");
            } else {
                const int item = random.bounded(3);
                what = QString::fromLatin1(items[item]);
                used[item][state] = true;
                main.Action(items[item])->trigger();
                if (item == 0)
                    calculate();
                else
                    modals << QString::fromLatin1(item == 1 ? "Form2" : "frmAbout");
            }
            const QString at = QStringLiteral("step %1: %2").arg(step).arg(what);
            QVERIFY2(main.Tally() == tally, qPrintable(at));
            QVERIFY2(main.Command1()->isEnabled() == calcola, qPrintable(at));
            QVERIFY2(main.Command2()->isEnabled() == riepilogo, qPrintable(at));
            QStringList seen;
            for (const ModalSeen& modal : watcher.Seen())
                seen << (modal.objectName == QLatin1String("MsgBox") ? modal.title
                                                                     : modal.objectName);
            QVERIFY2(seen == modals, qPrintable(at));
        }
        for (int item = 0; item < 3; ++item)
            for (int state = 0; state < 3; ++state)
                QVERIFY2(used[item][state], qPrintable(QStringLiteral("%1 never used in state %2")
                                                           .arg(QString::fromLatin1(items[item]))
                                                           .arg(state)));
    }
};

QTEST_MAIN(TestStress)
#include "test_stress.moc"
