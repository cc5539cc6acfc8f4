// SPDX-License-Identifier: GPL-3.0-or-later
// The state hook the page check and the load benchmark read: every top-level
// window with its controls, as JSON (class, name, text, state and place on
// the page). Linked into the checked copy of the page only, never into the
// page players load.

#include "forms/progress_bar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <emscripten/emscripten.h>

namespace {

QJsonArray Rect(const QWidget* widget, QRect rect)
{
    const QPoint at = widget->mapToGlobal(rect.topLeft());
    return {at.x(), at.y(), rect.width(), rect.height()};
}

QJsonObject Control(const QWidget* widget)
{
    QJsonObject control{
        {"name", widget->objectName()},
        {"class", QString::fromLatin1(widget->metaObject()->className())},
        {"enabled", widget->isEnabled()},
        {"visible", widget->isVisible()},
        {"focus", widget->hasFocus()},
        {"rect", Rect(widget, widget->rect())},
    };
    if (auto* label = qobject_cast<const QLabel*>(widget))
        control["text"] = label->text();
    else if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        control["text"] = edit->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        control["text"] = button->text();
    else if (auto* bar = qobject_cast<const forms::ProgressBar*>(widget))
        control["value"] = bar->Value();
    QJsonArray actions;
    if (auto* menuBar = qobject_cast<const QMenuBar*>(widget)) {
        for (QAction* action : menuBar->actions())
            actions.append(QJsonObject{{"text", action->text()},
                                       {"rect", Rect(widget, menuBar->actionGeometry(action))}});
    } else if (auto* menu = qobject_cast<const QMenu*>(widget)) {
        for (QAction* action : menu->actions())
            actions.append(QJsonObject{{"text", action->text()},
                                       {"rect", Rect(widget, menu->actionGeometry(action))}});
    }
    if (!actions.isEmpty())
        control["actions"] = actions;
    return control;
}

QString StateJson()
{
    QJsonArray windows;
    const QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        QJsonObject object = Control(window);
        object["title"] = window->windowTitle();
        object["modal"] = window == modal;
        object["active"] = window->isActiveWindow();
        object["frame"]
            = QJsonArray{window->frameGeometry().x(), window->frameGeometry().y(),
                         window->frameGeometry().width(), window->frameGeometry().height()};
        QJsonArray controls;
        for (QWidget* child : window->findChildren<QWidget*>())
            if (child->isVisible())
                controls.append(Control(child));
        object["controls"] = controls;
        windows.append(object);
    }
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{"windows", windows}}).toJson(QJsonDocument::Compact));
}

} // namespace

// For scripts: Module.UTF16ToString(Module._bottinaro_state()). A plain
// export, unlike an embind one, answers at once while a modal window's loop
// is suspended instead of returning a promise for its end.
extern "C" EMSCRIPTEN_KEEPALIVE const char16_t* bottinaro_state()
{
    static QString state;
    state = StateJson();
    return reinterpret_cast<const char16_t*>(state.utf16());
}
