// SPDX-License-Identifier: GPL-3.0-or-later
// Long runs through the real main window against the oracle: thousands of
// calculations and openings of the secondary windows must leave no widget
// and no memory behind; a random walk over the buttons and menu items.

#include "suite_fixture.h"
#include "tally_oracle.h"

#include <QPixmapCache>
#include <QRandomGenerator>

#include <cstddef>
#include <malloc.h>
#include <optional>

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
#elif defined(_WIN32)
    // The C runtime's heap has no summary: add up the blocks in use.
    _HEAPINFO block{};
    std::size_t used = 0;
    while (_heapwalk(&block) == _HEAPOK)
        if (block._useflag == _USEDENTRY)
            used += block._size;
    return used;
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

// A text for Text1 and the count it converts to, if any.
struct Input {
    QString text;
    std::optional<int> scalps;

    // What the calculation makes of it. A text that is no number stops it
    // before anything is produced (the window shows a type mismatch and an
    // overflow alike).
    oracle::Calculation Expected() const
    {
        return scalps ? oracle::Calculate(*scalps, oracle::Bars::kChecked)
                      : oracle::Calculation{.error = forms::kTypeMismatch};
    }
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
    return {text, s};
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
        return {QString::number(s), s};
    }
    return {Garbage()[random.bounded(int(Garbage().size()))], std::nullopt};
}

// The windows a calculation opens.
QStringList WindowsOpened(const oracle::Calculation& calculation)
{
    if (calculation.error == oracle::kRefusedByBar)
        return {QStringLiteral("Errore 380")};
    if (calculation.error == 0 && calculation.counts[0] == 750)
        return {QStringLiteral("Form3")};
    return {};
}

} // namespace

class TestStress : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { main.Reset(); }
    void initTestCase() { DropPlatformNotices(); }

    // Valid and invalid counts in turn, through the button and the menu item.
    void thousandCalculations()
    {
        QRandomGenerator random(4242);
        // Warm the caches with every outcome and every text shape (the
        // fullwidth digits load a fallback font) before counting.
        for (const QString& text : Garbage() + QStringList{"750", "800", "-1", "12"}) {
            ModalWatcher watcher;
            main->Text1()->setText(text);
            main->Action("clac")->trigger();
        }
        Footprint before;
        Snapshot last = Take(*main);
        // Under Wine 10 the heap in use grows over the first two thousand
        // rounds or so, then settles (under Wine 8 and glibc at once): those
        // rounds go uncounted.
        for (int i = -2000; i < 1000; ++i) {
            if (i == 0)
                before = Footprint::Take();
            const Input input = i % 2 ? InvalidInput(random) : ValidInput(random);
            // One watcher a round: its record of the windows is not the program's memory.
            ModalWatcher watcher;
            main->Text1()->setText(input.text);
            // setText of an unchanged text does not enable Calcola; the menu item works anyway.
            if (main->Command1()->isEnabled())
                main->Command1()->click();
            else
                main->Action("clac")->trigger();
            const QString at
                = QStringLiteral("round %1, text '%2'").arg(i).arg(input.text.left(40));
            const oracle::Calculation expected = input.Expected();
            const Snapshot now = Take(*main);
            QVERIFY2(now == Shown(last, expected), qPrintable(at));
            QVERIFY2(watcher.Names() == WindowsOpened(expected), qPrintable(at));
            last = now;
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
        main->Text1()->setText(QStringLiteral("750"));
        {
            ModalWatcher closeReward;
            main->Command1()->click(); // Riepilogo on
        }
        int opened = 0;
        // Opens the window once and checks that it came and went for good.
        const auto openOnce = [&] {
            QPointer<QWidget> shown;
            ModalWatcher watcher([&](QWidget* modal) { shown = modal; });
            if (window == "Form2" && opened % 2)
                main->Command2()->click();
            else
                main->Open(window);
            ++opened;
            QCOMPARE(watcher.Names(), QStringList{window});
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
        QVERIFY(main->form.IsLoaded());
        QCOMPARE(main->Tally(), oracle::Calculate(750).counts);
        QVERIFY_NO_GROWTH(before, Footprint::Take());
    }

    // The menu items and buttons in random order, in every state of the
    // buttons, against a model of the window.
    void randomWalkOverMenuItems()
    {
        QRandomGenerator random(20240611);
        ModalWatcher watcher;
        enum State { kWaiting, kEdited, kCalculated };
        const char* const items[] = {"clac", "riep", "abt"};
        bool used[3][3] = {};

        // The model: Text1's content, what the window shows and the windows opened.
        Input text{QString(), std::nullopt};
        Snapshot shown = Take(*main);
        QStringList modals; // each window's name, a message box's title
        const auto calculate = [&] {
            const oracle::Calculation expected = text.Expected();
            shown = Shown(shown, expected);
            modals << WindowsOpened(expected);
        };
        for (int step = 0; step < 1000; ++step) {
            const State state = shown.calcola ? kEdited : shown.riepilogo ? kCalculated : kWaiting;
            const int action = random.bounded(7);
            QString what;
            if (action == 0) {
                const Input typed = random.bounded(2) ? ValidInput(random) : InvalidInput(random);
                what = QStringLiteral("type '%1'").arg(typed.text.left(40));
                if (typed.text != text.text) {
                    shown.calcola = true;
                    shown.riepilogo = false;
                }
                main->Text1()->setText(typed.text);
                text = typed;
            } else if (action == 1) {
                what = QStringLiteral("Calcola button");
                const bool enabled = shown.calcola;
                main->Command1()->click();
                if (enabled)
                    calculate();
            } else if (action == 2) {
                what = QStringLiteral("Riepilogo button");
                const bool enabled = shown.riepilogo;
                main->Command2()->click();
                if (enabled)
                    modals << QStringLiteral("Form2");
            } else {
                const int item = random.bounded(3);
                what = QString::fromLatin1(items[item]);
                used[item][state] = true;
                main->Action(items[item])->trigger();
                if (item == 0)
                    calculate();
                else
                    modals << QString::fromLatin1(item == 1 ? "Form2" : "frmAbout");
            }
            const QString at = QStringLiteral("step %1: %2").arg(step).arg(what);
            QVERIFY2(Take(*main) == shown, qPrintable(at));
            QVERIFY2(watcher.Names() == modals, qPrintable(at));
        }
        QVERIFY(main->form.IsLoaded() && !QApplication::activeModalWidget());
        for (int item = 0; item < 3; ++item)
            for (int state = 0; state < 3; ++state)
                QVERIFY2(used[item][state], qPrintable(QStringLiteral("%1 never used in state %2")
                                                           .arg(QString::fromLatin1(items[item]))
                                                           .arg(state)));
    }

private:
    MainWindowFixture main;
};

QTEST_MAIN_WATCHED(TestStress)
#include "test_stress.moc"
