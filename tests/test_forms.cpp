// SPDX-License-Identifier: GPL-3.0-or-later
#include "suite_fixture.h"

#include "app/app.h"
#include "forms/accessible.h"
#include "forms/label.h"
#include "forms/progress_bar.h"
#include "text_cases.h"

#include <QAccessible>
#include <QFile>
#if QT_CONFIG(process)
#include <QProcess>
#endif
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

// A window that counts its loads and can fail in a handler.
class ProbeForm : public forms::Form {
public:
    int loads = 0;
    std::function<void()> onClick;
    QPushButton* button = nullptr;

    void Button_Click()
    {
        if (onClick)
            onClick();
    }

protected:
    QWidget* BuildWindow() override
    {
        auto* window = new QWidget;
        window->setObjectName(QStringLiteral("ProbeForm"));
        button = new QPushButton(QStringLiteral("x"), window);
        connect(button, &QPushButton::clicked, this, Handler(&ProbeForm::Button_Click));
        return window;
    }
    void Form_Load() override { ++loads; }
};

// A second window class, shown over the probe.
class OwnedForm : public forms::Form {
protected:
    QWidget* BuildWindow() override
    {
        auto* window = new QWidget;
        window->setObjectName(QStringLiteral("OwnedForm"));
        return window;
    }
};

