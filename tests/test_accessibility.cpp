// SPDX-License-Identifier: GPL-3.0-or-later
// The program as a keyboard or a screen reader meets it: Enter on the
// focused button, the menu from F10, what the accessible tree tells, and
// text queries that always return.

#include "suite_fixture.h"

#include "app/app.h"
#include "forms/accessible.h"
#include "forms/line.h"

#include <QAccessible>
#include <QClipboard>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <chrono>
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
            for (const auto& query : queries) {
                const QString call = QStringLiteral("%1 \"%2\" %3(%4, boundary %5)")
                                         .arg(name, whole.left(40), QLatin1String(query.second))
                                         .arg(offset)
                                         .arg(type);
                int start = -1, end = -1;
                const QString piece = dog.Guard(call, [&] {
                    return (text->*query.first)(offset, QAccessible::TextBoundaryType(type), &start,
                                                &end);
                });
                if (!piece.isEmpty()
                    && (start < 0 || end > length || piece != whole.mid(start, end - start)))
                    faults.append(
                        call
                        + QStringLiteral(" gave \"%1\" at %2..%3").arg(piece).arg(start).arg(end));
                // At the end, where typing leaves the cursor, the last piece comes before.
                if (piece.isEmpty() && offset == length && length > 0
                    && query.first == &QAccessibleTextInterface::textBeforeOffset)
                    faults.append(call + QStringLiteral(" gave nothing"));
            }
        }
    }
}

