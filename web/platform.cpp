// SPDX-License-Identifier: GPL-3.0-or-later
// What the web build does differently from the desktop, in one place.

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include <emscripten/emscripten.h>
#include <emscripten/val.h>

namespace {

// Qt's wasm platform draws the windows' frames itself. It shows every plain
// window full screen, it cannot show a custom cursor, and it puts Qt's logo
// on the title bar of a window without an icon; all three are put right as
// each window is shown.
class Fallbacks : public QObject {
public:
    // The page has turned or changed size: every window goes back to the middle.
    static void PlaceAll()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && !qobject_cast<QMenu*>(window))
                Place(window);
    }

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
        } else if (event->type() == QEvent::Hide && !qobject_cast<QMenu*>(window)) {
            QTimer::singleShot(0, qApp, GiveFocusBack);
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
    // The page is told the largest window's size and scales itself down
    // where it is smaller (web/index.html).
    static void Place(QWidget* window)
    {
        window->adjustSize();
        if (window->minimumSize() == window->maximumSize())
            window->resize(window->minimumSize());
        const QRect page = window->screen()->availableGeometry();
        const QSize frame = window->frameGeometry().size();
        window->move(page.x() + std::max(0, (page.width() - frame.width()) / 2),
                     page.y() + std::max(0, (page.height() - frame.height()) / 3));
        static QSize largest;
        if (frame.width() > largest.width() || frame.height() > largest.height()) {
            largest = largest.expandedTo(frame);
            const emscripten::val browser = emscripten::val::global("window");
            if (!browser["bottinaroFit"].isUndefined())
                browser.call<void>("bottinaroFit", largest.width(), largest.height());
        }
    }

    // Qt's wasm platform activates no window when the one on top closes;
    // the desktop activates the one under it, whose focus comes back with it.
    static void GiveFocusBack()
    {
        if (QApplication::activeWindow() || QApplication::activePopupWidget())
            return;
        QWidget* next = QApplication::activeModalWidget();
        if (!next)
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible() && !qobject_cast<QMenu*>(window))
                    next = window;
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

void InstallFallbacks()
{
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DejaVuSans.ttf"));
    qApp->installEventFilter(new Fallbacks);
    QObject::connect(qApp->primaryScreen(), &QScreen::geometryChanged, qApp, &Fallbacks::PlaceAll);
    // The page cannot see the program end (Esci, or the main window's close
    // box): the browser keeps the loop, so exec() never returns. It is told,
    // and says so instead of leaving a still picture.
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed,
                     [] { EM_ASM(window.dispatchEvent(new Event("bottinaroquit"));); });
}

// On a touch screen Qt would type through an input element of its own, which
// keeps only the last character of a word and brings up the phone's full
// keyboard; the page's mirror (web/mirror.js) types instead. Set before the
// application starts, when Qt reads it.
[[maybe_unused]] const bool kNoQtInputContext = qputenv("QT_IM_MODULE", "none");

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFallbacks)
