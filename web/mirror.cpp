// SPDX-License-Identifier: GPL-3.0-or-later
// The program's side of the page's accessibility mirror (web/mirror.js):
// Qt 6.4 has no accessibility backend in the browser, so the accessible tree
// Orca reads on the desktop is sent to the page as JSON, where it becomes
// invisible HTML that any screen reader reads, and what a screen reader does
// there comes back here as the accessibility actions Orca would use.

#include <QAccessible>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <emscripten/emscripten.h>
#include <emscripten/val.h>

#include <string>

namespace mirror {

namespace {

QAccessible::Id focus = 0;
bool scheduled = false;

// The ARIA role of each role the windows use; the others are plain boxes.
QString AriaRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Window:
    case QAccessible::Dialog:
        return QStringLiteral("dialog");
    case QAccessible::AlertMessage:
        return QStringLiteral("alertdialog");
    case QAccessible::MenuBar:
        return QStringLiteral("menubar");
    case QAccessible::PopupMenu:
        return QStringLiteral("menu");
    case QAccessible::MenuItem:
        return QStringLiteral("menuitem");
    case QAccessible::PushButton:
        return QStringLiteral("button");
    case QAccessible::EditableText:
        return QStringLiteral("textbox");
    case QAccessible::StaticText:
        return QStringLiteral("text");
    case QAccessible::ProgressBar:
        return QStringLiteral("progressbar");
    case QAccessible::Graphic:
        return QStringLiteral("img");
    default:
        return {};
    }
}

QJsonArray Rect(QRect rect, QPoint origin)
{
    return {rect.x() - origin.x(), rect.y() - origin.y(), rect.width(), rect.height()};
}

QJsonObject Node(QAccessibleInterface* node, QPoint origin)
{
    const QAccessible::State state = node->state();
    const QAccessible::Role role = node->role();
    QJsonObject object{
        {"id", double(QAccessible::uniqueId(node))},
        {"role", AriaRole(role)},
        {"name", node->text(QAccessible::Name)},
        {"rect", Rect(node->rect(), origin)},
    };
    if (const QString description = node->text(QAccessible::Description); !description.isEmpty())
        object["description"] = description;
    if (role == QAccessible::EditableText)
        object["value"] = node->text(QAccessible::Value);
    if (QAccessibleValueInterface* value = node->valueInterface())
        object["values"]
            = QJsonArray{value->currentValue().toDouble(), value->minimumValue().toDouble(),
                         value->maximumValue().toDouble()};
    if (state.disabled)
        object["disabled"] = true;
    if (state.focusable)
        object["focusable"] = true;
    if (state.hasPopup)
        object["popup"] = true;
    QJsonArray children;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->state().invisible || child->role() == QAccessible::Separator
            || child->role() == QAccessible::Notification)
            continue;
        children.append(Node(child, origin));
    }
    if (!children.isEmpty())
        object["children"] = children;
    return object;
}

// The visible windows, bottom first: the others, then the modal one, then
// any open menu.
QString Snapshot()
{
    QList<QWidget*> windows;
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window != modal && !qobject_cast<QMenu*>(window))
            windows.append(window);
    if (modal && modal->isVisible())
        windows.append(modal);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && qobject_cast<QMenu*>(window))
            windows.append(window);
    QJsonArray list;
    for (QWidget* window : windows) {
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(window);
        if (!node)
            continue;
        QJsonObject object = Node(node, window->screen()->geometry().topLeft());
        object["modal"] = window == modal;
        object["blocked"] = modal && window != modal && !qobject_cast<QMenu*>(window);
        object["name"] = window->windowTitle();
        list.append(object);
    }
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"windows", list}, {"focus", double(focus)}})
                                 .toJson(QJsonDocument::Compact));
}

// The page's half, once it is there (the browser tests run without it).
emscripten::val Page()
{
    return emscripten::val::global("window")["bottinaroMirror"];
}

