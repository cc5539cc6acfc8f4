// SPDX-License-Identifier: GPL-3.0-or-later
#include "phone_screen.h"
#include "suite_fixture.h"
#include "tally_oracle.h"

#include "app/app.h"
#include "forms/arrangement.h"
#include "forms/label.h"

#include <QDialog>
#include <QLabel>
#include <QWindow>

#include <optional>

namespace {

enum class Way { kButton, kCloseCall, kSystemClose, kReject, kUnload, kEsc, kEnter };

// Closes every modal window that comes up; the one named `target` is first
// looked at by `inspect` and taken down by `close`, when given.
ModalWatcher Watch(const QString& target, ModalWatcher::Action inspect,
                   ModalWatcher::Action close = {})
{
    return ModalWatcher(
        [target, inspect](QWidget* modal) {
            if (modal->objectName() == target && inspect)
                inspect(modal);
        },
        [target, close](QWidget* modal) {
            if (modal->objectName() == target && close)
                close(modal);
            else
                ModalWatcher::CloseAnyhow(modal);
        });
}

QString Text(const QWidget* window, const QString& label)
{
    return Find<QLabel>(window, label)->text();
}

QString Blanks(int count)
{
    return QString(count, u' ');
}

} // namespace

Q_DECLARE_METATYPE(Way)

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { main.Reset(); }
    void summaryShowsTheCounts_data()
    {
        QTest::addColumn<bool>("calculate"); // the count calculated first, or the counts set
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QStringList>("windows"); // every modal window seen, in order
        const auto calculated = [](const char* name, int scalps, const QStringList& windows) {
            const std::array<int, 5> counts
                = oracle::Calculate(scalps, oracle::Bars::kChecked).counts;
            QTest::newRow(name) << true << QList<int>(counts.begin(), counts.end()) << windows;
        };
        calculated("after 750", 750, {"Form3", "Form2"});
        calculated("failed on 800", 800, {"Errore 380", "Form2"});
        calculated("failed on -1", -1, {"Errore 380", "Form2"});
        const QStringList summary = {QStringLiteral("Form2")};
        QTest::newRow("before any calculation") << false << QList<int>{0, 0, 0, 0, 0} << summary;
        QTest::newRow("extremes") << false << QList<int>{32767, -32768, 32767, -32768, 32767}
                                  << summary;
        QTest::newRow("extremes swapped")
            << false << QList<int>{-32768, 32767, -32768, 32767, -32768} << summary;
    }

    void summaryShowsTheCounts()
    {
        QFETCH(bool, calculate);
        QFETCH(QList<int>, shown);
        QFETCH(QStringList, windows);
        QStringList lines;
        QString title;
        ModalWatcher watcher = Watch(QStringLiteral("Form2"), [&](QWidget* modal) {
            title = modal->windowTitle();
            for (int i = 1; i <= 5; ++i)
                lines.append(Text(modal, QStringLiteral("Label%1").arg(i)));
        });
        if (calculate) {
            main->Calculate(QString::number(shown[0]));
        } else {
            for (int i = 0; i < kTallyLevels; ++i)
                main->form.Tally().Field(static_cast<TallyLevel>(i)) = std::int16_t(shown[i]);
        }
        // The button once a calculation has enabled it, the menu otherwise.
        if (main->Command2()->isEnabled())
            main->Command2()->click();
        else
            main->Action("riep")->trigger();

        QCOMPARE(watcher.Names(), windows);
        QCOMPARE(title, QStringLiteral("Riepilogo"));
        // This window's own texts: belts and books differ from the main window's.
        const QStringList expected = {
            QStringLiteral("Scalpi di Moon Tug: ") + QString::number(shown[0]),
            QStringLiteral("Mazze di Skraugbashor: ") + QString::number(shown[1]),
            QStringLiteral("Cinture di forza Skraug: ") + QString::number(shown[2]),
            QStringLiteral("Libri del Collezionista: ") + QString::number(shown[3]),
            QStringLiteral("Anelli del Leone: ") + QString::number(shown[4]),
        };
        QCOMPARE(lines, expected);
        // Read, never written.
        const std::array<int, 5> tally = main->Tally();
        QCOMPARE(QList<int>(tally.begin(), tally.end()), shown);
    }

    void summaryReadsTheCountsAfreshOnEveryOpening()
    {
        QStringList firstLines;
        ModalWatcher watcher = Watch(QStringLiteral("Form2"), [&](QWidget* modal) {
            firstLines.append(Text(modal, QStringLiteral("Label1")));
        });
        for (const char* scalps : {"1", "2"}) {
            main->Calculate(QString::fromLatin1(scalps));
            QVERIFY_THROWS_NO_EXCEPTION(main->form.Command2_Click());
        }
        QCOMPARE(firstLines, (QStringList{"Scalpi di Moon Tug: 1", "Scalpi di Moon Tug: 2"}));
    }

    void rewardTexts_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::newRow("T1") << "Label1"
                            << QStringLiteral(
                                   "Dopo avere collezionato ben 750 scalpi, 150 mazze, 30 "
                                   "cinture, 10 libri e 2 anelli, hai ottenuto (con una "
                                   "probabilità del 50%) il desiderato OCCHIO DELLA TIGRE");
        QTest::newRow("T2") << "Label2"
                            << "Requisiti:" + Blanks(15) + "113 Sag" + Blanks(2) + "115 Int";
        QTest::newRow("T3") << "Label3"
                            << "Bonus:" + Blanks(61) + "10 CA" + Blanks(22)
                                   + "+5 tutte le resistenze +5tutti i poteri";
        QTest::newRow("T4") << "Label4"
                            << "Se siete meno fortunati (o guerrieri), potrete ottenere una:"
                                   + Blanks(50) + "SPADA DELLA POTENZA IN CRISTALLO";
        QTest::newRow("T5") << "Label5"
                            << "Requisiti:" + Blanks(14) + "242 For" + Blanks(3) + "21 Agi"
                                   + Blanks(4) + "50 Sag" + Blanks(5) + "53 Int";
        QTest::newRow("T6") << "Label6"
                            << "Bonus:" + Blanks(61) + "+10 For" + Blanks(22) + "+10 Res"
                                   + Blanks(16) + "+10 Agi" + Blanks(19) + "+10 Penetr. Armature";
    }

    void rewardTexts()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        QString shown;
        QString title;
        ModalWatcher watcher = Watch(QStringLiteral("Form3"), [&](QWidget* modal) {
            title = modal->windowTitle();
            shown = Text(modal, label);
        });
        main->Calculate(QStringLiteral("750"));
        QCOMPARE(watcher.Names(), QStringList{QStringLiteral("Form3")});
        QCOMPARE(title, QStringLiteral("Occhio di tigre"));
        QCOMPARE(shown, text);
    }

    void aboutTexts()
    {
        QList<QStringList> openings;
        QList<qint64> iconImages;
        ModalWatcher watcher = Watch(QStringLiteral("frmAbout"), [&](QWidget* modal) {
            iconImages.append(Find<QLabel>(modal, QStringLiteral("picIcon"))->pixmap().cacheKey());
            QStringList texts = {modal->windowTitle()};
            for (const char* name : {"lblTitle", "lblVersion", "lblDescription", "lblDisclaimer"})
                texts.append(Text(modal, QString::fromLatin1(name)));
            openings.append(texts);
            // Black text where it is set, the default colour on the version line.
            for (const char* name : {"lblTitle", "lblDescription", "lblDisclaimer"}) {
                const QPalette palette = Find<QLabel>(modal, QString::fromLatin1(name))->palette();
                QVERIFY2(palette.isBrushSet(QPalette::Active, QPalette::WindowText), name);
                QCOMPARE(palette.color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 0));
                QCOMPARE(palette.color(QPalette::Inactive, QPalette::WindowText), QColor(0, 0, 0));
            }
            const QPalette version = Find<QLabel>(modal, QStringLiteral("lblVersion"))->palette();
            QVERIFY(!version.isBrushSet(QPalette::Active, QPalette::WindowText));
        });
        QVERIFY_THROWS_NO_EXCEPTION(main->form.abt_Click());
        QVERIFY_THROWS_NO_EXCEPTION(main->form.abt_Click());

        const QStringList expected = {
            QStringLiteral("Informazioni su Bottinaro"),
            QStringLiteral("Bottinaro"),
            QStringLiteral("Versione ") + QString::fromLatin1(App::Version),
            "Programma ideato e realizzato da" + Blanks(63) + "MORGOLIN",
            QString::fromUtf8(App::LegalCopyright),
        };
        QCOMPARE(openings.size(), 2);
        QCOMPARE(openings[0], expected);
        QCOMPARE(openings[1], expected);
        // One image for every opening, not a new copy left in Qt's pixmap cache each time.
        QCOMPARE(iconImages[1], iconImages[0]);
    }

    // Tab goes round OK and both pictures; a focused picture shows it.
    void aboutKeyboardFocus()
    {
        QStringList focus, unmarked;
        ModalWatcher watcher = Watch(QStringLiteral("frmAbout"), [&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            QVERIFY(Find<QPushButton>(modal, QStringLiteral("cmdOK"))->isDefault());
            QHash<QString, QImage> unfocused;
            for (const QString name : {"picIcon", "Picture1"})
                unfocused[name] = Find(modal, name)->grab().toImage();
            for (int step = 0; step < 4; ++step) {
                QWidget* at = QApplication::focusWidget();
                focus.append(at->objectName());
                if (unfocused.value(at->objectName()) == at->grab().toImage())
                    unmarked.append(at->objectName());
                QTest::keyClick(at, Qt::Key_Tab);
            }
        });
        main->Open(QStringLiteral("frmAbout"));
        QCOMPARE(focus, (QStringList{"cmdOK", "picIcon", "Picture1", "cmdOK"}));
        QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(u' ')));
    }

    // Every way of closing each secondary window: it either closes for good
    // (unloaded, destroyed, control back to the main window) or stays up and
    // modal; it is never left hidden but loaded, with the modal Show waiting
    // for ever.
    void closing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("focus"); // where a key is pressed or the button clicked
        QTest::addColumn<bool>("closes");
        const auto common = [](const char* window, const char* button) {
            QTest::addRow("%s: %s", window, button) << window << Way::kButton << button << true;
            QTest::addRow("%s: close()", window) << window << Way::kCloseCall << "" << true;
            QTest::addRow("%s: system close", window) << window << Way::kSystemClose << "" << true;
            QTest::addRow("%s: reject()", window) << window << Way::kReject << "" << true;
            QTest::addRow("%s: unload", window) << window << Way::kUnload << "" << true;
        };
        for (const char* window : {"Form2", "Form3"}) {
            common(window, "Command1");
            // No cancel button; Enter presses the focused button.
            QTest::addRow("%s: Esc", window) << window << Way::kEsc << "Command1" << false;
            QTest::addRow("%s: Enter", window) << window << Way::kEnter << "Command1" << true;
        }
        common("frmAbout", "cmdOK");
        for (const char* focus : {"cmdOK", "picIcon", "Picture1"}) {
            QTest::addRow("frmAbout: Esc on %s", focus) << "frmAbout" << Way::kEsc << focus << true;
            QTest::addRow("frmAbout: Enter on %s", focus)
                << "frmAbout" << Way::kEnter << focus << true;
        }
    }

    void closing()
    {
        QFETCH(QString, window);
        QFETCH(Way, way);
        QFETCH(QString, focus);
        QFETCH(bool, closes);
        forms::Form& form = main->Secondary(window); // after the window, in its runtime
        bool closed = false;
        bool stillModal = false;
        QPointer<QWidget> shown;
        ModalWatcher watcher = Watch(window, {}, [&](QWidget* modal) {
            shown = modal;
            switch (way) {
            case Way::kButton:
                Find<QPushButton>(modal, focus)->click();
                break;
            case Way::kCloseCall:
                modal->close();
                break;
            case Way::kSystemClose:
                modal->windowHandle()->close();
                break;
            case Way::kReject:
                QVERIFY(qobject_cast<QDialog*>(modal));
                static_cast<QDialog*>(modal)->reject();
                break;
            case Way::kUnload:
                form.Unload();
                break;
            case Way::kEsc:
            case Way::kEnter:
                QVERIFY(QTest::qWaitForWindowActive(modal));
                Find(modal, focus)->setFocus();
                QCOMPARE(QApplication::focusWidget(), Find(modal, focus));
                QTest::keyClick(QApplication::focusWidget(),
                                way == Way::kEsc ? Qt::Key_Escape : Qt::Key_Return);
                break;
            }
            closed = !form.IsLoaded();
            stillModal = modal->isVisible() && QApplication::activeModalWidget() == modal;
            if (form.IsLoaded())
                form.Unload();
        });
        main->Open(window);
        QCOMPARE(closed, closes);
        QCOMPARE(stillModal, !closes);
        QVERIFY(!form.IsLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(shown.isNull()); // unloaded means destroyed, not merely hidden
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(main->form.IsLoaded() && main->window->isEnabled());
        // The main window takes input again: it opens the window anew, and
        // no other window came up in between.
        main->Open(window);
        QCOMPARE(watcher.Names(), QStringList(2, window));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void windowFrames_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<Qt::WindowType>("type");
        QTest::addColumn<bool>("icon");
        QTest::newRow("Form2") << "Form2" << Qt::Tool << false;
        QTest::newRow("Form3") << "Form3" << Qt::Tool << false;
        QTest::newRow("frmAbout") << "frmAbout" << Qt::Dialog << true;
    }

    void windowFrames()
    {
        QFETCH(QString, window);
        QFETCH(Qt::WindowType, type);
        QFETCH(bool, icon);
        Qt::WindowFlags flags;
        QIcon windowIcon;
        QWidget* owner = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
        bool fixed = false;
        ModalWatcher watcher = Watch(window, [&](QWidget* modal) {
            flags = modal->windowFlags();
            windowIcon = modal->windowIcon();
            owner = modal->parentWidget();
            modality = modal->windowModality();
            fixed = modal->minimumSize() == modal->maximumSize();
        });
        main->Open(window);
        QCOMPARE(Qt::WindowType(int(flags & Qt::WindowType_Mask)), type);
        const Qt::WindowFlags titleAndClose
            = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        QCOMPARE(flags & titleAndClose, titleAndClose);
        QVERIFY(!(flags & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)));
        QCOMPARE(bool(flags & Qt::MSWindowsFixedSizeDialogHint), type == Qt::Dialog);
        QVERIFY(fixed);
        QCOMPARE(owner, main->window);
        QCOMPARE(modality, Qt::ApplicationModal);
        if (icon)
            QVERIFY(windowIcon.availableSizes().contains(QSize(32, 32)));
        else
            QVERIFY(windowIcon.isNull()); // not even the owner's
    }

    void geometry_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name"); // empty: the client area
        QTest::addColumn<QRect>("rect"); // pixels
        QTest::addColumn<bool>("placed"); // false: the system places the window
        const auto row = [](const char* window, const char* name, int x, int y, int w, int h,
                            bool placed = true) {
            QTest::addRow("%s %s", window, *name ? name : "client")
                << window << name << QRect(x, y, w, h) << placed;
        };
        row("Form2", "", 0, 0, 169, 207, false);
        for (int i = 0; i < 5; ++i)
            row("Form2", qPrintable(QStringLiteral("Label%1").arg(i + 1)), 16, 16 + 32 * i, 137,
                17);
        row("Form2", "Command1", 16, 184, 137, 17);

        row("Form3", "", 0, 0, 297, 361, false);
        row("Form3", "Label1", 32, 8, 233, 57);
        row("Form3", "Image1", 48, 88, 21, 25);
        row("Form3", "Label2", 96, 88, 49, 57);
        row("Form3", "Label3", 160, 88, 105, 65);
        row("Form3", "Label4", 32, 176, 241, 41);
        row("Form3", "Image2", 40, 232, 40, 81);
        row("Form3", "Label5", 88, 232, 49, 89);
        row("Form3", "Label6", 152, 232, 105, 89);
        row("Form3", "Command1", 24, 336, 249, 17);

        row("frmAbout", "", 156, 129, 382, 212);
        row("frmAbout", "picIcon", 16, 16, 36, 36);
        row("frmAbout", "Picture1", 16, 64, 36, 36);
        row("frmAbout", "lblTitle", 70, 16, 179, 32);
        row("frmAbout", "lblVersion", 70, 52, 179, 15);
        row("frmAbout", "lblDescription", 70, 75, 179, 78);
        row("frmAbout", "Image1", 264, 16, 113, 127);
        row("frmAbout", "Line1_1", 6, 163, 371, 1);
        row("frmAbout", "Line1_0", 7, 164, 370, 2);
        row("frmAbout", "lblDisclaimer", 17, 175, 258, 23);
        row("frmAbout", "cmdOK", 283, 175, 84, 23);
    }

    void geometry()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(bool, placed);
        // The About window stands still wherever the main window is.
        main->window->move(400, 300);
        QRect found;
        ModalWatcher watcher = Watch(window, [&](QWidget* modal) {
            found = name.isEmpty() ? modal->geometry() : Find(modal, name)->geometry();
        });
        main->Open(window);
        if (!placed)
            rect.moveTopLeft(found.topLeft());
        QCOMPARE(found, rect);
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("gem") << "Form3"
                             << "Image1"
                             << ":/assets/gem.gif" << QSize(21, 25);
        QTest::newRow("sword") << "Form3"
                               << "Image2"
                               << ":/assets/sword.gif" << QSize(40, 81);
        QTest::newRow("logo") << "frmAbout"
                              << "Image1"
                              << ":/assets/logo.bmp" << QSize(113, 127);
        QTest::newRow("icon") << "frmAbout"
                              << "picIcon"
                              << ":/assets/app.ico" << QSize(32, 32);
        QTest::newRow("cursor") << "frmAbout"
                                << "Picture1"
                                << ":/assets/cursor.ico" << QSize(32, 32);
    }

    void pictures()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, file);
        QFETCH(QSize, size);
        const QImage expected = Picture(file, size);
        QVERIFY(!expected.isNull());
        QImage shown;
        QImage screen;
        QRect content;
        bool scaled = true;
        ModalWatcher watcher = Watch(window, [&](QWidget* modal) {
            auto* picture = Find<QLabel>(modal, name);
            shown
                = picture->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            scaled = picture->hasScaledContents();
            content = picture->contentsRect().translated(picture->pos());
            screen = modal->grab().toImage();
        });
        main->Open(window);
        QCOMPARE(shown.size(), size);
        QVERIFY(shown == expected);
        // Unscaled, filling its box inside the border.
        QVERIFY(!scaled);
        QCOMPARE(content.size(), size);
        // Transparent pixels show the window's background; the others the picture.
        const QRgb background = screen.pixel(0, 0);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb source = expected.pixel(x, y);
                const QRgb drawn = screen.pixel(content.topLeft() + QPoint(x, y));
                if (qAlpha(source) == 0)
                    QCOMPARE(drawn, background);
                else if (qAlpha(source) == 255)
                    QCOMPARE(drawn, source);
            }
    }

    void aboutEtchedRule()
    {
        QImage screen;
        ModalWatcher watcher = Watch(QStringLiteral("frmAbout"),
                                     [&](QWidget* modal) { screen = modal->grab().toImage(); });
        main->Open(QStringLiteral("frmAbout"));
        QVERIFY(!screen.isNull());
        const QColor grey(128, 128, 128);
        const QColor white(255, 255, 255);
        for (int x = 0; x < screen.width(); ++x) {
            QCOMPARE(screen.pixelColor(x, 163) == grey, x >= 6 && x <= 376);
            QCOMPARE(screen.pixelColor(x, 164) == white, x >= 7 && x <= 376);
            QCOMPARE(screen.pixelColor(x, 165) == white, x >= 7 && x <= 376);
            QVERIFY(screen.pixelColor(x, 162) != grey && screen.pixelColor(x, 166) != white);
        }
    }

    // Every caption's ink stays inside the window and off the other controls,
    // as designed and as laid out again on a phone, where each window is
    // whole on the screen with text no smaller than the designed one's, and
    // the summary's upright as large as the main window's there.
    void textsKeepClearOfEachOther_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("screen"); // none: the suite's own
        QTest::addColumn<int>("font"); // pixels of the smallest text
        for (const char* window : {"Form2", "Form3", "frmAbout"})
            for (const QSize screen : {QSize(), QSize(360, 740), QSize(375, 667), QSize(412, 915),
                                       QSize(915, 412), QSize(844, 390), QSize(640, 360)}) {
                const bool upright = screen.isValid() && screen.height() > screen.width();
                QTest::addRow("%s %dx%d", window, screen.width(), screen.height())
                    << window << screen
                    << (upright && QByteArray(window) == "Form2" ? forms::kFingerFontPixels
                                                                 : forms::kDesignedFontPixels);
            }
    }

    void textsKeepClearOfEachOther()
    {
        QFETCH(QString, window);
        QFETCH(QSize, screen);
        QFETCH(int, font);
        PhoneScreenFor(main.phone, screen);
        // The widest counts there are.
        CollectionTally& tally = main->form.Tally();
        tally.sca = tally.maz = tally.cin = tally.lib = tally.ane = -32768;
        QStringList faults;
        int labels = 0;
        ModalWatcher watcher = Watch(window, [&](QWidget* modal) {
            if (main.phone
                && !main.phone->Screen()->availableGeometry().contains(modal->frameGeometry()))
                faults.append(QStringLiteral("the window reaches past the screen"));
            const QRect client = modal->rect();
            for (auto* label : modal->findChildren<forms::Label*>()) {
                ++labels;
                if (QFontInfo(label->font()).pixelSize() < font)
                    faults.append(label->objectName() + QStringLiteral(" text too small"));
                const QRect ink = label->InkRect();
                if (!client.contains(ink))
                    faults.append(label->objectName() + QStringLiteral(" leaves the window"));
                for (auto* other : modal->findChildren<QWidget*>()) {
                    if (other == label || other->parentWidget() != modal)
                        continue;
                    auto* otherLabel = qobject_cast<forms::Label*>(other);
                    // Less the pixel of slack around each ink rectangle.
                    const QRect otherRect = otherLabel
                                                ? otherLabel->InkRect().adjusted(1, 1, -1, -1)
                                                : other->geometry();
                    if (ink.adjusted(1, 1, -1, -1).intersects(otherRect))
                        faults.append(label->objectName() + QStringLiteral(" overlaps ")
                                      + other->objectName());
                }
            }
            if (main.phone)
                SaveScreenshot(
                    modal, modal->objectName().toLower()
                               + QStringLiteral("-%1x%2").arg(screen.width()).arg(screen.height()));
        });
        main->Open(window);
        QVERIFY(labels > 0);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

private:
    MainWindowFixture main;
};

QTEST_MAIN_WATCHED(TestDialogs)
#include "test_dialogs.moc"
