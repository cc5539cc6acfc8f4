#include "fixture.h"

#include "app/app.h"

#include <QAccessible>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

// The accessible tree of a window, flattened: object name -> interface.
QHash<QString, QAccessibleInterface*> Walk(QWidget* window)
{
    QHash<QString, QAccessibleInterface*> found;
    QList<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(window)};
    while (!pending.isEmpty()) {
        QAccessibleInterface* node = pending.takeFirst();
        if (!node || !node->isValid())
            continue;
        if (QObject* object = node->object(); object && !object->objectName().isEmpty())
            found.insert(object->objectName(), node);
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
    }
    return found;
}

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
        QTest::newRow("LabelScalpi") << "LabelScalpi" << text << "Scalpi di Moon Tug: 750";
        QTest::newRow("RestoAnelli")
            << "RestoAnelli" << text << "Anelli del Leone, differenza dal traguardo: 0";
        QTest::newRow("LabelMazze") << "LabelMazze" << text << "Mazze di Skraugbashor: 150";
        QTest::newRow("menubar") << "menubar" << QAccessible::MenuBar << "";
    }

    void mainWindowAccessibleTree()
    {
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, accessibleName);
        RuntimeScope scope;
        MainWindow main;
        main.Text1()->setText(QStringLiteral("750"));
        {
            ModalWatcher closeReward;
            main.Command1()->click();
        }
        const auto tree = Walk(main.window);
        QVERIFY2(tree.contains(name), qPrintable(name));
        QAccessibleInterface* node = tree.value(name);
        QCOMPARE(node->role(), role);
        if (!accessibleName.isEmpty())
            QCOMPARE(node->text(QAccessible::Name), accessibleName);
        if (role == QAccessible::ProgressBar)
            QCOMPARE(node->valueInterface()->currentValue().toInt(),
                     node->valueInterface()->maximumValue().toInt());
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
        RuntimeScope scope;
        MainWindow main;
        main.Text1()->setText(QStringLiteral("750"));
        bool checked = false;
        ModalWatcher watcher([&](QWidget* modal) {
            if (modal->objectName() != window)
                return;
            const auto tree = Walk(modal);
            QVERIFY2(tree.contains(name), qPrintable(name));
            QAccessibleInterface* node = tree.value(name);
            QCOMPARE(node->role(), role);
            QCOMPARE(node->text(QAccessible::Name), accessibleName);
            QCOMPARE(!node->text(QAccessible::Description).isEmpty(), described);
            checked = true;
        });
        QVERIFY_THROWS_NO_EXCEPTION(main.form.Command1_Click()); // 750 opens the reward window
        QVERIFY_THROWS_NO_EXCEPTION(main.form.Command2_Click());
        QVERIFY_THROWS_NO_EXCEPTION(main.form.abt_Click());
        QVERIFY(checked);
    }

    void menuReachableFromTheKeyboard()
    {
        RuntimeScope scope;
        MainWindow main;
        auto* window = static_cast<QMainWindow*>(main.window);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F10);
        auto* controls = main.Get<QMenu>("controls");
        QCOMPARE(window->menuBar()->activeAction(), controls->menuAction());
        QTRY_VERIFY(controls->isVisible());
        QTest::keyClick(controls, Qt::Key_Escape);
    }

    // Every window keeps its layout in logical pixels at any scale factor,
    // and the icon supplies an image of its own for the larger sizes.
    void scaledWindows()
    {
        RuntimeScope scope;
        MainWindow main;
        auto* window = static_cast<QMainWindow*>(main.window);
        QCOMPARE(window->centralWidget()->size(), QSize(489, 472));
        const qreal ratio = window->devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
        const QPixmap icon = window->windowIcon().pixmap(QSize(16, 16), ratio);
        QCOMPARE(icon.size(), (QSizeF(16, 16) * ratio).toSize());
        const QList<QSize> own = window->windowIcon().availableSizes();
        QVERIFY(own.contains(QSize(32, 32)) && own.contains(QSize(48, 48)));
        // At twice the density the small icon is the 32-pixel image itself,
        // not the 16-pixel one blown up.
        if (ratio == 2.0) {
            QImage small = icon.toImage().convertToFormat(QImage::Format_ARGB32);
            small.setDevicePixelRatio(1.0);
            const QImage native = window->windowIcon().pixmap(QSize(32, 32), 1.0).toImage();
            QCOMPARE(small, native.convertToFormat(QImage::Format_ARGB32));
        }

        main.Text1()->setText(QStringLiteral("750"));
        const QString suffix = ScaleSuffix();
        ModalWatcher watcher(
            [&](QWidget* modal) { SaveScreenshot(modal, modal->objectName().toLower() + suffix); });
        QVERIFY_THROWS_NO_EXCEPTION(main.form.Command1_Click());
        SaveScreenshot(window, QStringLiteral("form1") + suffix);
        QVERIFY_THROWS_NO_EXCEPTION(main.form.Command2_Click());
        QVERIFY_THROWS_NO_EXCEPTION(main.form.abt_Click());
        QCOMPARE(watcher.Seen().size(), 3);
    }
};

QTEST_MAIN_WATCHED(TestDesktop)
#include "test_desktop.moc"
