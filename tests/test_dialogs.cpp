#include "fixture.h"

#include "app/app.h"
#include "forms/label.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/frm_about.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QWindow>

namespace {

template <class T = QWidget> T* Find(const QObject* parent, const QString& name)
{
    auto* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

QWidget* MainScreen()
{
    Form1& main = forms::Shared<Form1>();
    if (!main.IsLoaded())
        main.Show();
    return main.Window();
}

forms::Form& FormNamed(const QString& window)
{
    if (window == u"Form2")
        return forms::Shared<Form2>();
    if (window == u"Form3")
        return forms::Shared<Form3>();
    return forms::Shared<frmAbout>();
}

// Types a count and starts the calculation from the menu, which works
// whatever the state of "Calcola".
void Calculate(const QString& scalps)
{
    Find<QLineEdit>(MainScreen(), QStringLiteral("Text1"))->setText(scalps);
    Find<QAction>(MainScreen(), QStringLiteral("clac"))->trigger();
}

// Opens a window the way the main window does: the reward window by a
// calculation of 750, the others from the menu.
void Open(const QString& window)
{
    if (window == u"Form3")
        Calculate(QStringLiteral("750"));
    else
        Find<QAction>(MainScreen(),
                      window == u"Form2" ? QStringLiteral("riep") : QStringLiteral("abt"))
            ->trigger();
}

void CloseAnyhow(QWidget* modal)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        box->buttons().first()->click();
    else
        modal->close();
}

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
                CloseAnyhow(modal);
        });
}

QStringList Names(const QList<ModalSeen>& seen)
{
    QStringList names;
    for (const ModalSeen& window : seen)
        names.append(window.objectName);
    return names;
}

QString Text(const QWidget* window, const QString& label)
{
    return Find<QLabel>(window, label)->text();
}

QString Blanks(int count)
{
    return QString(count, u' ');
}

