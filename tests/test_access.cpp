// The program as a keyboard, a screen reader or a dark desktop meets it:
// Qt's own texts in Italian, Enter on the focused button, colours under a
// dark palette, the focus frame of the About pictures, what the accessible
// tree tells, and text queries that always return.

#include "fixture.h"

#include "app/app.h"
#include "forms/accessible.h"
#include "forms/label.h"
#include "forms/line.h"

#include <QAccessible>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Aborts the test with the name of the call that has not returned within
// the limit: a hang becomes a failure with a message instead of a stuck run.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Run(); }) { }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    template <class F> auto Guard(const QString& what, F call)
    {
        {
            std::lock_guard lock(mutex_);
            what_ = what.toStdString();
            ++serial_;
        }
        wake_.notify_all();
        struct Done {
            Watchdog* dog;
            ~Done()
            {
                std::lock_guard lock(dog->mutex_);
                dog->what_.clear();
                ++dog->serial_;
            }
        } done{this};
        return call();
    }

private:
    void Run()
    {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (what_.empty()) {
                wake_.wait(lock);
                continue;
            }
            const unsigned long serial = serial_;
            if (!wake_.wait_for(lock, limit_, [&] { return stop_ || serial_ != serial; }))
                qFatal("no answer within %lld s: %s", static_cast<long long>(limit_.count()),
                       what_.c_str());
        }
    }

    std::chrono::seconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string what_;
    unsigned long serial_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

// Every node of a window's accessible tree.
QList<QAccessibleInterface*> Tree(QWidget* window)
{
    QList<QAccessibleInterface*> nodes;
    QList<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(window)};
    while (!pending.isEmpty()) {
        QAccessibleInterface* node = pending.takeFirst();
        if (!node || !node->isValid())
            continue;
        nodes.append(node);
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
    }
    return nodes;
}

QAccessibleInterface* Node(QWidget* window, const QString& name)
{
    for (QAccessibleInterface* node : Tree(window))
        if (node->object() && node->object()->objectName() == name)
            return node;
    return nullptr;
}

// Asks a text interface for every piece at every offset, each call under
// the watchdog; every answer must be a piece of the text as it says.
void QueryEveryOffset(Watchdog& dog, QAccessibleInterface* node, QStringList& faults)
{
    QAccessibleTextInterface* text = node->textInterface();
    const int length = text->characterCount();
    const QString whole = text->text(0, length);
    const QString name = node->object()->objectName();
    using Query = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*,
                                                        int*) const;
    const std::pair<Query, const char*> queries[]
        = {{&QAccessibleTextInterface::textBeforeOffset, "textBeforeOffset"},
           {&QAccessibleTextInterface::textAtOffset, "textAtOffset"},
           {&QAccessibleTextInterface::textAfterOffset, "textAfterOffset"}};
    // Attribute runs hold their offset: a run of no length makes Orca drop
    // the last character of the line it reads.
    for (int offset = 0; offset < length; ++offset) {
        int start = -1, end = -1;
        dog.Guard(name + QStringLiteral(" attributes(%1)").arg(offset),
                  [&] { return text->attributes(offset, &start, &end); });
        if (!(start <= offset && offset < end))
            faults.append(QStringLiteral("%1 attributes(%2) run %3..%4")
                              .arg(name)
                              .arg(offset)
                              .arg(start)
                              .arg(end));
    }
    for (int type = QAccessible::CharBoundary; type <= QAccessible::NoBoundary; ++type) {
        for (int offset = -1; offset <= length + 1; ++offset) {
            for (const auto& [query, queryName] : queries) {
                const QString call = QStringLiteral("%1 \"%2\" %3(%4, boundary %5)")
                                         .arg(name, whole.left(40), QLatin1String(queryName))
                                         .arg(offset)
                                         .arg(type);
                int start = -1, end = -1;
                const QString piece = dog.Guard(call, [&] {
                    return (text->*query)(offset, QAccessible::TextBoundaryType(type), &start,
                                          &end);
                });
                if (!piece.isEmpty()
                    && (start < 0 || end > length || piece != whole.mid(start, end - start)))
                    faults.append(
                        call
                        + QStringLiteral(" gave \"%1\" at %2..%3").arg(piece).arg(start).arg(end));
            }
        }
    }
}

double Luminance(QRgb pixel)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel))
           + 0.0722 * channel(qBlue(pixel));
}

double Ratio(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a text as drawn: its ground is the commonest colour of
// the box, its ink the pixel that stands out most from that ground.
double MeasuredContrast(const QImage& image, const QRect& box)
{
    QHash<QRgb, int> counts;
    const QRect inside = box.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb ground = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            ground = it.key();
        }
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, Ratio(ground, it.key()));
    return best;
}

