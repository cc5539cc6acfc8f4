// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's windows beside the page's module built natively: every count
// from -32768 to 32767 and every text of the conversion's table typed into
// both, then Calcola, then the summary where it opens. After each step what
// either port's handlers wrote must be the same: each caption, bar, name and
// button, and in order each window opened with what it shows, each message,
// each sentence told a screen reader.

#include "suite_fixture.h"
#include "text_cases.h"

#include "forms/accessible.h"
#include "web/module.h"

#include "ui_form1.h"
#include "ui_form2.h"
#include "ui_form3.h"
#include "ui_frm_about.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

QString Bool(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A window's properties that a handler may write, keyed as the module names
// them ("Form1.BarraScalpi value"; "frmAbout text" is the title), in key order.
struct Properties {
    QStringList keys, values;
    bool operator==(const Properties&) const = default;

    bool Set(const QString& key, const QString& value)
    {
        const auto at = std::lower_bound(keys.cbegin(), keys.cend(), key);
        if (at == keys.cend() || *at != key)
            return false;
        values[at - keys.cbegin()] = value;
        return true;
    }
};

// Reads those properties off a running window.
class Sheet {
public:
    explicit Sheet(QWidget* window)
    {
        const QString name = window->objectName();
        Add(name + QStringLiteral(" text"), [window] { return window->windowTitle(); });
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            // An owned window is a sheet of its own.
            if (widget->objectName().isEmpty() || widget->window() != window)
                continue;
            const QString at = name + u'.' + widget->objectName() + u' ';
            Add(at + "name", [widget] { return widget->accessibleName(); });
            Add(at + "enabled", [widget] { return Bool(widget->isEnabled()); });
            Add(at + "hidden", [widget] { return Bool(forms::IsHiddenFromAccessibility(widget)); });
            if (auto* label = qobject_cast<QLabel*>(widget))
                Add(at + "text", [label] { return label->text(); });
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                Add(at + "text", [button] { return button->text(); });
            if (auto* bar = qobject_cast<forms::ProgressBar*>(widget)) {
                Add(at + "value", [bar] { return QString::number(bar->Value()); });
                Add(at + "range", [bar] {
                    return QString::number(bar->Min()) + u',' + QString::number(bar->Max());
                });
            }
        }
        std::sort(properties_.begin(), properties_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& property : properties_)
            keys_ << property.first;
    }

    Properties Read() const
    {
        Properties shown{keys_, {}};
        shown.values.reserve(properties_.size());
        for (const auto& property : properties_)
            shown.values << property.second();
        return shown;
    }

private:
    void Add(const QString& key, std::function<QString()> read)
    {
        properties_.append({key, std::move(read)});
    }

    QList<std::pair<QString, std::function<QString()>>> properties_;
    QStringList keys_;
};

// A window as its .ui file alone makes it: what the page's markup is made of.
template <class Ui, class Window = QDialog> Properties Designed()
{
    Window window;
    Ui ui;
    ui.setupUi(&window);
    return Sheet(&window).Read();
}

// What a handler did beyond its window's properties, with what the windows
// showed then: the main window, and the one opened.
struct Event {
    QString what;
    QList<Properties> windows;
    bool operator==(const Event&) const = default;
};

QStringList Differences(const Properties& desktop, const Properties& page)
{
    if (desktop == page)
        return {};
    QMap<QString, std::pair<std::optional<QString>, std::optional<QString>>> both;
    for (qsizetype i = 0; i < desktop.keys.size(); ++i)
        both[desktop.keys[i]].first = desktop.values[i];
    for (qsizetype i = 0; i < page.keys.size(); ++i)
        both[page.keys[i]].second = page.values[i];
    QStringList differences;
    const auto quoted = [](const std::optional<QString>& value) {
        return value ? u'"' + *value + u'"' : QStringLiteral("nothing");
    };
    for (auto it = both.cbegin(); it != both.cend(); ++it)
        if (it->first != it->second)
            differences << QStringLiteral("%1: the desktop shows %2, the page %3")
                               .arg(it.key(), quoted(it->first), quoted(it->second));
    return differences;
}

QStringList Differences(const QList<Event>& desktop, const QList<Event>& page)
{
    if (desktop == page)
        return {};
    QStringList desktopWhat, pageWhat;
    for (const Event& event : desktop)
        desktopWhat << event.what;
    for (const Event& event : page)
        pageWhat << event.what;
    if (desktopWhat != pageWhat)
        return {
            QStringLiteral("the desktop did [%1], the page [%2]")
                .arg(desktopWhat.join(QStringLiteral("; ")), pageWhat.join(QStringLiteral("; ")))};
    QStringList differences;
    for (qsizetype i = 0; i < desktop.size(); ++i)
        for (qsizetype w = 0; w < desktop[i].windows.size(); ++w)
            for (const QString& difference : Differences(desktop[i].windows[w], page[i].windows[w]))
                differences << "at \"" + desktop[i].what + "\": " + difference;
    return differences;
}

// The page as the module's answers leave it, driven as page.js drives it.
class Page {
public:
    explicit Page(const QHash<QString, Properties>& designed) : designed_(designed)
    {
        form1 = designed_.value(QStringLiteral("Form1"));
        Apply(Form1_Build(), form1);
    }

    void Type(const QString& text)
    {
        text_ = text.toStdU16String();
        text_.copy(Text1_Buffer(int(text_.size())), text_.size());
        Apply(Text1_Change(), form1);
    }

