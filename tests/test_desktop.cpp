// SPDX-License-Identifier: GPL-3.0-or-later
// The program on a desktop: Qt's own texts in Italian, colours under a dark
// palette, every window at the scale factor of the run (the suite runs at 1,
// 1.5 and 2) with the screenshots, and the launcher's window class.

#include "suite_fixture.h"

#include "app/app.h"
#include "forms/label.h"
#include "forms/palette.h"

#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <cmath>

namespace {

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

// Sets the application's palette for one test.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(saved_); }

private:
    QPalette saved_ = QApplication::palette();
};

// The scale factor this run was started with (the suite runs it at 1, 1.5 and 2).
QString ScaleSuffix()
{
    const QString factor = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
    return QStringLiteral("-") + QString(factor).replace(u'.', u'_') + QStringLiteral("x");
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { main.Reset(); }
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
        PaletteScope palette(dark ? forms::DarkPalette() : QApplication::palette());
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
        main->form.abt_Click();
        QVERIFY(checked);
    }

    // Every text of the four windows, measured on the drawn pixels.
    void darkPaletteContrast()
    {
        PaletteScope palette(forms::DarkPalette());
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
        main->Type(QStringLiteral("750"));
        ModalWatcher watcher([&](QWidget* modal) { measure(modal, modal->objectName()); });
        main->form.Command1_Click(); // the reward window
        measure(main->window, QStringLiteral("Form1 calculated"));
        main->form.Command2_Click();
        main->form.abt_Click();
        main->Type(QStringLiteral("750"));
        measure(main->window, QStringLiteral("Form1 edited"));
        QCOMPARE(watcher.Names(), QStringList({"Form3", "Form2", "frmAbout"}));
        QVERIFY(measured > 40);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    // Every window keeps its layout in logical pixels at any scale factor,
    // and the icon supplies an image of its own for the larger sizes.
    void scaledWindows()
    {
        auto* window = static_cast<QMainWindow*>(main->window);
        QCOMPARE(window->centralWidget()->size(), QSize(489, 472));
        const qreal ratio = window->devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
        const QPixmap icon = window->windowIcon().pixmap(QSize(16, 16), ratio);
        QCOMPARE(icon.size(), (QSizeF(16, 16) * ratio).toSize());
        // At twice the density the small icon is the 32-pixel image itself,
        // not the 16-pixel one blown up.
        if (ratio == 2.0) {
            QImage small = icon.toImage().convertToFormat(QImage::Format_ARGB32);
            small.setDevicePixelRatio(1.0);
            const QImage native = window->windowIcon().pixmap(QSize(32, 32), 1.0).toImage();
            QCOMPARE(small, native.convertToFormat(QImage::Format_ARGB32));
        }

        main->Text1()->setText(QStringLiteral("750"));
        const QString suffix = ScaleSuffix();
        // At 1x also by the names the page check compares with.
        const QHash<QString, QString> plain = {{"form1", "form1-750"},
                                               {"form2", "form2"},
                                               {"form3", "form3"},
                                               {"frmabout", "frm_about"}};
        const auto shoot = [&](QWidget* shown) {
            const QString name = shown->objectName().toLower();
            SaveScreenshot(shown, name + suffix);
            if (suffix == u"-1x")
                SaveScreenshot(shown, plain.value(name));
        };
        ModalWatcher watcher(shoot);
        QVERIFY_THROWS_NO_EXCEPTION(main->form.Command1_Click());
        shoot(window);
        QVERIFY_THROWS_NO_EXCEPTION(main->form.Command2_Click());
        QVERIFY_THROWS_NO_EXCEPTION(main->form.abt_Click());
        QCOMPARE(watcher.Names(), QStringList({"Form3", "Form2", "frmAbout"}));
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

private:
    MainWindowFixture main;
};

QTEST_MAIN_WATCHED(TestDesktop)
#include "test_desktop.moc"
