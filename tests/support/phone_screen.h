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
    explicit PhoneScreen(QSize size) : screen_(new Platform(size))
    {
        QWindowSystemInterface::handleScreenAdded(screen_, true);
    }
    ~PhoneScreen() { QWindowSystemInterface::handleScreenRemoved(screen_); }
    PhoneScreen(const PhoneScreen&) = delete;
    PhoneScreen& operator=(const PhoneScreen&) = delete;

    QScreen* Screen() const { return screen_->screen(); }

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

// The phone a data row asks for into PHONE (none for an invalid size).
inline void PhoneScreenFor(std::optional<PhoneScreen>& phone, QSize size)
{
    if (size.isValid())
        phone.emplace(size);
}
