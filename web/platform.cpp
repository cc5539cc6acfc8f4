// SPDX-License-Identifier: GPL-3.0-or-later
// What the web build does differently from the desktop, in one place.

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
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

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFallbacks)
