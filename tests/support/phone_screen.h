// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A screen the size of a phone, the primary one while it lives, that can be
// turned: the windows opened on it lay themselves out for it, whatever the
// platform the suite runs on. Make it before the RuntimeScope, so that the
// windows are gone before the screen (MainWindowFixture's phone is).

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <qpa/qplatformscreen.h>
#include <qpa/qwindowsysteminterface.h>

#include <optional>

class PhoneScreen {
public:
    // Qt's platform for the browser takes only screens of its own; there the
    // page check turns real phones.
    static constexpr bool kSupported =
#ifdef Q_OS_WASM
        false;
#else
        true;
#endif

    explicit PhoneScreen(QSize size) : screen_(new Platform(size))
    {
        QWindowSystemInterface::handleScreenAdded(screen_, true);
    }
    ~PhoneScreen()
    {
        QWindowSystemInterface::handleScreenRemoved(screen_);
    }
    PhoneScreen(const PhoneScreen&) = delete;
    PhoneScreen& operator=(const PhoneScreen&) = delete;

    QScreen* Screen() const
    {
        return screen_->screen();
    }

    // The phone turned, or another phone: the screen takes SIZE.
    void Resize(QSize size)
    {
        screen_->rect = QRect(QPoint(), size);
        QWindowSystemInterface::handleScreenGeometryChange(Screen(), screen_->rect, screen_->rect);
        QWindowSystemInterface::flushWindowSystemEvents();
    }

private:
    struct Platform : QPlatformScreen {
        explicit Platform(QSize size) : rect(QPoint(), size) { }
        QRect geometry() const override { return rect; }
        int depth() const override { return 32; }
        QImage::Format format() const override { return QImage::Format_ARGB32_Premultiplied; }
        QRect rect;
    };
    Platform* screen_;
};

// The phone a data row asks for into PHONE (a std::optional; none for an
// invalid size); skips the row where the platform takes no screen of ours.
#define PHONE_SCREEN_OR_SKIP(phone, size)                                                          \
    do {                                                                                           \
        if ((size).isValid()) {                                                                    \
            if (!PhoneScreen::kSupported)                                                          \
                QSKIP("the platform takes no screen of ours");                                     \
            (phone).emplace(size);                                                                 \
        }                                                                                          \
    } while (false)