void Publish()
{
    scheduled = false;
    if (const emscripten::val page = Page(); !page.isUndefined())
        page.call<void>("update", Snapshot().toStdString());
}

void Say(const char* how, const QString& text)
{
    if (const emscripten::val page = Page(); !page.isUndefined())
        page.call<void>("say", std::string(how), text.toStdString());
}

// Once for all the changes of one turn of the event loop.
void Schedule()
{
    if (!scheduled) {
        scheduled = true;
        QTimer::singleShot(0, qApp, Publish);
    }
}

void OnEvent(QAccessibleEvent* event)
{
    QAccessibleInterface* node = event->accessibleInterface();
    if (event->type() == QAccessible::Focus && node) {
        focus = QAccessible::uniqueId(node);
        // At once: a phone shows its keyboard only for a focus given while
        // the tap that asked for it is being handled.
        Publish();
        return;
    }
    if (event->type() == QAccessible::ObjectShow && node
        && node->role() == QAccessible::Notification)
        Say("polite", node->text(QAccessible::Name));
    if (event->type() == QAccessible::Alert)
        if (auto* box = qobject_cast<QMessageBox*>(event->object()))
            Say("assertive", box->text());
    Schedule();
}

void Install()
{
    QAccessible::installUpdateHandler(OnEvent);
    // Qt sends accessibility events once its platform says a screen reader
    // listens; in the browser nothing ever tells it, so the mirror does.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    // Windows that move or change size send no accessibility event.
    QObject::connect(qApp->primaryScreen(), &QScreen::geometryChanged, qApp, Schedule);
}

enum Action { kPress = 0, kFocus = 1, kText = 2 };

void Act(QAccessible::Id id, int action, const QString& text)
{
    QAccessibleInterface* node = QAccessible::accessibleInterface(id);
    if (!node || !node->isValid() || node->state().disabled)
        return;
    if (action == kText) {
        if (node->role() == QAccessible::EditableText)
            node->setText(QAccessible::Value, text);
        return;
    }
    auto* menu = qobject_cast<QMenu*>(node->parent() ? node->parent()->object() : nullptr);
    if (action == kPress && menu && node->role() == QAccessible::MenuItem) {
        // As Enter would: the menus close first, then the item acts.
        const QList<QAction*> actions = menu->actions();
        const int index = node->parent()->indexOfChild(node);
        if (index < 0 || index >= actions.size())
            return;
        menu->setActiveAction(actions.at(index));
        QCoreApplication::postEvent(
            menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        return;
    }
    QAccessibleActionInterface* actions = node->actionInterface();
    if (!actions)
        return;
    const QStringList names = actions->actionNames();
    QString name = action == kFocus ? QAccessibleActionInterface::setFocusAction()
                                    : QAccessibleActionInterface::pressAction();
    if (action == kPress && names.contains(QAccessibleActionInterface::showMenuAction()))
        name = QAccessibleActionInterface::showMenuAction();
    if (names.contains(name))
        actions->doAction(name);
}

// From the event loop, as a click would be, so that a window the action
// opens can wait in its own loop.
void Post(QAccessible::Id id, int action, const QString& text)
{
    QMetaObject::invokeMethod(
        qApp, [id, action, text] { Act(id, action, text); }, Qt::QueuedConnection);
}

} // namespace

} // namespace mirror

// The page asks for an action on a node: 0 press, 1 focus, 2 set the text to
// Module.bottinaroMirrorText.
extern "C" EMSCRIPTEN_KEEPALIVE void bottinaro_mirror_act(unsigned id, int action)
{
    QString text;
    if (action == mirror::kText)
        text = QString::fromStdString(
            emscripten::val::module_property("bottinaroMirrorText").as<std::string>());
    mirror::Post(id, action, text);
}

static void InstallMirror()
{
    mirror::Install();
}
Q_COREAPP_STARTUP_FUNCTION(InstallMirror)