#if QT_CONFIG(process)
QByteArray Utf16(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(char(u & 0xff)).append(char(u >> 8));
    }
    return bytes;
}
#endif

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void textToInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("error"); // 0: converts to value
        // The table the page's module is checked against too.
        for (const TextCase& row : kTextCases)
            QTest::newRow(row.name)
                << QString::fromStdU16String(row.text) << row.value << row.error;
    }

    void textToInteger()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, error);
        QCOMPARE(forms::Trap([&] { QCOMPARE(int{forms::CInt(text)}, value); }), error);
    }

    void progressBarRange_data()
    {
        QTest::addColumn<int>("max");
        QTest::addColumn<float>("value");
        QTest::addColumn<bool>("accepted");
        const float nan = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("750: min") << 750 << 0.0f << true;
        QTest::newRow("750: max") << 750 << 750.0f << true;
        QTest::newRow("750: inside") << 750 << 375.0f << true;
        QTest::newRow("750: one past") << 750 << 751.0f << false;
        QTest::newRow("750: just past") << 750 << 750.01f << false;
        QTest::newRow("750: negative") << 750 << -1.0f << false;
        QTest::newRow("750: min int") << 750 << -32768.0f << false;
        QTest::newRow("2: max") << 2 << 2.0f << true;
        QTest::newRow("2: one past") << 2 << 3.0f << false;
        QTest::newRow("2: negative") << 2 << -1.0f << false;
        QTest::newRow("nan") << 750 << nan << false;
        QTest::newRow("infinity") << 750 << std::numeric_limits<float>::infinity() << false;
    }

    void progressBarRange()
    {
        QFETCH(int, max);
        QFETCH(float, value);
        QFETCH(bool, accepted);
        forms::InstallAccessibleFactory();
        forms::ProgressBar bar;
        QVERIFY(bar.setProperty("Max", max)); // as the window's description sets it
        QVERIFY_THROWS_NO_EXCEPTION(bar.SetValue(1.0f));
        const std::int32_t error = forms::Trap([&] { bar.SetValue(value); });
        QCOMPARE(error, accepted ? 0 : forms::kInvalidPropertyValue);
        QCOMPARE(bar.Value(), accepted ? value : 1.0f);
        // What a screen reader is told.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&bar);
        QCOMPARE(accessible->role(), QAccessible::ProgressBar);
        QCOMPARE(accessible->valueInterface()->currentValue().toFloat(), accepted ? value : 1.0f);
        QCOMPARE(bar.Min(), 0.0f);
        QCOMPARE(bar.Max(), float(max));
        // As drawn: the share of columns that differ from an empty bar.
        forms::ProgressBar empty;
        empty.setProperty("Max", max);
        for (forms::ProgressBar* drawn : {&bar, &empty})
            drawn->resize(473, 17);
        const QImage full = bar.grab().toImage(), none = empty.grab().toImage();
        int filled = 0;
        for (int x = 0; x < full.width(); ++x)
            filled += full.pixel(x, 8) != none.pixel(x, 8);
        QVERIFY2(qAbs(filled - bar.Value() / bar.Max() * full.width()) <= 4,
                 qPrintable(QString::number(filled)));
    }

    // Labels draw their text past their box rather than clip it.
    void labelInk_data()
    {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Qt::Alignment>("align");
        QTest::addColumn<bool>("wrapped"); // drawn on more than one line
        QTest::addColumn<bool>("pastRight"); // ink beyond the box's right edge
        const Qt::Alignment left = Qt::AlignLeft, centre = Qt::AlignHCenter;
        const QString mazze = QStringLiteral("Mazze di Skraugbashor: 150");
        QTest::newRow("fits") << QRect(10, 10, 200, 17) << "Scalpi" << left << false << false;
        QTest::newRow("one-line box runs on")
            << QRect(10, 10, 60, 17) << mazze << left << false << true;
        QTest::newRow("would leave the window: wraps")
            << QRect(170, 10, 100, 17) << mazze << left << true << false;
        // Height 0: a box two lines high, which the text outgrows when it wraps.
        QTest::newRow("tall box wraps") << QRect(10, 10, 90, 0) << mazze << left << true << false;
        QTest::newRow("blank runs break")
            << QRect(10, 10, 250, 0) << "Requisiti:     113 Sag  115 Int" << left << true << false;
        QTest::newRow("centred number overflows both sides")
            << QRect(100, 10, 8, 17) << "375" << centre << false << true;
    }

    void labelInk()
    {
        QFETCH(QRect, box);
        QFETCH(QString, text);
        QFETCH(Qt::Alignment, align);
        QFETCH(bool, wrapped);
        QFETCH(bool, pastRight);
        RuntimeScope scope; // the program's own font, as in its windows
        QWidget window;
        window.resize(280, 100);
        forms::Label label(&window);
        const int lineSpacing = label.fontMetrics().lineSpacing();
        if (box.height() == 0)
            box.setHeight(2 * lineSpacing);
        label.setGeometry(box);
        label.setAlignment(align | Qt::AlignTop);
        label.setText(text);
        QCOMPARE(label.text(), text); // the caption is kept as stored
        const QRect ink = label.InkRect();
        QVERIFY(ink.contains(box));
        QVERIFY(window.rect().contains(ink));
        QCOMPARE(ink.height() - 2 > box.height(), wrapped);
        QCOMPARE(ink.right() - 1 > box.right(), pastRight);
        if (align == Qt::AlignHCenter)
            QVERIFY(qAbs((box.left() - ink.left()) - (ink.right() - box.right())) <= 1);
    }

    // A shorter caption over one that ran past its box leaves nothing of the
    // old one on screen. The screen is a window's backing store after the
    // paints, compared with a window drawn with the short caption from the
    // start; grab() would draw everything anew and hide stale pixels.
    void shorterCaptionLeavesNoTrace_data()
    {
        QTest::addColumn<bool>("grabbedBetween");
        QTest::newRow("painted") << false;
        QTest::newRow("grabbed before painting") << true;
    }

    void shorterCaptionLeavesNoTrace()
    {
        QFETCH(bool, grabbedBetween);
        struct Shown {
            QWidget window;
            forms::Label label{&window};
        } replaced, fresh;
        replaced.label.setText(QStringLiteral("Mazze di Skraugbashor: 150"));
        fresh.label.setText(QStringLiteral("Mazze"));
        for (Shown* shown : {&replaced, &fresh}) {
            shown->window.resize(280, 40);
            shown->label.setGeometry(10, 10, 60, 17);
            shown->window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&shown->window));
        }
        const auto screen
            = [](QWidget& window) { return window.screen()->grabWindow(window.winId()).toImage(); };
        const auto differing = [&] {
            const QImage a = screen(replaced.window), b = screen(fresh.window);
            int count = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    count += a.pixel(x, y) != b.pixel(x, y);
            return count;
        };
        QTRY_VERIFY(differing() > 0);
        static_cast<QLabel*>(&replaced.label)->setText(QStringLiteral("Mazze"));
        if (grabbedBetween) // a grab paints the window too, but not on screen
            replaced.window.grab();
        QTRY_COMPARE(differing(), 0);
    }

    void trapReturnsTheNumberAndZeroWhenClean()
    {
        int steps = 0;
        QCOMPARE(forms::Trap([&] { ++steps; }), 0);
        QCOMPARE(forms::Trap([&] {
                     ++steps;
                     forms::Raise(380);
                     ++steps;
                 }),
                 380);
        QCOMPARE(steps, 2);
        QCOMPARE(forms::Trap([] { forms::Raise(std::numeric_limits<std::int32_t>::max()); }),
                 std::numeric_limits<std::int32_t>::max());
    }

    void sharedInstanceAndLoading()
    {
        RuntimeScope scope;
        ProbeForm& probe = forms::Shared<ProbeForm>();
        QCOMPARE(&forms::Shared<ProbeForm>(), &probe);
        QVERIFY(!probe.IsLoaded());
        QCOMPARE(probe.loads, 0);

        probe.Show();
        QVERIFY(probe.IsLoaded());
        QVERIFY(probe.Window()->isVisible());
        QCOMPARE(probe.loads, 1);
        probe.Show(); // already loaded: no second load
        QCOMPARE(probe.loads, 1);

        QPointer<QWidget> screen = probe.Window();
        probe.Unload();
        QVERIFY(!probe.IsLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(screen.isNull()); // the screen is really gone
        QCOMPARE(&forms::Shared<ProbeForm>(), &probe);

        probe.Show();
        QCOMPARE(probe.loads, 2); // loads afresh after an unload
        QVERIFY(probe.Window() != nullptr);
    }

    void modalShowBlocksUntilClosed_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("unload") << "unload";
        QTest::newRow("close box") << "close";
    }

    void modalShowBlocksUntilClosed()
    {
        QFETCH(QString, how);
        RuntimeScope scope;
        ProbeForm& owner = forms::Shared<ProbeForm>();
        owner.Show();
        OwnedForm& owned = forms::Shared<OwnedForm>();
        bool ownerBlocked = false;
        QWidget* ownedParent = nullptr;
        ModalWatcher watcher(
            [&](QWidget* modal) {
                ownerBlocked
                    = !owner.Window()->isEnabled() || QApplication::activeModalWidget() == modal;
                ownedParent = modal->parentWidget();
                QVERIFY(owned.IsLoaded());
            },
            [&](QWidget* modal) {
                if (how == "unload")
                    owned.Unload();
                else
                    modal->close();
            });
        owned.Show(forms::vbModal, &owner);
        // Returns only once the window is gone.
        QVERIFY(!owned.IsLoaded());
        QCOMPARE(watcher.Names(), QStringList{"OwnedForm"});
        QVERIFY(ownerBlocked);
        QCOMPARE(ownedParent, owner.Window());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(owner.IsLoaded());
    }

    // Whatever a handler throws, C++ exceptions included, is reported.
    void untrappedErrorIsReportedAndTheProgramGoesOn_data()
    {
        QTest::addColumn<QString>("thrown");
        QTest::addColumn<int>("number");
        QTest::newRow("run-time error") << "380" << int(forms::kInvalidPropertyValue);
        QTest::newRow("bad_alloc") << "bad_alloc" << int(forms::kOutOfMemory);
        QTest::newRow("standard exception") << "overflow_error" << int(forms::kInternalError);
        QTest::newRow("not an exception class") << "int" << int(forms::kInternalError);
    }

    void untrappedErrorIsReportedAndTheProgramGoesOn()
    {
        QFETCH(QString, thrown);
        QFETCH(int, number);
        RuntimeScope scope;
        ProbeForm& probe = forms::Shared<ProbeForm>();
        probe.Show();
        probe.onClick = [&] {
            if (thrown == "bad_alloc")
                throw std::bad_alloc();
            if (thrown == "overflow_error")
                throw std::overflow_error("probe");
            if (thrown == "int")
                throw 42;
            forms::Raise(thrown.toInt());
        };
        ModalWatcher watcher;
        probe.button->click(); // no exception may leave this call
        QCOMPARE(watcher.Seen().size(), 1);
        const ModalSeen& box = watcher.Seen().first();
        QCOMPARE(box.title, QStringLiteral("Bottinaro"));
        QCOMPARE(box.text, QStringLiteral("Errore di run-time '%1':\n\n%2")
                               .arg(number)
                               .arg(forms::Description(number)));
        QVERIFY(!forms::Description(number).startsWith(QStringLiteral("Errore definito")));
        QCOMPARE(box.icon, int(QMessageBox::Critical));
        QCOMPARE(box.buttons, 1);
        // Still running: the next click works and raises nothing.
        probe.onClick = {};
        probe.button->click();
        QCOMPARE(watcher.Seen().size(), 1);
        QVERIFY(probe.IsLoaded());
    }

    void showingAVisibleWindowModallyIsAnError()
    {
        RuntimeScope scope;
        ProbeForm& probe = forms::Shared<ProbeForm>();
        probe.Show();
        QCOMPARE(forms::Trap([&] { probe.Show(forms::vbModal); }), forms::kFormAlreadyShown);
        QVERIFY(probe.IsLoaded());
    }

    void applicationInformation()
    {
        // The derived forms, worked out here independently of CMake.
        QCOMPARE(QString::fromLatin1(App::FileVersion),
                 QString::asprintf("%d.%02d.%04d", App::Major, App::Minor, App::Revision));
        QCOMPARE(QString::fromLatin1(App::Version),
                 QString::asprintf("%d.%d.%d", App::Major, App::Minor, App::Revision));
        QCOMPARE(QString::fromUtf8(App::LegalCopyright),
                 QStringLiteral("Copyright © ") + QString::fromUtf8(App::Organization));
        QCOMPARE(QString::fromUtf8(App::InternalName),
                 QString::fromUtf8(App::Title) + QString::number(App::Major)
                     + QString::number(App::Minor) + QString::number(App::Revision));
        QVERIFY(QString::fromLatin1(App::Id).endsWith(u'.' + QString::fromUtf8(App::Title)));
    }

    void iconFileDirectory()
    {
        QFile file(QStringLiteral(ICON_FILE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ico = file.readAll();
        QCOMPARE(ico.size(), 7398);
        const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
        const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
        QCOMPARE(u16(0), 0);
        QCOMPARE(u16(2), 1); // icon
        QCOMPARE(u16(4), 5);
        struct Entry {
            int side, colours, bits, bytes;
        };
        const Entry expected[] = {{32, 16, 4, 744},
                                  {16, 16, 4, 296},
                                  {48, 0, 8, 3752},
                                  {32, 0, 8, 2216},
                                  {32, 2, 1, 304}};
        quint32 offset = 6 + 5 * 16;
        for (int i = 0; i < 5; ++i) {
            const int at = 6 + 16 * i;
            QCOMPARE(int(quint8(ico[at])), expected[i].side);
            QCOMPARE(int(quint8(ico[at + 1])), expected[i].side);
            QCOMPARE(int(quint8(ico[at + 2])), expected[i].colours);
            QCOMPARE(u16(at + 6), expected[i].bits);
            QCOMPARE(u32(at + 8), quint32(expected[i].bytes));
            QCOMPARE(u32(at + 12), offset);
            // Each image is a DIB of twice its height: colour bits over the mask.
            QCOMPARE(u32(offset), 40u);
            QCOMPARE(int(u32(offset + 4)), expected[i].side);
            QCOMPARE(int(u32(offset + 8)), 2 * expected[i].side);
            QCOMPARE(u16(offset + 14), expected[i].bits);
            offset += expected[i].bytes;
        }
        QCOMPARE(offset, quint32(ico.size()));
    }

#if QT_CONFIG(process)
    // Compiles the script with the cross resource compiler and reads the
    // version block back from the binary resource.
    void resourceScriptCompiles()
    {
        const QString windres
            = QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-windres"));
        if (windres.isEmpty())
            QSKIP("x86_64-w64-mingw32-windres is not installed");
        QTemporaryDir dir;
        const QString res = dir.filePath(QStringLiteral("bottinaro.res"));
        QProcess process;
        process.start(windres,
                      {QStringLiteral("-O"), QStringLiteral("res"), QStringLiteral(RC_FILE), res});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QFile file(res);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();

        const int info = bytes.indexOf(Utf16(QStringLiteral("VS_VERSION_INFO")));
        QVERIFY(info > 0);
        const int fixed = bytes.indexOf(QByteArray::fromHex("bd04effe"), info);
        QVERIFY(fixed > 0);
        const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
        const quint32 high = quint32(App::Major) << 16 | quint32(App::Minor);
        const quint32 low = quint32(App::Revision); // build 0
        QCOMPARE(u32(fixed + 8), high); // file version
        QCOMPARE(u32(fixed + 12), low);
        QCOMPARE(u32(fixed + 16), high); // product version
        QCOMPARE(u32(fixed + 20), low);
        QCOMPARE(u32(fixed + 24), 0u); // flags mask
        QCOMPARE(u32(fixed + 28), 0u); // flags
        QCOMPARE(u32(fixed + 32), 0x4u); // 32-bit Windows
        QCOMPARE(u32(fixed + 36), 0x1u); // application
        QCOMPARE(u32(fixed + 40), 0u);
        QVERIFY(bytes.indexOf(Utf16(QStringLiteral("041004B0"))) > fixed);
        QVERIFY(bytes.indexOf(QByteArray::fromHex("1004b004")) > fixed); // translation
        const QString internal = QString::fromUtf8(App::InternalName);
        const QString pairs[][2] = {{"CompanyName", QString::fromUtf8(App::Organization)},
                                    {"LegalCopyright", QString::fromUtf8(App::LegalCopyright)},
                                    {"ProductName", QString::fromUtf8(App::Title)},
                                    {"FileVersion", QString::fromUtf8(App::FileVersion)},
                                    {"ProductVersion", QString::fromUtf8(App::FileVersion)},
                                    {"InternalName", internal},
                                    {"OriginalFilename", internal + QStringLiteral(".exe")}};
        int at = fixed;
        for (const auto& pair : pairs) {
            const int key = bytes.indexOf(Utf16(pair[0]) + QByteArray(2, '\0'), at);
            QVERIFY2(key > at, qPrintable(pair[0]));
            const int value = bytes.indexOf(Utf16(pair[1]) + QByteArray(2, '\0'), key);
            QVERIFY2(value > key && value - key < 64, qPrintable(pair[1]));
            at = value;
        }
        // Icon group 1 (type 14) and its images 30001-30005 (type 3), in
        // Italian: after type and name come data version, flags, language.
        const auto header = [](quint16 type, quint16 id) {
            QByteArray bytes = QByteArray::fromHex("ffff0000ffff00000000000030101004");
            qToLittleEndian(type, bytes.data() + 2);
            qToLittleEndian(id, bytes.data() + 6);
            return bytes;
        };
        QVERIFY(bytes.contains(header(14, 1)));
        for (quint16 id = 30001; id <= 30005; ++id)
            QVERIFY2(bytes.contains(header(3, id)), qPrintable(QString::number(id)));
        QVERIFY(!bytes.contains(QByteArray::fromHex("ffff0300ffff0100")));
    }
#endif
};

QTEST_MAIN_WATCHED(TestForms)
#include "test_forms.moc"