// The image a picture should show: of the file's images of that size, the
// one with the most colours.
QImage Picture(const QString& file, QSize size)
{
    QImageReader reader(file);
    QImage best;
    qsizetype bestColours = 0;
    do {
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y));
        if (image.size() == size && colours.size() > bestColours) {
            best = image;
            bestColours = colours.size();
        }
    } while (reader.jumpToNextImage());
    return best;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void summaryShowsTheCounts_data()
    {
        QTest::addColumn<QString>(
            "scalps"); // calculated first; if empty, the counts are set directly
        QTest::addColumn<QStringList>("windows"); // every modal window seen, in order
        QTest::addColumn<QList<int>>("shown");
        const QStringList summary = {QStringLiteral("Form2")};
        const QStringList afterError = {QStringLiteral("MsgBox"), QStringLiteral("Form2")};
        QTest::newRow("after 750")
            << "750" << QStringList{"Form3", "Form2"} << QList<int>{750, 150, 30, 10, 2};
        QTest::newRow("before any calculation") << "" << summary << QList<int>{0, 0, 0, 0, 0};
        QTest::newRow("failed on 800") << "800" << afterError << QList<int>{800, 0, 0, 0, 0};
        QTest::newRow("failed on -1") << "-1" << afterError << QList<int>{-1, 0, 0, 0, 0};
        QTest::newRow("extremes") << "" << summary
                                  << QList<int>{32767, -32768, 32767, -32768, 32767};
        QTest::newRow("extremes swapped")
            << "" << summary << QList<int>{-32768, 32767, -32768, 32767, -32768};
    }

    void summaryShowsTheCounts()
    {
        QFETCH(QString, scalps);
        QFETCH(QStringList, windows);
        QFETCH(QList<int>, shown);
        RuntimeScope scope;
        Form1& main = forms::Shared<Form1>();
        MainScreen();
        QStringList lines;
        QString title;
        ModalWatcher watcher = Watch(QStringLiteral("Form2"), [&](QWidget* modal) {
            title = modal->windowTitle();
            for (int i = 1; i <= 5; ++i)
                lines.append(Text(modal, QStringLiteral("Label%1").arg(i)));
        });
        if (!scalps.isEmpty()) {
            Calculate(scalps);
        } else {
            main.sca = std::int16_t(shown[0]);
            main.maz = std::int16_t(shown[1]);
            main.cin = std::int16_t(shown[2]);
            main.lib = std::int16_t(shown[3]);
            main.ane = std::int16_t(shown[4]);
        }
        // The button once a calculation has enabled it, the menu otherwise.
        auto* button = Find<QPushButton>(MainScreen(), QStringLiteral("Command2"));
        if (button->isEnabled())
            button->click();
        else
            Find<QAction>(MainScreen(), QStringLiteral("riep"))->trigger();

        QCOMPARE(Names(watcher.Seen()), windows);
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
        QCOMPARE((QList<int>{main.sca, main.maz, main.cin, main.lib, main.ane}), shown);
    }

    void summaryReadsTheCountsAfreshOnEveryOpening()
    {
        RuntimeScope scope;
        Form1& main = forms::Shared<Form1>();
        MainScreen();
        QStringList firstLines;
        ModalWatcher watcher = Watch(QStringLiteral("Form2"), [&](QWidget* modal) {
            firstLines.append(Text(modal, QStringLiteral("Label1")));
        });
        main.sca = 1;
        main.Command2_Click();
        main.sca = 2;
        main.Command2_Click();
        QCOMPARE(firstLines, (QStringList{"Scalpi di Moon Tug: 1", "Scalpi di Moon Tug: 2"}));
    }

    void rewardTexts_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::newRow("T1") << "Label1"
                            << QStringLiteral(
                                   "Dopo avere collezionato ben 750 scalpi, 150 mazze, 30 "
                                   "cinture, 10 libri e 2 anelli, hai ottenuto (con una "
                                   "probabilità del 50%) il desiderato OCCHIO DELLA TIGRE")
                            << 159;
        QTest::newRow("T2") << "Label2"
                            << "Requisiti:" + Blanks(15) + "113 Sag" + Blanks(2) + "115 Int" << 41;
        QTest::newRow("T3") << "Label3"
                            << "Bonus:" + Blanks(61) + "10 CA" + Blanks(22)
                                   + "+5 tutte le resistenze +5tutti i poteri"
                            << 133;
        QTest::newRow("T4") << "Label4"
                            << "Se siete meno fortunati (o guerrieri), potrete ottenere una:"
                                   + Blanks(50) + "SPADA DELLA POTENZA IN CRISTALLO"
                            << 142;
        QTest::newRow("T5") << "Label5"
                            << "Requisiti:" + Blanks(14) + "242 For" + Blanks(3) + "21 Agi"
                                   + Blanks(4) + "50 Sag" + Blanks(5) + "53 Int"
                            << 61;
        QTest::newRow("T6") << "Label6"
                            << "Bonus:" + Blanks(61) + "+10 For" + Blanks(22) + "+10 Res"
                                   + Blanks(16) + "+10 Agi" + Blanks(19) + "+10 Penetr. Armature"
                            << 165;
    }

    void rewardTexts()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        QFETCH(int, length);
        QCOMPARE(text.size(), length);
        RuntimeScope scope;
        MainScreen();
        QString shown;
        QString title;
        ModalWatcher watcher = Watch(QStringLiteral("Form3"), [&](QWidget* modal) {
            title = modal->windowTitle();
            shown = Text(modal, label);
        });
        Calculate(QStringLiteral("750"));
        QCOMPARE(Names(watcher.Seen()), QStringList{QStringLiteral("Form3")});
        QCOMPARE(title, QStringLiteral("Occhio di tigre"));
        QCOMPARE(shown, text);
        QCOMPARE(shown.size(), length);
    }

    void aboutTexts()
    {
        RuntimeScope scope;
        MainScreen();
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
        forms::Shared<Form1>().abt_Click();
        forms::Shared<Form1>().abt_Click();

        const QString credit = "Programma ideato e realizzato da" + Blanks(63) + "MORGOLIN";
        QCOMPARE(credit.size(), 103);
        const QStringList expected = {
            QStringLiteral("Informazioni su Bottinaro"),
            QStringLiteral("Bottinaro"),
            QStringLiteral("Versione ") + QString::fromLatin1(App::Version),
            credit,
            QString::fromUtf8(App::LegalCopyright),
        };
        QCOMPARE(openings.size(), 2);
        QCOMPARE(openings[0], expected);
        QCOMPARE(openings[1], expected);
        // One image for every opening, not a new copy left in Qt's pixmap cache each time.
        QCOMPARE(iconImages[1], iconImages[0]);
    }

    void aboutKeyboardFocus()
    {
        RuntimeScope scope;
        MainScreen();
        QStringList focus;
        ModalWatcher watcher = Watch(QStringLiteral("frmAbout"), [&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            QVERIFY(Find<QPushButton>(modal, QStringLiteral("cmdOK"))->isDefault());
            for (int step = 0; step < 4; ++step) {
                focus.append(QApplication::focusWidget()->objectName());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
        });
        Open(QStringLiteral("frmAbout"));
        QCOMPARE(focus, (QStringList{"cmdOK", "picIcon", "Picture1", "cmdOK"}));
    }

    void closing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("focus"); // where a key is pressed
        QTest::addColumn<bool>("closes");
        for (const char* window : {"Form2", "Form3"}) {
            QTest::addRow("%s: Chiudi", window) << window << "click"
                                                << "Command1" << true;
            QTest::addRow("%s: close()", window) << window << "close"
                                                 << "" << true;
            QTest::addRow("%s: system close", window) << window << "system"
                                                      << "" << true;
            // Neither a cancel nor a default button.
            QTest::addRow("%s: Esc", window) << window << "Esc"
                                             << "Command1" << false;
            QTest::addRow("%s: Enter", window) << window << "Enter"
                                               << "Command1" << false;
        }
        QTest::newRow("frmAbout: OK") << "frmAbout"
                                      << "click"
                                      << "cmdOK" << true;
        QTest::newRow("frmAbout: close()") << "frmAbout"
                                           << "close"
                                           << "" << true;
        QTest::newRow("frmAbout: system close") << "frmAbout"
                                                << "system"
                                                << "" << true;
        for (const char* focus : {"cmdOK", "picIcon", "Picture1"}) {
            QTest::addRow("frmAbout: Esc on %s", focus) << "frmAbout"
                                                        << "Esc" << focus << true;
            QTest::addRow("frmAbout: Enter on %s", focus) << "frmAbout"
                                                          << "Enter" << focus << true;
        }
    }

    void closing()
    {
        QFETCH(QString, window);
        QFETCH(QString, way);
        QFETCH(QString, focus);
        QFETCH(bool, closes);
        RuntimeScope scope;
        MainScreen();
        forms::Form& form = FormNamed(window);
        bool closed = false;
        bool stillModal = false;
        ModalWatcher watcher = Watch(window, {}, [&](QWidget* modal) {
            if (way == u"click") {
                Find<QPushButton>(modal, focus)->click();
            } else if (way == u"close") {
                modal->close();
            } else if (way == u"system") {
                modal->windowHandle()->close();
            } else {
                QVERIFY(QTest::qWaitForWindowActive(modal));
                Find(modal, focus)->setFocus();
                QCOMPARE(QApplication::focusWidget(), Find(modal, focus));
                QTest::keyClick(QApplication::focusWidget(),
                                way == u"Esc" ? Qt::Key_Escape : Qt::Key_Return);
            }
            closed = !form.IsLoaded();
            stillModal = modal->isVisible() && QApplication::activeModalWidget() == modal;
            if (form.IsLoaded())
                form.Unload();
        });
        Open(window);
        QCOMPARE(closed, closes);
        QCOMPARE(stillModal, !closes);
        QVERIFY(!form.IsLoaded());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(forms::Shared<Form1>().IsLoaded());
        // The main window takes input again: it opens the window anew, and
        // no other window came up in between.
        Open(window);
        QCOMPARE(Names(watcher.Seen()), QStringList(2, window));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void windowFrames_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("icon");
        QTest::newRow("Form2") << "Form2" << int(Qt::Tool) << false;
        QTest::newRow("Form3") << "Form3" << int(Qt::Tool) << false;
        QTest::newRow("frmAbout") << "frmAbout" << int(Qt::Dialog) << true;
    }

    void windowFrames()
    {
        QFETCH(QString, window);
        QFETCH(int, type);
        QFETCH(bool, icon);
        RuntimeScope scope;
        QWidget* main = MainScreen();
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
        Open(window);
        QCOMPARE(int(flags & Qt::WindowType_Mask), type);
        const Qt::WindowFlags titleAndClose
            = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        QCOMPARE(flags & titleAndClose, titleAndClose);
        QVERIFY(!(flags & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)));
        QCOMPARE(bool(flags & Qt::MSWindowsFixedSizeDialogHint), type == Qt::Dialog);
        QVERIFY(fixed);
        QCOMPARE(owner, main);
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
        QTest::addColumn<QRect>("rect"); // pixels; the client area's x, y: -1 when free
        const auto row = [](const char* window, const char* name, int x, int y, int w, int h) {
            QTest::addRow("%s %s", window, *name ? name : "client")
                << window << name << QRect(x, y, w, h);
        };
        row("Form2", "", -1, -1, 169, 207);
        for (int i = 0; i < 5; ++i)
            row("Form2", qPrintable(QStringLiteral("Label%1").arg(i + 1)), 16, 16 + 32 * i, 137,
                17);
        row("Form2", "Command1", 16, 184, 137, 17);

        row("Form3", "", -1, -1, 297, 361);
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
        RuntimeScope scope;
        // The About window stands still wherever the main window is.
        MainScreen()->move(400, 300);
        QRect found;
        ModalWatcher watcher = Watch(window, [&](QWidget* modal) {
            found = name.isEmpty() ? modal->geometry() : Find(modal, name)->geometry();
        });
        Open(window);
        if (rect.x() < 0)
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
        RuntimeScope scope;
        MainScreen();
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
        Open(window);
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
        RuntimeScope scope;
        MainScreen();
        QImage screen;
        ModalWatcher watcher = Watch(QStringLiteral("frmAbout"),
                                     [&](QWidget* modal) { screen = modal->grab().toImage(); });
        Open(QStringLiteral("frmAbout"));
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

    // Every caption's ink stays inside the window and off the other controls.
    void textsKeepClearOfEachOther_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("Form2") << "Form2";
        QTest::newRow("Form3") << "Form3";
        QTest::newRow("frmAbout") << "frmAbout";
    }

    void textsKeepClearOfEachOther()
    {
        QFETCH(QString, window);
        RuntimeScope scope;
        Form1& main = forms::Shared<Form1>();
        MainScreen();
        // The widest counts there are.
        main.sca = main.maz = main.cin = main.lib = main.ane = -32768;
        QStringList faults;
        int labels = 0;
        ModalWatcher watcher = Watch(window, [&](QWidget* modal) {
            const QRect client = modal->rect();
            for (auto* label : modal->findChildren<forms::Label*>()) {
                ++labels;
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
        });
        Open(window);
        QVERIFY(labels > 0);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    void screenshots()
    {
        RuntimeScope scope;
        MainScreen();
        ModalWatcher watcher([](QWidget* modal) {
            if (modal->objectName() == u"Form3")
                SaveScreenshot(modal, QStringLiteral("form3"));
            else if (modal->objectName() == u"Form2")
                SaveScreenshot(modal, QStringLiteral("form2"));
            else
                SaveScreenshot(modal, QStringLiteral("frm_about"));
        });
        Calculate(QStringLiteral("750"));
        forms::Shared<Form1>().Command2_Click();
        forms::Shared<Form1>().abt_Click();
        QCOMPARE(Names(watcher.Seen()), (QStringList{"Form3", "Form2", "frmAbout"}));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
