// SPDX-License-Identifier: GPL-3.0-or-later
// The program's side of the page's accessibility mirror (web/mirror.js):
// Qt 6.4 has no accessibility backend in the browser, so the accessible tree
// Orca reads on the desktop is sent to the page as JSON, where it becomes
// invisible HTML that any screen reader reads, and what a screen reader or
// the browser does there comes back here as the accessibility actions and
// text edits Orca would use.

#include "web/platform.h"

#include <algorithm>

#include <QAccessible>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
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
// The number of the page's last edit of a text box the program has taken.
unsigned edits = 0;
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

// Where a node is drawn. Qt 6.4 places a menu bar's items wrongly once a
// modal window has opened; the bar itself knows.
QRect Box(QAccessibleInterface* node)
{
    auto* action = qobject_cast<QAction*>(node->object());
    QAccessibleInterface* parent = node->parent();
    if (action && parent) {
        if (auto* bar = qobject_cast<QMenuBar*>(parent->object())) {
            const QRect item = bar->actionGeometry(action);
            return {bar->mapToGlobal(item.topLeft()), item.size()};
        }
        if (auto* menu = qobject_cast<QMenu*>(parent->object())) {
            const QRect item = menu->actionGeometry(action);
            return {menu->mapToGlobal(item.topLeft()), item.size()};
        }
    }
    return node->rect();
}

QJsonObject Node(QAccessibleInterface* node, QPoint origin)
{
    const QAccessible::State state = node->state();
    const QAccessible::Role role = node->role();
    const QString name = node->text(QAccessible::Name);
    const QString description = node->text(QAccessible::Description);
    QJsonObject object{
        {"id", double(QAccessible::uniqueId(node))},
        {"name", name},
        {"rect", Rect(Box(node), origin)},
    };
    // A picture that says nothing is decoration (the message box's icon).
    if (role != QAccessible::Graphic || !name.isEmpty() || !description.isEmpty())
        object["role"] = AriaRole(role);
    if (!description.isEmpty())
        object["description"] = description;
    if (QAccessibleTextInterface* text = node->textInterface();
        text && role == QAccessible::EditableText) {
        object["value"] = node->text(QAccessible::Value);
        int start = text->cursorPosition(), end = start;
        if (text->selectionCount() > 0)
            text->selection(0, &start, &end);
        object["selection"] = QJsonArray{start, end};
    }
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
        // Nor a label that says nothing (the message box's second text).
        if (!child || child->state().invisible || child->role() == QAccessible::Separator
            || child->role() == QAccessible::Notification
            || (child->role() == QAccessible::StaticText
                && child->text(QAccessible::Name).isEmpty()))
            continue;
        children.append(Node(child, origin));
    }
    if (!children.isEmpty())
        object["children"] = children;
    return object;
}

// The visible windows, bottom first, each over its frame, where its title
// bar is drawn.
QString Snapshot()
{
    // The top modal window by its own flag: Qt counts it as the active modal
    // one only after its Show event, and a window turning modal after it
    // appeared would be announced twice.
    const QList<QWidget*> windows = web::Windows();
    const auto top = std::find_if(windows.rbegin(), windows.rend(), [](QWidget* w) { return w->isModal(); });
    const QWidget* modal = top == windows.rend() ? nullptr : *top;
    QJsonArray list;
    for (QWidget* window : windows) {
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(window);
        if (!node)
            continue;
        const QPoint origin = window->screen()->geometry().topLeft();
        QJsonObject object = Node(node, origin);
        object["rect"] = Rect(window->frameGeometry(), origin);
        object["name"] = window->windowTitle();
        object["modal"] = window == modal;
        object["blocked"] = modal && window != modal && !qobject_cast<QMenu*>(window);
        list.append(object);
    }
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{"windows", list}, {"focus", double(focus)}, {"edits", double(edits)}})
            .toJson(QJsonDocument::Compact));
}

// The page's half, once it is there (the browser suites run without it).
emscripten::val Page()
{
    const emscripten::val page = emscripten::val::global("bottinaro");
    return page.isUndefined() ? page : page["mirror"];
}

void Publish()
{
    scheduled = false;
    if (const emscripten::val page = Page(); !page.isUndefined())
        page.call<void>("update", Snapshot().toStdString());
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
    // At once too: the page's copy of the box must hold a key's work before
    // the browser makes its next edit there (a paste right after Backspace).
    switch (event->type()) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
        Publish();
        return;
    default:
        break;
    }
    if (event->type() == QAccessible::ObjectShow && node
        && node->role() == QAccessible::Notification)
        if (const emscripten::val page = Page(); !page.isUndefined())
            page.call<void>("say", node->text(QAccessible::Name).toStdString());
    Schedule();
}