void Calculate(const MainWindow& main, const QString& text)
{
    main.Type(text);
    ModalWatcher closeAll;
    main.form.Command1_Click();
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { main.Reset(); }
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
        main->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main->window));
        main->Type(QString::number(scalps));
        if (focus == u"Command2")
            Calculate(*main, QString::number(scalps));
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
        for (auto* button : main->window->findChildren<QPushButton*>())
            QVERIFY(!button->isDefault());
        QWidget* target = Find(main->window, focus);
        target->setFocus(Qt::TabFocusReason);
        QVERIFY(target->hasFocus());
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(main->Tally()[0], scalps);
        QCOMPARE(main->Command1()->isEnabled(), calcolaEnabled);
        // Enter and keypad Enter each open the summary once.
        const QStringList expected = opens.isEmpty()     ? QStringList()
                                     : opens == u"Form2" ? QStringList{opens, opens}
                                                         : QStringList{opens};
        QCOMPARE(watcher.Names(), expected);
        QVERIFY2(stayedOpen.isEmpty(), qPrintable(stayedOpen.join(u' ')));
    }

    void menuReachableFromTheKeyboard()
    {
        auto* window = static_cast<QMainWindow*>(main->window);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F10);
        auto* controls = main->Get<QMenu>("controls");
        QCOMPARE(window->menuBar()->activeAction(), controls->menuAction());
        QTRY_VERIFY(controls->isVisible());
        QTest::keyClick(controls, Qt::Key_Escape);
    }

    void mainWindowAccessibleTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("accessibleName");
        const QAccessible::Role text = QAccessible::StaticText;
        QTest::newRow("Text1") << "Text1" << QAccessible::EditableText << "Scalpi";
        QTest::newRow("Command1") << "Command1" << QAccessible::Button << "Calcola";
        QTest::newRow("Command2") << "Command2" << QAccessible::Button << "Riepilogo";
        const char* bars[][2] = {{"BarraScalpi", "Scalpi di Moon Tug, 0–750"},
                                 {"BarraMazze", "Mazze di Skraugbashor, 0–150"},
                                 {"BarraCintole", "Cinture della forza Skraug, 0–30"},
                                 {"BarraLibri", "Libri del collezionista, 0–10"},
                                 {"BarraAnelli", "Anelli del Leone, 0–2"}};
        for (const auto& bar : bars)
            QTest::newRow(bar[0]) << bar[0] << QAccessible::ProgressBar
                                  << QString::fromUtf8(bar[1]);
        QTest::newRow("LabelScalpi") << "LabelScalpi" << text << "Scalpi di Moon Tug: 749";
        for (int i = 0; i < 5; ++i)
            QTest::newRow(kShortfalls[i]) << kShortfalls[i] << text
                                          << QString::fromUtf8(kCaptions[i]).chopped(2)
                                                 + QStringLiteral(", differenza dal traguardo: -1");
        QTest::newRow("LabelMazze") << "LabelMazze" << text << "Mazze di Skraugbashor: 149";
        QTest::newRow("menubar") << "menubar" << QAccessible::MenuBar << "";
    }

    void mainWindowAccessibleTree()
    {
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, accessibleName);
        main->Calculate(QStringLiteral("749")); // every count one short of its bar's maximum
        QAccessibleInterface* node = Node(main->window, name);
        QVERIFY2(node, qPrintable(name));
        QCOMPARE(node->role(), role);
        if (!accessibleName.isEmpty())
            QCOMPARE(node->text(QAccessible::Name), accessibleName);
        if (role == QAccessible::ProgressBar)
            QCOMPARE(node->valueInterface()->currentValue().toInt(),
                     node->valueInterface()->maximumValue().toInt() - 1);
    }

    // A calculation is announced; scale numbers and rules stay out of the tree.
    void screenReaderTree()
    {
        auto* announcer = main->window->findChild<forms::Announcer*>();
        QVERIFY(announcer);
        QVERIFY(!announcer->isVisible());
        Calculate(*main, QStringLiteral("123"));
        QVERIFY(announcer->isVisible());
        QAccessibleInterface* notification = QAccessible::queryAccessibleInterface(announcer);
        QCOMPARE(notification->role(), QAccessible::Notification);
        QCOMPARE(notification->text(QAccessible::Name),
                 QStringLiteral("Scalpi di Moon Tug: 123, Mazze di Skraugbashor: 24, Cinture "
                                "della forza Skraug: 4, Libri del collezionista: 1, Anelli del "
                                "Leone: 0"));

        // Scale numbers and rules stay out of the tree, here and in About.
        QStringList shown;
        for (QAccessibleInterface* node : Tree(main->window))
            if (node->object() && forms::IsHiddenFromAccessibility(node->object()))
                shown.append(node->object()->objectName());
        for (int i = 2; i <= 16; ++i)
            QVERIFY(forms::IsHiddenFromAccessibility(
                Find(main->window, QStringLiteral("Label%1").arg(i))));
        QCOMPARE(main->window->findChildren<forms::Line*>().size(), 6);
        ModalWatcher watcher([&](QWidget* modal) {
            for (QAccessibleInterface* node : Tree(modal))
                if (node->object() && qobject_cast<forms::Line*>(node->object()))
                    shown.append(node->object()->objectName());
        });
        main->form.abt_Click();
        QCOMPARE(watcher.Names(), QStringList{"frmAbout"});
        QCOMPARE(shown, QStringList());
    }

    void dialogsAccessibleTree_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<bool>("described");
        const QAccessible::Role text = QAccessible::StaticText, picture = QAccessible::Graphic;
        const QAccessible::Role button = QAccessible::Button;
        QTest::newRow("Form2 line") << "Form2"
                                    << "Label1" << text << "Scalpi di Moon Tug: 750" << false;
        QTest::newRow("Form2 Chiudi") << "Form2"
                                      << "Command1" << button << "Chiudi" << false;
        QTest::newRow("Form3 gem") << "Form3"
                                   << "Image1" << picture << "Occhio della tigre" << true;
        QTest::newRow("Form3 sword")
            << "Form3"
            << "Image2" << picture << "Spada della potenza in cristallo" << true;
        QTest::newRow("Form3 Chiudi") << "Form3"
                                      << "Command1" << button << "Chiudi" << false;
        QTest::newRow("About icon") << "frmAbout"
                                    << "picIcon" << picture << "Icona di Bottinaro" << true;
        QTest::newRow("About cursor")
            << "frmAbout"
            << "Picture1" << picture << "Cursore del pulsante Calcola" << true;
        QTest::newRow("About logo") << "frmAbout"
                                    << "Image1" << picture << "Logo di Quarvendo" << true;
        QTest::newRow("About version")
            << "frmAbout"
            << "lblVersion" << text
            << QStringLiteral("Versione ") + QString::fromLatin1(App::Version) << false;
        QTest::newRow("About OK") << "frmAbout"
                                  << "cmdOK" << button << "OK" << false;
    }

    void dialogsAccessibleTree()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, accessibleName);
        QFETCH(bool, described);
        main->Text1()->setText(QStringLiteral("750"));
        bool checked = false;
        ModalWatcher watcher([&](QWidget* modal) {
            if (modal->objectName() != window)
                return;
            QAccessibleInterface* node = Node(modal, name);
            QVERIFY2(node, qPrintable(name));
            QCOMPARE(node->role(), role);
            QCOMPARE(node->text(QAccessible::Name), accessibleName);
            QCOMPARE(!node->text(QAccessible::Description).isEmpty(), described);
            checked = true;
        });
        QVERIFY_THROWS_NO_EXCEPTION(main->form.Command1_Click()); // 750 opens the reward window
        QVERIFY_THROWS_NO_EXCEPTION(main->form.Command2_Click());
        QVERIFY_THROWS_NO_EXCEPTION(main->form.abt_Click());
        QVERIFY(checked);
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
        main->Type(QStringLiteral("750"));
        ModalWatcher watcher([&](QWidget* modal) { queryAll(modal); });
        main->form.Command1_Click();
        main->form.Command2_Click();
        main->form.abt_Click();
        main->Text1()->setText(typed);
        queryAll(main->window);
        qInfo("text interfaces: %s",
              qPrintable(QStringList(asked.cbegin(), asked.cend()).join(u' ')));
        QCOMPARE(watcher.Names(), QStringList({"Form3", "Form2", "frmAbout"}));
        QVERIFY(asked.contains(QStringLiteral("Text1")));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u'\n')));
    }

    void screenReaderEditsTheBox_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("with");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("caret");
        QTest::newRow("insert at the start") << 0 << "1" << 0 << "1740" << 1;
        QTest::newRow("insert at the end") << 3 << "0" << 3 << "7400" << 4;
        QTest::newRow("replace the middle") << 1 << "5" << 2 << "750" << 2;
        QTest::newRow("delete all") << 0 << "" << 3 << "" << 0;
        QTest::newRow("offsets past the ends") << -5 << "12" << 99 << "12" << 2;
        QTest::newRow("end before start") << 2 << "x" << 1 << "74x0" << 3;
    }

    // A screen reader edits the box as typing does: offsets outside the text
    // come inside it, the change reaches the window's handler, the caret
    // follows the new text and one undo takes the edit back.
    void screenReaderEditsTheBox()
    {
        QFETCH(int, start);
        QFETCH(QString, with);
        QFETCH(int, end);
        QFETCH(QString, result);
        QFETCH(int, caret);
        main->Calculate(QStringLiteral("740"));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(main->Text1());
        QVERIFY(box->state().editable && !box->state().readOnly);
        QVERIFY(box->editableTextInterface());
        box->editableTextInterface()->replaceText(start, end, with);
        QCOMPARE(main->Text1()->text(), result);
        QCOMPARE(box->text(QAccessible::Value), result);
        QCOMPARE(box->textInterface()->cursorPosition(), caret);
        QVERIFY(main->Command1()->isEnabled() && !main->Command2()->isEnabled());
        main->Text1()->undo();
        QCOMPARE(main->Text1()->text(), QStringLiteral("740"));
        box->setText(QAccessible::Value, QStringLiteral("9"));
        QCOMPARE(main->Text1()->text(), QStringLiteral("9"));
    }

    // A megabyte through the text box's context menu: select all, delete,
    // paste back; then the calculation still reads the number at its end.
    void megabyteThroughTheContextMenu()
    {
        Watchdog dog(std::chrono::seconds(60));
        const QString big = QString(1 << 20, u' ') + QStringLiteral("749");
        QApplication::clipboard()->setText(big);
        std::unique_ptr<QMenu> menu(main->Text1()->createStandardContextMenu());
        const auto trigger = [&](const char* name) {
            QAction* action = nullptr;
            for (QAction* candidate : menu->actions())
                if (candidate->text().section(u'\t', 0, 0) == QLatin1String(name))
                    action = candidate;
            QVERIFY2(action, name);
            dog.Guard(QLatin1String(name), [&] { action->trigger(); });
        };
        trigger("&Incolla");
        QCOMPARE(main->Text1()->text().size(), big.size());
        menu.reset(main->Text1()->createStandardContextMenu());
        trigger("Seleziona tutto");
        // Each action from a menu opened afresh, as a user would.
        menu.reset(main->Text1()->createStandardContextMenu());
        trigger("Elimina");
        QVERIFY(main->Text1()->text().isEmpty());
        menu.reset(main->Text1()->createStandardContextMenu());
        trigger("&Incolla");
        QCOMPARE(main->Text1()->text(), big);
        QAccessibleTextInterface* text
            = QAccessible::queryAccessibleInterface(main->Text1())->textInterface();
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
            main->form.Command1_Click();
        });
        QCOMPARE(main->Tally(), (std::array<int, 5>{749, 149, 29, 9, 1}));
        QCOMPARE(Find<QLabel>(main->window, "RestoScalpi")->text(), QStringLiteral("-1"));
    }

private:
    MainWindowFixture main;
};

QTEST_MAIN_WATCHED(TestAccessibility)
#include "test_accessibility.moc"
