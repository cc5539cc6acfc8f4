// SPDX-License-Identifier: GPL-3.0-or-later
// What the web build does differently from the desktop, in one place.

#include "web/platform.h"

#include "forms/palette.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include <emscripten/emscripten.h>
#include <emscripten/val.h>

namespace web {

namespace {

QList<QWidget*> stack;

// The page's side of the program (web/index.html), once it is there: the
// browser suites run without it.
emscripten::val Page()
{
    return emscripten::val::global("bottinaro");
}

// Qt's wasm platform draws the windows' frames itself, cannot show a custom
// cursor, puts Qt's logo on the title bar of a window without an icon, and
// activates no window when the one on top closes. All of it is put right
// as the windows are shown and hidden, and the program keeps their order.
class Fallbacks : public QObject {
public:
    // At its own size, in the middle of the page, a little above centre;
    // a window larger than the page keeps its top-left corner on it.
    static void Place(QWidget* window)
    {
        if (window->windowState() & Qt::WindowFullScreen)
            return;
        const QRect page = window->screen()->availableGeometry();
        const QSize frame = window->frameGeometry().size();
        window->move(page.x() + std::max(0, (page.width() - frame.width()) / 2),
                     page.y() + std::max(0, (page.height() - frame.height()) / 3));
    }

    // The page has turned or changed size: every window back to the middle.
    static void PlaceAll()
    {
        for (QWidget* window : stack)
            if (!qobject_cast<QMenu*>(window))
                Place(window);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType() || !static_cast<QWidget*>(watched)->isWindow())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show) {
            stack.removeOne(window);
            stack.append(window);
            if (!qobject_cast<QMenu*>(window)) {
                // Where neither the program nor Qt's dialog has put it.
                if (!window->testAttribute(Qt::WA_Moved))
                    Place(window);
                Adjust(window);
            }
        } else if (event->type() == QEvent::Hide) {
            stack.removeOne(window);
            if (!qobject_cast<QMenu*>(window))
                QTimer::singleShot(0, qApp, GiveFocusBack);
        } else if (event->type() == QEvent::Destroy) {
            stack.removeOne(window);
        }
        return false;
    }

private:
    // The desktop activates the window under the one that closed, whose
    // focus comes back with it.
    static void GiveFocusBack()
    {
        if (QApplication::activeWindow() || QApplication::activePopupWidget())
            return;
        QWidget* next = QApplication::activeModalWidget();
        for (auto window = stack.crbegin(); !next && window != stack.crend(); ++window)
            if (!qobject_cast<QMenu*>(*window))
                next = *window;
        if (next)
            next->activateWindow();
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

// The device's colour scheme, as the page's media query tells it: a dark
// device gets the dark palette a dark desktop hands the program.
void FollowColourScheme()
{
    static bool followsDark = false;
    const bool dark = emscripten::val::global("matchMedia")(std::string("(prefers-color-scheme: dark)"))
                          ["matches"]
                              .as<bool>();
    // A light device keeps the palette Qt chose, untouched until dark has been followed.
    if (dark != followsDark)
        QApplication::setPalette(dark ? forms::DarkPalette() : QPalette());
    followsDark = dark;
}

void Install()
{
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DejaVuSans.ttf"));
    qApp->installEventFilter(new Fallbacks);
    // After the windows have laid themselves out for the new size.
    QObject::connect(qApp->primaryScreen(), &QScreen::geometryChanged, qApp,
                     [] { QTimer::singleShot(0, qApp, &Fallbacks::PlaceAll); });
    FollowColourScheme();
    // The page cannot see the program end (Esci, or the main window's close
    // box): the browser keeps the loop, so exec() never returns. It is told,
    // and says so instead of leaving a still picture.
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [] {
        if (const emscripten::val page = Page(); !page.isUndefined())
            page.call<void>("quit");
    });
}

// On a touch screen Qt would type through an input element of its own, which
// keeps only the last character of a word and brings up the phone's full
// keyboard; the page's mirror (web/mirror.js) types instead. Set before the
// application starts, when Qt reads it.
[[maybe_unused]] const bool kNoQtInputContext = qputenv("QT_IM_MODULE", "none");

} // namespace

const QList<QWidget*>& Windows()
{
    return stack;
}

} // namespace web

// The page says the device's colour scheme has changed.
extern "C" EMSCRIPTEN_KEEPALIVE void bottinaro_colour_scheme_changed()
{
    web::FollowColourScheme();
}

static void InstallFallbacks()
{
    web::Install();
}
Q_COREAPP_STARTUP_FUNCTION(InstallFallbacks)