// Where each text of a window is drawn, in the window's pixels. Disabled
// controls are left out: their grey is the palette's sign that they cannot
// be used, which contrast rules exempt.
QList<std::pair<QString, QRect>> TextBoxes(QWidget* window)
{
    QList<std::pair<QString, QRect>> boxes;
    for (auto* label : window->findChildren<forms::Label*>()) {
        if (label->text().isEmpty() || !label->isVisible())
            continue;
        const QRect ink = label->InkRect().intersected(label->parentWidget()->rect());
        boxes.append({label->objectName(),
                      QRect(label->parentWidget()->mapTo(window, ink.topLeft()), ink.size())});
    }
    for (auto* button : window->findChildren<QPushButton*>())
        if (button->isEnabled())
            boxes.append({button->objectName(), QRect(button->mapTo(window, QPoint(3, 3)),
                                                      button->size() - QSize(6, 6))});
    for (auto* edit : window->findChildren<QLineEdit*>())
        if (!edit->text().isEmpty())
            boxes.append({edit->objectName(),
                          QRect(edit->mapTo(window, QPoint(3, 3)), edit->size() - QSize(6, 6))});
    for (auto* bar : window->findChildren<QMenuBar*>())
        for (QAction* action : bar->actions()) {
            const QRect item = bar->actionGeometry(action).adjusted(1, 1, -1, -1);
            boxes.append({action->text(), QRect(bar->mapTo(window, item.topLeft()), item.size())});
        }
    return boxes;
}

// A dark scheme of the kind a desktop hands Qt (Adwaita's dark colours).
QPalette DarkPalette()
{
    const QColor window(0x35, 0x35, 0x35), text(0xee, 0xee, 0xec), base(0x2d, 0x2d, 0x2d);
    QPalette palette(text, window, window.lighter(150), window.darker(200), window.darker(130),
                     text, Qt::white, base, window);
    palette.setColor(QPalette::Highlight, QColor(0x15, 0x53, 0x9e));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x91, 0x91, 0x90));
    return palette;
}

// Sets the application's palette for one test.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(saved_); }

private:
    QPalette saved_ = QApplication::palette();
};

