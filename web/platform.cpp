#include "web/platform.h"

#include "forms/progress_bar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include <emscripten/emscripten.h>

namespace {

// Qt's wasm platform draws the windows' frames itself. It shows every plain
// window full screen, it cannot show a custom cursor, and it puts Qt's logo
// on the title bar of a window without an icon; all three are put right as
// each window is shown.
class Fallbacks : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType() || !static_cast<QWidget*>(watched)->isWindow())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::WindowStateChange && !window->isVisible()
            && (window->windowState() & Qt::WindowFullScreen)) {
            // show() asked for full screen; the window keeps its own size instead.
            window->setWindowState(window->windowState() & ~Qt::WindowFullScreen);
            Place(window);
        } else if (event->type() == QEvent::Show) {
            if (window->windowState() & Qt::WindowFullScreen)
                QTimer::singleShot(0, window, [window] {
                    window->showNormal();
                    Place(window);
                });
            Adjust(window);
        }
        return false;
    }

private:
    // At its fixed size, in the middle of the page, a little above centre.
    static void Place(QWidget* window)
    {
        window->adjustSize();
        if (window->minimumSize() == window->maximumSize())
            window->resize(window->minimumSize());
        const QRect page = window->screen()->availableGeometry();
        const QSize frame = window->frameGeometry().size();
        window->move(page.x() + std::max(0, (page.width() - frame.width()) / 2),
                     page.y() + std::max(0, (page.height() - frame.height()) / 3));
    }

    static void Adjust(QWidget* window)
    {
        // The window's own icon stays empty; only its title bar gets a blank one.
        if (window->windowIcon().isNull() && window->windowHandle()) {
            QPixmap blank(16, 16);
            blank.fill(Qt::transparent);
            window->windowHandle()->setIcon(QIcon(blank));
        }
        // The nearest standard shape to a picture on a button: the pointing hand.
        const auto widgets = window->findChildren<QWidget*>();
        for (QWidget* widget : widgets)
            if (widget->testAttribute(Qt::WA_SetCursor)
                && widget->cursor().shape() == Qt::BitmapCursor)
                widget->setCursor(Qt::PointingHandCursor);
    }
};

void InstallFallbacks()
{
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DejaVuSans.ttf"));
    qApp->installEventFilter(new Fallbacks);
    // The page cannot see the program end (Esci, or the main window's close
    // box): the browser keeps the loop, so exec() never returns. It is told,
    // and says so instead of leaving a still picture.
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed,
                     [] { EM_ASM(window.dispatchEvent(new Event("bottinaroquit"));); });
}

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

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFallbacks)

namespace web {

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

} // namespace web

// For scripts: Module.UTF16ToString(Module._bottinaro_state()). A plain
// export, unlike an embind one, answers at once while a modal window's loop
// is suspended instead of returning a promise for its end.
extern "C" EMSCRIPTEN_KEEPALIVE const char16_t* bottinaro_state()
{
    static QString state;
    state = web::StateJson();
    return reinterpret_cast<const char16_t*>(state.utf16());
}
