// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the tests that drive the real windows offscreen: a fresh forms
// runtime per test, the windows' driver, the modal watcher, pictures.

#include "modal_watcher.h"
#include "phone_screen.h"
#include "window_driver.h"

#include "forms/convert.h"
#include "forms/errors.h"
#include "forms/form.h"

#include <QDir>
#include <QImageReader>
#include <QSet>

#include <optional>

// A runtime for one test: every shared instance starts afresh.
class RuntimeScope {
public:
    RuntimeScope() { forms::InitApplication(); }
    forms::Runtime runtime;
};

// A suite's main window in a fresh runtime: made on a test's first use,
// after any phone screen the test puts up, and gone with cleanup().
class MainWindowFixture {
public:
    std::optional<PhoneScreen> phone; // the first made, the last gone
    MainWindow* operator->() { return &Get(); }
    MainWindow& operator*() { return Get(); }
    void Reset()
    {
        window_.reset();
        scope_.reset();
        phone.reset();
    }

private:
    MainWindow& Get()
    {
        if (!window_) {
            scope_.emplace();
            window_.emplace();
        }
        return *window_;
    }
    std::optional<RuntimeScope> scope_;
    std::optional<MainWindow> window_;
};

// Leaves out the offscreen platform's warning for every window shown, which
// would bury a suite that shows hundreds. Installed once however often called.
inline void DropPlatformNotices()
{
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type == QtWarningMsg
                && message.startsWith(QLatin1String("This plugin does not support")))
                return;
            previous(type, context, message);
        });
}

// Writes a picture of a window into the build's screenshot folder.
inline void SaveScreenshot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("BOTTINARO_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

// The image a picture should show: of the file's images of that size, the
// one with the most colours.
inline QImage Picture(const QString& file, QSize size)
{
    QImageReader reader(file);
    QImage best;
    qsizetype bestColours = 0;
    do {
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y));
        if (image.size() == size && colours.size() > bestColours) {
            best = image;
            bestColours = colours.size();
        }
    } while (reader.jumpToNextImage());
    return best;
}
