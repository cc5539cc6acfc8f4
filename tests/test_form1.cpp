// SPDX-License-Identifier: GPL-3.0-or-later
#include "phone_screen.h"
#include "suite_fixture.h"
#include "tally_oracle.h"

#include "forms/label.h"
#include "forms/line.h"
#include "forms/progress_bar.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <array>
#include <memory>
#include <optional>

static_assert(oracle::kRefusedByBar == forms::kInvalidPropertyValue
              && oracle::kOverflow == forms::kOverflow);

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { main.Reset(); }
    // Qt's own texts in Italian, from the catalogue the program carries.
    void qtTextsInItalian()
    {
        main->Type(QStringLiteral("12"));
        std::unique_ptr<QMenu> menu(main->Text1()->createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts.append(action->text().section(u'\t', 0, 0));
        QCOMPARE(texts, (QStringList{"Ann&ulla", "&Rifai", "&Taglia", "&Copia", "&Incolla",
                                     "Elimina", "Seleziona tutto"}));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Qt::Alignment>("align"); // of a label's text
        const Qt::Alignment left = Qt::AlignLeft, centre = Qt::AlignHCenter, right = Qt::AlignRight,
                            none;
        auto add = [](const char* name, int l, int t, int w, int h, const char* text = "",
                      Qt::Alignment align = Qt::AlignLeft) {
            QTest::newRow(name) << QString::fromLatin1(name)
                                << QRect(l / 15, t / 15, w / 15, h / 15) << QString::fromUtf8(text)
                                << align;
        };
        add("Label1", 2520, 240, 735, 255, "Scalpi");
        add("Text1", 2520, 480, 735, 285, "", none);
        add("Command1", 3480, 480, 975, 255, "Calcola", none);
        add("Command2", 4800, 480, 975, 255, "Riepilogo", none);
        const char* designCounts[]
            = {"Scalpi di Moon Tug: ", "Mazze di skraugbashor: ", "Cinture di forza Skraug: ",
               "Libri del collezionista: ", "Anelli del leone: "};
        const char* scaleText[5][3] = {{"0", "375", "750"},
                                       {"0", "75", "150"},
                                       {"0", "15", "30"},
                                       {"0", "5", "10"},
                                       {"0", "1", "2"}};
        for (int k = 0; k < 5; ++k) {
            add(kCounts[k], 240, 1080 + 1200 * k, k < 2 ? 3375 : 3255, 255, designCounts[k]);
            add(kShortfalls[k], 5640, 1080 + 1200 * k, 1575, 255, "", right);
            add(kBars[k], 120, 1560 + 1200 * k, 7095, 255, "", none);
            const auto& scale = kBandNames[k].scale;
            add(scale[0], 120, 1800 + 1200 * k, 255, 255, scaleText[k][0], left);
            add(scale[1], 3480, 1800 + 1200 * k, 255, 255, scaleText[k][1], centre);
            add(scale[2], 6960, 1800 + 1200 * k, 255, 255, scaleText[k][2],
                k == 4 ? right : centre);
        }
        // Rules: x 120 up to (not including) 7200, one pixel high.
        for (int k = 0; k < 6; ++k) {
            const QByteArray name = "Line" + QByteArray::number(k + 1);
            QTest::newRow(name.constData())
                << QString::fromLatin1(name) << QRect(8, (960 + 1200 * k) / 15, 472, 1) << QString()
                << none;
        }
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, box);
        QFETCH(QString, text);
        QFETCH(Qt::Alignment, align);
        QWidget* control = main->window->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), static_cast<QMainWindow*>(main->window)->centralWidget());
        QCOMPARE(control->geometry(), box);
        QVERIFY(control->isVisible());
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, align);
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
            QCOMPARE(label->frameShape(), QFrame::NoFrame);
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
            QVERIFY(!button->isDefault() && !button->autoDefault());
            QVERIFY(button->shortcut().isEmpty());
        } else if (auto* line = qobject_cast<forms::Line*>(control)) {
            const bool dotted = name != QLatin1String("Line1");
            QCOMPARE(line->Dotted(), dotted);
            QCOMPARE(line->focusPolicy(), Qt::NoFocus);
            // Drawn so: every pixel of the rule in the text colour, or every other one.
            const QImage shot = main->window->grab().toImage();
            const QColor ink = line->palette().color(QPalette::WindowText);
            const QPoint at = line->mapTo(main->window, QPoint(0, 0));
            for (int x = 0; x < box.width(); ++x)
                QVERIFY2((shot.pixelColor(at + QPoint(x, 0)) == ink) == (!dotted || x % 2 == 0),
                         qPrintable(QString::number(x)));
        }
    }

    void windowProperties()
    {
        auto* window = static_cast<QMainWindow*>(main->window);
        QCOMPARE(window->objectName(), QStringLiteral("Form1"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Bottinaro"));
        // Fixed: the window cannot be resized or maximized.
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!main->Get<QLabel>("Label1")->text().contains(u'&'));
        // The calculate button's own cursor picture, pointing with the pixel at 2, 2.
        const QCursor cursor = main->Command1()->cursor();
        QCOMPARE(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 Picture(QStringLiteral(":/assets/cursor.ico"), QSize(32, 32)));
        QCOMPARE(cursor.hotSpot(), QPoint(2, 2));
        QCOMPARE(main->Text1()->text(), QString());
        for (const char* bar : kBars) {
            QCOMPARE(main->Get<forms::ProgressBar>(bar)->Value(), 0.0f);
            QCOMPARE(main->Get<forms::ProgressBar>(bar)->focusPolicy(), Qt::NoFocus);
        }
        const float maxima[] = {750, 150, 30, 10, 2};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(main->Get<forms::ProgressBar>(kBars[i])->Max(), maxima[i]);
    }

    // The same order as designed on a phone, held either way.
    void tabOrder_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("as designed") << QSize();
        QTest::newRow("phone upright") << QSize(360, 740);
        QTest::newRow("phone turned") << QSize(740, 360);
    }

    void tabOrder()
    {
        QFETCH(QSize, screen);
        PhoneScreenFor(main.phone, screen);
        QCOMPARE(main->form.CurrentArrangement() != Form1::Arrangement::Designed, screen.isValid());
        main->Type(QStringLiteral("7")); // enables Calcola
        main->Command2()->setEnabled(true);
        main->window->activateWindow();
        main->Text1()->setFocus();
        QStringList order;
        QWidget* at = main->Text1();
        for (int i = 0; i < 3; ++i) {
            order << at->objectName();
            do
                at = at->nextInFocusChain();
            while (!(at->focusPolicy() & Qt::TabFocus) || !at->isEnabled() || !at->isVisible());
        }
        QCOMPARE(order, QStringList({"Text1", "Command1", "Command2"}));
        QCOMPARE(at, main->Text1());
    }

    // Where the designed window does not fit, it fills the screen with every
    // text at least the arrangement's font and every control at least its
    // target, nothing off the screen; elsewhere it stays as designed.
    void laidOutForTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<Form1::Arrangement>("arrangement");
        QTest::addColumn<int>("font"); // pixels of the smallest text
        QTest::addColumn<int>("target"); // the smallest side of a control
        using A = Form1::Arrangement;
        QTest::newRow("360 x 740") << QSize(360, 740) << A::Upright << 14 << 44;
        QTest::newRow("375 x 667") << QSize(375, 667) << A::Upright << 14 << 44;
        QTest::newRow("412 x 915") << QSize(412, 915) << A::Upright << 14 << 44;
        QTest::newRow("915 x 412") << QSize(915, 412) << A::Turned << 10 << 24;
        QTest::newRow("844 x 390") << QSize(844, 390) << A::Turned << 10 << 24;
        QTest::newRow("640 x 360") << QSize(640, 360) << A::Turned << 10 << 24;
        QTest::newRow("1024 x 768") << QSize(1024, 768) << A::Designed << 10 << 0;
    }

    void laidOutForTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(Form1::Arrangement, arrangement);
        QFETCH(int, font);
        QFETCH(int, target);
        PhoneScreenFor(main.phone, screen);
        main->Calculate(QStringLiteral("749"));
        QCOMPARE(main->form.CurrentArrangement(), arrangement);
        QWidget* window = main->window;
        QCOMPARE(window->isFullScreen(), arrangement != Form1::Arrangement::Designed);
        if (window->isFullScreen())
            QTRY_COMPARE(window->geometry(), QRect(QPoint(), screen));
        QStringList faults;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (widget->isWindow() || !widget->isVisible() || widget->size().isEmpty())
                continue;
            const QRect box(widget->mapToGlobal(QPoint()), widget->size());
            if (!window->geometry().contains(box) || !QRect(QPoint(), screen).contains(box))
                faults << QString::fromLatin1(widget->metaObject()->className()) + u' '
                              + widget->objectName() + QStringLiteral(" off the screen");
            if ((qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)
                 || qobject_cast<QLineEdit*>(widget) || qobject_cast<QMenuBar*>(widget))
                && QFontInfo(widget->font()).pixelSize() < font)
                faults << widget->objectName() + QStringLiteral(" text too small");
        }
        QList<QSize> targets{main->Text1()->size(), main->Command1()->size(),
                             main->Command2()->size()};
        auto* bar = window->findChild<QMenuBar*>();
        for (QAction* action : bar->actions())
            targets << bar->actionGeometry(action).size();
        for (const QSize size : targets)
            if (size.width() < target || size.height() < target)
                faults
                    << QStringLiteral("a control of %1 x %2").arg(size.width()).arg(size.height());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        QCOMPARE(main->Get<QLabel>("LabelScalpi")->text(),
                 QStringLiteral("Scalpi di Moon Tug: 749"));
        SaveScreenshot(window,
                       QStringLiteral("form1-%1x%2").arg(screen.width()).arg(screen.height()));
    }

    // Turned while a number is shown: the same texts and bars; and back on a
    // screen the designed window fits, every pixel as in a window opened there.
    void turningKeepsWhatIsShown()
    {
        PhoneScreenFor(main.phone, QSize(360, 740));
        const auto picture = [](const MainWindow& window) {
            window.Calculate(QStringLiteral("749"));
            window.Text1()->clearFocus(); // no caret in the picture
            return window.window->grab().toImage();
        };
        main->Calculate(QStringLiteral("749"));
        const auto shown = [&] {
            QStringList texts{main->Text1()->text()};
            for (const QLabel* label : main->window->findChildren<QLabel*>())
                texts << label->objectName() + u'=' + label->text();
            for (const forms::ProgressBar* bar : main->window->findChildren<forms::ProgressBar*>())
                texts << bar->objectName() + u'=' + QString::number(bar->Value());
            return texts;
        };
        const QStringList before = shown();
        using A = Form1::Arrangement;
        QCOMPARE(main->form.CurrentArrangement(), A::Upright);
        for (const auto& [size, arrangement] : {std::pair{QSize(740, 360), A::Turned},
                                                {QSize(412, 915), A::Upright},
                                                {QSize(1024, 768), A::Designed}}) {
            main.phone->Resize(size);
            QCOMPARE(main->form.CurrentArrangement(), arrangement);
            QCOMPARE(shown(), before);
        }
        const QImage turned = picture(*main);
        main->form.Unload();
        QCOMPARE(picture(MainWindow()), turned); // opened afresh where it fits
    }

    void menus()
    {
        auto* bar = static_cast<QMainWindow*>(main->window)->menuBar();
        QStringList menus;
        for (QAction* action : bar->actions())
            menus << action->menu()->objectName() + '=' + action->text();
        QCOMPARE(menus, QStringList({"controls=Controlli", "help=?"}));
        QStringList items;
        for (QAction* action : main->Get<QMenu>("controls")->actions())
            items << action->objectName() + '=' + (action->isSeparator() ? "-" : action->text());
        QCOMPARE(items, QStringList({"clac=Calcola", "riep=Riepilogo", "bar=-", "exit=Esci"}));
        const QList<QAction*> help = main->Get<QMenu>("help")->actions();
        QCOMPARE(help.size(), 1);
        QCOMPARE(help.first()->objectName(), QStringLiteral("abt"));
        QCOMPARE(help.first()->text(), QStringLiteral("About"));
        for (const char* name : {"clac", "riep", "exit", "abt"}) {
            QVERIFY(main->Action(name)->isEnabled());
            QVERIFY(main->Action(name)->shortcut().isEmpty());
            QVERIFY(!main->Action(name)->isCheckable());
        }
    }

    void startsWaitingForInput()
    {
        const Snapshot s = Take(*main);
        QVERIFY(!s.calcola && !s.riepilogo);
        QCOMPARE(s.shortfalls, QStringList(5, QString()));
        QCOMPARE(s.tally, (std::array<int, 5>{}));
        QCOMPARE(main->window->focusWidget(), main->Text1());
    }

    void typingEnablesCalcolaOnly()
    {
        QTest::keyClick(main->Text1(), Qt::Key_7);
        QVERIFY(main->Command1()->isEnabled());
        QVERIFY(!main->Command2()->isEnabled());
        // A change made by the program counts too.
        main->Command1()->click();
        QVERIFY(main->Command2()->isEnabled());
        main->Text1()->setText(QStringLiteral("8"));
        QVERIFY(main->Command1()->isEnabled());
        QVERIFY(!main->Command2()->isEnabled());
    }

    // Each row: what is typed, the error that ends the calculation (0 for
    // none), the count it converts to.
    void calculation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("scalps");
        QTest::addColumn<bool>("reward");
        const int refused = forms::kInvalidPropertyValue, mismatch = forms::kTypeMismatch,
                  overflow = forms::kOverflow;
        QTest::newRow("750") << "750" << 0 << 750 << true;
        QTest::newRow("0") << "0" << 0 << 0 << false;
        QTest::newRow("1") << "1" << 0 << 1 << false;
        QTest::newRow("374") << "374" << 0 << 374 << false;
        QTest::newRow("375") << "375" << 0 << 375 << false;
        QTest::newRow("749") << "749" << 0 << 749 << false;
        QTest::newRow("+750 with blanks") << " +750 " << 0 << 750 << true;
        QTest::newRow("0750") << "0750" << 0 << 750 << true;
        QTest::newRow("751") << "751" << refused << 751 << false;
        QTest::newRow("800") << "800" << refused << 800 << false;
        QTest::newRow("-1") << "-1" << refused << -1 << false;
        QTest::newRow("32767") << "32767" << refused << 32767 << false;
        QTest::newRow("-32768") << "-32768" << refused << -32768 << false;
        QTest::newRow("letters") << "abc" << mismatch << 0 << false;
        QTest::newRow("empty") << "" << mismatch << 0 << false;
        QTest::newRow("32768") << "32768" << overflow << 0 << false;
        QTest::newRow("fraction") << "7.5" << mismatch << 0 << false;
        QTest::newRow("huge") << QString(200, u'9') << overflow << 0 << false;
    }

    void calculation()
    {
        QFETCH(QString, text);
        QFETCH(int, error);
        QFETCH(int, scalps);
        QFETCH(bool, reward);
        // A text that is no number stops the calculation before it produces anything.
        const std::int32_t converted
            = forms::Trap([&] { QCOMPARE(int{forms::CInt(text)}, scalps); });
        const oracle::Calculation expected
            = converted ? oracle::Calculation{.error = converted}
                        : oracle::Calculate(scalps, oracle::Bars::kChecked);
        QCOMPARE(expected.error, error);
        // A previous result on screen, to see what a failure leaves.
        main->Type(QStringLiteral("375"));
        main->Command1()->click();
        const Snapshot before = Take(*main);

        main->Type(text);
        bool reachedDuringReward = false;
        ModalWatcher watcher([&](QWidget*) {
            // The reward window comes after the buttons are switched.
            reachedDuringReward = Take(*main) == Calculated(750);
        });
        main->Command1()->click();
        QCOMPARE(Take(*main), Shown(before, expected));

        const QList<ModalSeen>& seen = watcher.Seen();
        QCOMPARE(seen.size(), reward || error == forms::kInvalidPropertyValue ? 1 : 0);
        if (reward) {
            QCOMPARE(seen.first().objectName, QStringLiteral("Form3"));
            QVERIFY(reachedDuringReward);
        } else if (error == forms::kInvalidPropertyValue) {
            QCOMPARE(seen.first().title, QStringLiteral("Errore 380"));
            QCOMPARE(seen.first().text,
                     QStringLiteral("Il numero massimo di scalpi collezionabile è 750"));
            QCOMPARE(seen.first().icon, int(QMessageBox::Critical));
            QCOMPARE(seen.first().buttons, 1);
        }
    }

    void editingKeepsResults()
    {
        main->Type(QStringLiteral("749"));
        main->Command1()->click();
        const Snapshot calculated = Take(*main);
        main->Type(QStringLiteral("12"));
        Snapshot expected = calculated;
        expected.calcola = true;
        expected.riepilogo = false;
        QCOMPARE(Take(*main), expected);
    }

    void riepilogoButtonOpensTheSummary()
    {
        main->Type(QStringLiteral("10"));
        main->Command1()->click();
        ModalWatcher watcher;
        main->Command2()->click();
        QCOMPARE(watcher.Names(), QStringList{QStringLiteral("Form2")});
        QCOMPARE(Take(*main), Calculated(10));
    }

    // A megabyte of text is refused quietly and leaves no window behind.
    void megabyteOfText()
    {
        main->Text1()->setText(QString(1 << 20, u'7'));
        QCOMPARE(main->Text1()->text().size(), 1 << 20); // no length limit
        ModalWatcher watcher;
        main->Command1()->click();
        QCOMPARE(watcher.Names(), QStringList());
        QCOMPARE(Take(*main).tally, (std::array<int, 5>{}));
        main->Text1()->setText(QString(1 << 20, u'x'));
        main->Command1()->click();
        QCOMPARE(watcher.Names(), QStringList());
        QVERIFY(!main->Command1()->isEnabled() && !main->Command2()->isEnabled());
    }

    // Scale numbers wider than their box are drawn in full, not clipped.
    void scaleNumbersDrawnInFull()
    {
        main->Type(QStringLiteral("750"));
        ModalWatcher watcher;
        main->Command1()->click();
        auto* label = main->Get<forms::Label>("Label2");
        QVERIFY(label->InkRect().width() > label->width());
        QVERIFY(label->InkRect().center().x() - label->geometry().center().x() <= 1);
    }

    // Run last: these end the application's event loop.
    void exitEndsTheProgram_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Esci") << false;
        QTest::newRow("close box") << true;
    }

    void exitEndsTheProgram()
    {
        QFETCH(bool, closeBox);
        QTimer::singleShot(0, main->window, [&] {
            if (closeBox)
                main->window->close();
            else
                main->Action("exit")->trigger();
        });
        QTimer watchdog;
        watchdog.callOnTimeout([] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!main->form.IsLoaded());
    }

private:
    MainWindowFixture main;
};

QTEST_MAIN_WATCHED(TestForm1)
#include "test_form1.moc"