    void Calculate() { Apply(Command1_Click(int(text_.size())), form1); }

    // A window opened over the main one, loaded by its handler if it has one.
    void Open(const QString& name) { events << Event{"show " + name, {form1, Loaded(name)}}; }

    Properties form1;
    QList<Event> events;

private:
    Properties Loaded(const QString& name)
    {
        Properties window = designed_.value(name);
        if (name == u"Form2")
            Apply(Form2_Load(), window);
        else if (name == u"frmAbout")
            Apply(frmAbout_Load(), window);
        return window;
    }

    static QString Value(const QJsonValue& value)
    {
        return value.isBool()     ? Bool(value.toBool())
               : value.isDouble() ? QString::number(value.toDouble())
                                  : value.toString();
    }

    void Apply(const char* answer, Properties& window)
    {
        QJsonParseError error{};
        const QJsonArray changes = QJsonDocument::fromJson(answer, &error).array();
        if (error.error != QJsonParseError::NoError)
            events << Event{QStringLiteral("an answer that is no JSON: ") + answer, {}};
        for (const QJsonValue& item : changes) {
            const QJsonArray change = item.toArray();
            const QString kind = change[0].toString();
            if (kind == u"announce") {
                events << Event{"announce " + change[1].toString(), {form1}};
            } else if (kind == u"show") {
                Open(change[1].toString());
            } else if (kind == u"message") {
                events << Event{"message " + change[1].toString() + ": " + change[2].toString(),
                                {form1}};
            } else {
                const QString value = kind == u"range" ? Value(change[2]) + u',' + Value(change[3])
                                                       : Value(change[2]);
                if (!window.Set(change[1].toString() + u' ' + kind, value))
                    events << Event{"a change of nothing on the desktop: "
                                        + QJsonDocument(change).toJson(QJsonDocument::Compact),
                                    {}};
            }
        }
    }

    const QHash<QString, Properties>& designed_;
    std::u16string text_;
};

} // namespace

class TestPorts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        DropPlatformNotices();
        designed = {{"Form1", Designed<Ui::Form1, QMainWindow>()},
                    {"Form2", Designed<Ui::Form2>()},
                    {"Form3", Designed<Ui::Form3>()},
                    {"frmAbout", Designed<Ui::frmAbout>()}};
    }

    void cleanup()
    {
        form1.reset();
        main.Reset();
    }

    // Each row: the texts typed, one after the other, and whether the
    // summary also opens from the menu where its button is off (after a
    // failure: what the failure left).
    void sideBySide_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("summaryFromMenu");
        QStringList counts;
        for (int count = -32768; count <= 32767; ++count)
            counts << QString::number(count);
        QTest::newRow("every count") << counts << false;
        QStringList texts;
        for (const TextCase& text : kTextCases)
            texts << QString::fromStdU16String(text.text);
        QTest::newRow("the conversion's texts") << texts << true;
    }

    void sideBySide()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, summaryFromMenu);
        form1.emplace(main->window);
        main->window->findChild<forms::Announcer*>()->installEventFilter(this);
        Page page(designed);
        ModalWatcher watcher(
            [&](QWidget* modal) {
                const ModalSeen& seen = watcher.Seen().last();
                desktopEvents << (modal ? Event{"show " + seen.objectName,
                                                {form1->Read(), Sheet(modal).Read()}}
                                        : Event{"message " + seen.title + ": " + seen.text,
                                                {form1->Read()}});
            },
            {}, ModalWatcher::Boxes::kUndrawn);
        // What differs in what either port showed since the last look.
        const auto differences = [&] {
            QStringList differences = Differences(form1->Read(), page.form1);
            differences << Differences(desktopEvents, page.events);
            desktopEvents.clear();
            page.events.clear();
            return differences.join(u'\n');
        };
        QString differ = differences();
        QVERIFY2(differ.isEmpty(), qPrintable("built: " + differ));
        main->Action("abt")->trigger();
        page.Open(QStringLiteral("frmAbout"));
        differ = differences();
        QVERIFY2(differ.isEmpty(), qPrintable("About: " + differ));
        for (const QString& text : texts) {
            const QString at = u'"' + text.left(20) + u'"';
            main->Text1()->setText(text);
            page.Type(text);
            differ = differences();
            QVERIFY2(differ.isEmpty(), qPrintable(at + " typed: " + differ));
            main->Command1()->click();
            page.Calculate();
            differ = differences();
            QVERIFY2(differ.isEmpty(), qPrintable(at + " calculated: " + differ));
            if (main->Command2()->isEnabled() || summaryFromMenu) {
                if (main->Command2()->isEnabled())
                    main->Command2()->click();
                else
                    main->Action("riep")->trigger();
                page.Open(QStringLiteral("Form2"));
                differ = differences();
                QVERIFY2(differ.isEmpty(), qPrintable(at + ", then the summary: " + differ));
            }
        }
    }

protected:
    // What the main window tells a screen reader: its announcer shown afresh.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent)
            desktopEvents << Event{"announce " + static_cast<forms::Announcer*>(watched)->Message(),
                                   {form1->Read()}};
        return false;
    }

private:
    MainWindowFixture main;
    QHash<QString, Properties> designed;
    std::optional<Sheet> form1;
    QList<Event> desktopEvents;
};

QTEST_MAIN_WATCHED(TestPorts)
#include "test_ports.moc"