// Windows that move or change size send no accessibility event.
class Geometry : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize)
            && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
            Schedule();
        return false;
    }
};

void Install()
{
    QAccessible::installUpdateHandler(OnEvent);
    // Qt sends accessibility events once its platform says a screen reader
    // listens; in the browser nothing ever tells it, so the mirror does.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    qApp->installEventFilter(new Geometry);
}

QAccessibleInterface* Usable(QAccessible::Id id)
{
    QAccessibleInterface* node = QAccessible::accessibleInterface(id);
    if (!node || !node->isValid() || node->state().disabled)
        return nullptr;
    return node;
}

void Press(QAccessible::Id id)
{
    QAccessibleInterface* node = Usable(id);
    if (!node)
        return;
    auto* menu = qobject_cast<QMenu*>(node->parent() ? node->parent()->object() : nullptr);
    if (menu && node->role() == QAccessible::MenuItem) {
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
    if (names.contains(QAccessibleActionInterface::showMenuAction()))
        actions->doAction(QAccessibleActionInterface::showMenuAction());
    else if (names.contains(QAccessibleActionInterface::pressAction()))
        actions->doAction(QAccessibleActionInterface::pressAction());
}

void Focus(QAccessible::Id id)
{
    QAccessibleInterface* node = Usable(id);
    QAccessibleActionInterface* actions = node ? node->actionInterface() : nullptr;
    if (actions && actions->actionNames().contains(QAccessibleActionInterface::setFocusAction()))
        actions->doAction(QAccessibleActionInterface::setFocusAction());
}

void Select(QAccessible::Id id, int start, int end)
{
    QAccessibleInterface* node = Usable(id);
    QAccessibleTextInterface* caret = node ? node->textInterface() : nullptr;
    if (!caret)
        return;
    if (start == end)
        caret->setCursorPosition(start);
    else
        caret->setSelection(0, start, end);
}

// The box as the page's copy of it is now: only what changed, replaced in
// one edit as typing, a deletion or a paste would, then the caret.
void Edit(QAccessible::Id id, const QString& text, int start, int end)
{
    QAccessibleInterface* node = Usable(id);
    QAccessibleEditableTextInterface* editable = node ? node->editableTextInterface() : nullptr;
    if (!editable)
        return;
    const QString old = node->text(QAccessible::Value);
    qsizetype same = 0;
    while (same < old.size() && same < text.size() && old[same] == text[same])
        ++same;
    qsizetype tail = 0;
    while (tail < old.size() - same && tail < text.size() - same
           && old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
        ++tail;
    // Never half a surrogate pair.
    if (same > 0 && old[same - 1].isHighSurrogate())
        --same;
    if (tail > 0 && old[old.size() - tail].isLowSurrogate())
        --tail;
    if (same + tail != old.size() || same + tail != text.size())
        editable->replaceText(int(same), int(old.size() - tail),
                              text.mid(same, text.size() - same - tail));
    Select(id, start, end);
}

} // namespace

} // namespace mirror

// What the page asks of a node of the mirror.
extern "C" {

// From the event loop, as a click would come, so that a window the press
// opens can wait in its own loop.
EMSCRIPTEN_KEEPALIVE void bottinaro_mirror_press(unsigned id)
{
    QMetaObject::invokeMethod(qApp, [id] { mirror::Press(id); }, Qt::QueuedConnection);
}

// At once, as a key is taken: a key that follows acts where the focus went.
EMSCRIPTEN_KEEPALIVE void bottinaro_mirror_focus(unsigned id)
{
    mirror::Focus(id);
}

// A selection made in the page's copy of a text box, over the same text.
EMSCRIPTEN_KEEPALIVE void bottinaro_mirror_select(unsigned id, int start, int end)
{
    mirror::Select(id, start, end);
    mirror::Schedule();
}

// The page's copy of a text box after its edit number EDIT: its text (UTF-16,
// ending in 0) and its selection, the caret where they meet. At once, as a
// key is taken, so that edits and keys reach the box in the order they came.
EMSCRIPTEN_KEEPALIVE void bottinaro_mirror_edit(unsigned id, const char16_t* text, int start,
                                                int end, unsigned edit)
{
    mirror::edits = edit;
    mirror::Edit(id, QString::fromUtf16(text), start, end);
    mirror::Schedule();
}
}

static void InstallMirror()
{
    mirror::Install();
}
Q_COREAPP_STARTUP_FUNCTION(InstallMirror)