void Calculate(const MainWindow& main, const QString& text)
{
    main.Type(text);
    ModalWatcher closeAll;
    main.form.Command1_Click();
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void qtTextsInItalian()
    {
        RuntimeScope scope;
        MainWindow main;
        main.Type(QStringLiteral("12"));
        std::unique_ptr<QMenu> menu(main.Text1()->createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts.append(action->text().section(u'\t', 0, 0));
        QCOMPARE(texts, (QStringList{"Ann&ulla", "&Rifai", "&Taglia", "&Copia", "&Incolla",
                                     "Elimina", "Seleziona tutto"}));

        QString button;
        ModalWatcher watcher([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                button = box->buttons().value(0)->text();
        });
        main.Type(QStringLiteral("751"));
        main.form.Command1_Click();
        QCOMPARE(watcher.Seen().size(), 1);
        // Italian keeps "OK"; the catalogue is what says so.
        QCOMPARE(button, QCoreApplication::translate("QPlatformTheme", "OK"));
        QCOMPARE(button, QStringLiteral("OK"));
    }

    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("opens");
        QTest::addColumn<int>("scalps");
        QTest::addColumn<bool>("calcolaEnabled");
        QTest::newRow("Calcola") << "Command1"
                                 << "" << 749 << false;
        QTest::newRow("text box") << "Text1"
                                  << "" << 0 << true;
        QTest::newRow("Riepilogo") << "Command2"
                                   << "Form2" << 749 << false;
        QTest::newRow("Chiudi of the reward window") << "Command1"
                                                     << "Form3" << 750 << false;
    }

    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, focus);
        QFETCH(QString, opens);
        QFETCH(int, scalps);
        QFETCH(bool, calcolaEnabled);
        RuntimeScope scope;
        MainWindow main;
        main.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.window));
        main.Type(QString::number(scalps));
        if (focus == u"Command2")
            Calculate(main, QString::number(scalps));
        QStringList stayedOpen;
        // Enter on the modal window's Chiudi; a window Enter cannot close is
        // closed here and noted.
        ModalWatcher watcher({}, [&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            for (auto* button : modal->findChildren<QPushButton*>())
                QVERIFY(!button->isDefault());
            auto* chiudi = Find<QPushButton>(modal, "Command1");
            chiudi->setFocus(Qt::TabFocusReason);
            QTest::keyClick(chiudi, Qt::Key_Return);
            if (modal->isVisible()) {
                stayedOpen.append(modal->objectName());
                modal->close();
            }
        });
        for (auto* button : main.window->findChildren<QPushButton*>())
            QVERIFY(!button->isDefault());
        QWidget* target = Find(main.window, focus);
        target->setFocus(Qt::TabFocusReason);
        QVERIFY(target->hasFocus());
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(main.Tally()[0], scalps);
        QCOMPARE(main.Command1()->isEnabled(), calcolaEnabled);
        QStringList seen;
        for (const ModalSeen& modal : watcher.Seen())
            seen.append(modal.objectName);
        // Enter and keypad Enter each open the summary once.
        const QStringList expected = opens.isEmpty()     ? QStringList()
                                     : opens == u"Form2" ? QStringList{opens, opens}
                                                         : QStringList{opens};
        QCOMPARE(seen, expected);
        QVERIFY2(stayedOpen.isEmpty(), qPrintable(stayedOpen.join(u' ')));
    }

    // The About window keeps its stored colours on a light palette and
    // follows a dark one; pictures of both go to the screenshots.
    void aboutColoursFollowThePalette_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void aboutColoursFollowThePalette()
    {
        QFETCH(bool, dark);
        PaletteScope palette(dark ? DarkPalette() : QApplication::palette());
        RuntimeScope scope;
        MainWindow main;
        bool checked = false;
        ModalWatcher watcher([&](QWidget* modal) {
            const QPalette& own = modal->palette();
            for (const char* name : {"lblTitle", "lblDescription", "lblDisclaimer"})
                for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                    QCOMPARE(Find(modal, name)->palette().color(group, QPalette::WindowText),
                             dark ? own.color(group, QPalette::WindowText) : QColor(Qt::black));
            const QImage image = modal->grab().toImage();
            const auto pixel = [&](const char* name) {
                QWidget* rule = Find(modal, name);
                return image.pixelColor(rule->geometry().center());
            };
            QCOMPARE(pixel("Line1_1").rgb(),
                     dark ? own.color(QPalette::Dark).rgb() : qRgb(128, 128, 128));
            QCOMPARE(pixel("Line1_0").rgb(),
                     dark ? own.color(QPalette::Light).rgb() : qRgb(255, 255, 255));
            SaveScreenshot(modal, dark ? QStringLiteral("frm_about-dark")
                                       : QStringLiteral("frm_about-light"));
            checked = true;
        });
        main.form.abt_Click();
        QVERIFY(checked);
    }

    // Every text of the four windows, measured on the drawn pixels.
    void darkPaletteContrast()
    {
        PaletteScope palette(DarkPalette());
        RuntimeScope scope;
        MainWindow main;
        QStringList faults;
        int measured = 0;
        const auto measure = [&](QWidget* window, const QString& state) {
            const QImage image = window->grab().toImage();
            for (const auto& [name, box] : TextBoxes(window)) {
                const double ratio = MeasuredContrast(image, box);
                qInfo("%s %s: %.2f:1", qPrintable(state), qPrintable(name), ratio);
                ++measured;
                if (ratio < 4.5)
                    faults.append(
                        QStringLiteral("%1 %2 %3:1").arg(state, name).arg(ratio, 0, 'f', 2));
            }
        };
        main.Type(QStringLiteral("750"));
        ModalWatcher watcher([&](QWidget* modal) { measure(modal, modal->objectName()); });
        main.form.Command1_Click(); // the reward window
        measure(main.window, QStringLiteral("Form1 calculated"));
        main.form.Command2_Click();
        main.form.abt_Click();
        main.Type(QStringLiteral("750"));
        measure(main.window, QStringLiteral("Form1 edited"));
        QCOMPARE(watcher.Seen().size(), 3);
        QVERIFY(measured > 40);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    void aboutPictureShowsKeyboardFocus()
    {
        RuntimeScope scope;
        MainWindow main;
        QStringList unmarked;
        ModalWatcher watcher([&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            for (const char* name : {"picIcon", "Picture1"}) {
                QWidget* picture = Find(modal, name);
                QVERIFY(!picture->hasFocus());
                const QImage before = picture->grab().toImage();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QVERIFY(picture->hasFocus());
                if (picture->grab().toImage() == before)
                    unmarked.append(QLatin1String(name));
            }
        });
        main.form.abt_Click();
        QCOMPARE(watcher.Seen().size(), 1);
        QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(u' ')));
    }

    void screenReaderTree()
    {
        RuntimeScope scope;
        MainWindow main;
        auto* announcer = main.window->findChild<forms::Announcer*>();
        QVERIFY(announcer);
        QVERIFY(!announcer->isVisible());
        Calculate(main, QStringLiteral("123"));
        QVERIFY(announcer->isVisible());
        QAccessibleInterface* notification = QAccessible::queryAccessibleInterface(announcer);
        QCOMPARE(notification->role(), QAccessible::Notification);
        QCOMPARE(notification->text(QAccessible::Name),
                 QStringLiteral("Scalpi di Moon Tug: 123, Mazze di Skraugbashor: 24, Cinture "
                                "della forza Skraug: 4, Libri del collezionista: 1, Anelli del "
                                "Leone: 0"));

        const char* items[][4] = {{"LabelScalpi", "RestoScalpi", "BarraScalpi", "-627"},
                                  {"LabelMazze", "RestoMazze", "BarraMazze", "-126"},
                                  {"LabelCintole", "RestoCintole", "BarraCintole", "-26"},
                                  {"LabelLibri", "RestoLibri", "BarraLibri", "-9"},
                                  {"LabelAnelli", "RestoAnelli", "BarraAnelli", "-2"}};
        for (const auto& item : items) {
            const QString count = Find<QLabel>(main.window, item[0])->text();
            const QString itemName = count.section(QStringLiteral(": "), 0, 0);
            auto* shortfall = Find<QLabel>(main.window, item[1]);
            QCOMPARE(shortfall->text(), QLatin1String(item[3]));
            QAccessibleInterface* node = Node(main.window, QLatin1String(item[1]));
            QVERIFY(node);
            QCOMPARE(node->text(QAccessible::Name),
                     itemName + QStringLiteral(", differenza dal traguardo: ") + item[3]);
            auto* bar = Node(main.window, QLatin1String(item[2]));
            QVERIFY(bar);
            QVERIFY2(bar->text(QAccessible::Name).startsWith(itemName + QStringLiteral(", 0–")),
                     qPrintable(bar->text(QAccessible::Name)));
        }
        // Scale numbers and rules stay out of the tree, here and in About.
        QStringList shown;
        for (QAccessibleInterface* node : Tree(main.window))
            if (node->object() && forms::IsHiddenFromAccessibility(node->object()))
                shown.append(node->object()->objectName());
        for (int i = 2; i <= 16; ++i)
            QVERIFY(forms::IsHiddenFromAccessibility(
                Find(main.window, QStringLiteral("Label%1").arg(i))));
        QCOMPARE(main.window->findChildren<forms::Line*>().size(), 6);
        ModalWatcher watcher([&](QWidget* modal) {
            for (QAccessibleInterface* node : Tree(modal))
                if (node->object() && qobject_cast<forms::Line*>(node->object()))
                    shown.append(node->object()->objectName());
        });
        main.form.abt_Click();
        QCOMPARE(watcher.Seen().size(), 1);
        QCOMPARE(shown, QStringList());
    }

    void textQueriesAlwaysReturn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("number") << "750";
        QTest::newRow("empty") << "";
        QTest::newRow("words") << "Scalpi di Moon Tug";
        QTest::newRow("blanks and signs") << "  -7, 5.0 ";
        QTest::newRow("surrogates") << QString::fromUtf8("7\xF0\x9F\x98\x80 5");
    }

    void textQueriesAlwaysReturn()
    {
        QFETCH(QString, typed);
        RuntimeScope scope;
        MainWindow main;
        Watchdog dog(std::chrono::seconds(20));
        QStringList faults;
        QSet<QString> asked;
        const auto queryAll = [&](QWidget* window) {
            for (QAccessibleInterface* node : Tree(window))
                if (node->textInterface()) {
                    asked.insert(node->object()->objectName());
                    QueryEveryOffset(dog, node, faults);
                }
        };
        main.Type(QStringLiteral("750"));
        ModalWatcher watcher([&](QWidget* modal) { queryAll(modal); });
        main.form.Command1_Click();
        main.form.Command2_Click();
        main.form.abt_Click();
        main.Text1()->setText(typed);
        queryAll(main.window);
        qInfo("text interfaces: %s",
              qPrintable(QStringList(asked.cbegin(), asked.cend()).join(u' ')));
        QCOMPARE(watcher.Seen().size(), 3);
        QVERIFY(asked.contains(QStringLiteral("Text1")));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u'\n')));
    }

    void screenReaderEditsTheBox_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("with");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("result");
        QTest::newRow("insert at the start") << 0 << "1" << 0 << "1740";
        QTest::newRow("insert at the end") << 3 << "0" << 3 << "7400";
        QTest::newRow("replace the middle") << 1 << "5" << 2 << "750";
        QTest::newRow("delete all") << 0 << "" << 3 << "";
        QTest::newRow("offsets past the ends") << -5 << "12" << 99 << "12";
        QTest::newRow("end before start") << 2 << "x" << 1 << "74x0";
    }

    // A screen reader edits the box as typing does: offsets outside the text
    // come inside it, and the change reaches the window's handler.
    void screenReaderEditsTheBox()
    {
        QFETCH(int, start);
        QFETCH(QString, with);
        QFETCH(int, end);
        QFETCH(QString, result);
        RuntimeScope scope;
        MainWindow main;
        main.Calculate(QStringLiteral("740"));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(main.Text1());
        QVERIFY(box->state().editable && !box->state().readOnly);
        QVERIFY(box->editableTextInterface());
        box->editableTextInterface()->replaceText(start, end, with);
        QCOMPARE(main.Text1()->text(), result);
        QCOMPARE(box->text(QAccessible::Value), result);
        QVERIFY(main.Command1()->isEnabled() && !main.Command2()->isEnabled());
        box->setText(QAccessible::Value, QStringLiteral("9"));
        QCOMPARE(main.Text1()->text(), QStringLiteral("9"));
    }

    // A megabyte through the text box's context menu: select all, delete,
    // paste back; then the calculation still reads the number at its end.
    void megabyteThroughTheContextMenu()
    {
        RuntimeScope scope;
        MainWindow main;
        Watchdog dog(std::chrono::seconds(60));
        const QString big = QString(1 << 20, u' ') + QStringLiteral("749");
        QApplication::clipboard()->setText(big);
        std::unique_ptr<QMenu> menu(main.Text1()->createStandardContextMenu());
        const auto trigger = [&](const char* name) {
            QAction* action = nullptr;
            for (QAction* candidate : menu->actions())
                if (candidate->text().section(u'\t', 0, 0) == QLatin1String(name))
                    action = candidate;
            QVERIFY2(action, name);
            dog.Guard(QLatin1String(name), [&] { action->trigger(); });
        };
        trigger("&Incolla");
        QCOMPARE(main.Text1()->text().size(), big.size());
        menu.reset(main.Text1()->createStandardContextMenu());
        trigger("Seleziona tutto");
        // Each action from a menu opened afresh, as a user would.
        menu.reset(main.Text1()->createStandardContextMenu());
        trigger("Elimina");
        QVERIFY(main.Text1()->text().isEmpty());
        menu.reset(main.Text1()->createStandardContextMenu());
        trigger("&Incolla");
        QCOMPARE(main.Text1()->text(), big);
        QAccessibleTextInterface* text
            = QAccessible::queryAccessibleInterface(main.Text1())->textInterface();
        for (int offset : {0, 1 << 19, int(big.size()) - 1, int(big.size())})
            for (int type = QAccessible::CharBoundary; type <= QAccessible::NoBoundary; ++type) {
                int start = 0, end = 0;
                dog.Guard(QStringLiteral("textAtOffset(%1, %2)").arg(offset).arg(type), [&] {
                    return text->textAtOffset(offset, QAccessible::TextBoundaryType(type), &start,
                                              &end);
                });
            }
        dog.Guard(QStringLiteral("calculation"), [&] {
            ModalWatcher closeAll;
            main.form.Command1_Click();
        });
        QCOMPARE(main.Tally(), (std::array<int, 5>{749, 149, 29, 9, 1}));
        QCOMPARE(Find<QLabel>(main.window, "RestoScalpi")->text(), QStringLiteral("-1"));
    }

    // On X11 the window's class is the application's name; the launcher
    // must name the same class to be matched with the window.
    void launcherNamesTheWindowClass()
    {
#ifdef Q_OS_WIN
        QSKIP("desktop entries belong to X11 and Wayland desktops");
#endif
        RuntimeScope scope;
        const QString entry = QCoreApplication::applicationDirPath()
                              + QStringLiteral("/../packaging/") + QString::fromUtf8(App::Id)
                              + QStringLiteral(".desktop");
        QFile file(entry);
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(entry));
        QStringList classes;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
            if (line.startsWith(QStringLiteral("StartupWMClass=")))
                classes.append(line.section(u'=', 1));
        QCOMPARE(classes, QStringList{QGuiApplication::applicationName()});
    }
};

QTEST_MAIN_WATCHED(TestAccess)
#include "test_access.moc"
