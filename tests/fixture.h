#pragma once

// Shared by the tests that drive the real windows offscreen: a fresh forms
// runtime per test, and a watcher that closes the modal windows a handler
// opens, so that no test can hang on one.

#include "forms/convert.h"
#include "forms/errors.h"
#include "forms/form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// What a watcher saw of one modal window before closing it.
struct ModalSeen {
    QString className;
    QString objectName;
    QString title;
    QString text; // a message box's prompt
    int icon = 0; // a message box's icon
    int buttons = 0;
};

// Closes each modal window that comes up while it lives: first `inspect`
// looks at it, then `close` (by default the window's own close command;
// a message box's OK button) takes it down. Gives up after `timeoutMs`.
class ModalWatcher : public QObject {
public:
    using Action = std::function<void(QWidget*)>;

    explicit ModalWatcher(Action inspect = {}, Action close = {}, int timeoutMs = 10000)
        : inspect_(std::move(inspect)), close_(std::move(close)), timeoutMs_(timeoutMs)
    {
        clock_.start();
        timer_.setInterval(0); // every pass of the event loop: no waiting
        connect(&timer_, &QTimer::timeout, this, &ModalWatcher::Poll);
        timer_.start();
    }

    const QList<ModalSeen>& Seen() const { return seen_; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == last_) {
            if (clock_.elapsed() > timeoutMs_)
                timer_.stop();
            return;
        }
        last_ = modal;
        ModalSeen seen{QString::fromLatin1(modal->metaObject()->className()),
                       modal->objectName(),
                       modal->windowTitle(),
                       {},
                       0,
                       0};
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = int(box->buttons().size());
        }
        seen_.append(seen);
        if (inspect_)
            inspect_(modal);
        if (close_)
            close_(modal);
        else if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->buttons().first()->click();
        else
            modal->close();
    }

    Action inspect_;
    Action close_;
    int timeoutMs_;
    QElapsedTimer clock_;
    QTimer timer_;
    QPointer<QWidget> last_;
    QList<ModalSeen> seen_;
};

// A runtime for one test: every shared instance starts afresh.
class RuntimeScope {
public:
    RuntimeScope() { forms::InitApplication(); }
    forms::Runtime runtime;
};

// Writes a picture of a window into the build's screenshot folder.
inline void SaveScreenshot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("BOTTINARO_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}
