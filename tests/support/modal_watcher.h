// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Closes the modal windows a handler opens, so that no test can hang on one.
// Watchers nest: the one made last acts, the others wait. The test binaries
// keep a strict one alive underneath (QTEST_MAIN_WATCHED), so a modal window
// that no test asked for fails the running test at once.

#include "forms/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

// What a watcher saw of one modal window before closing it.
struct ModalSeen {
    QString className;
    QString objectName;
    QString title;
    QString text; // a message box's prompt
    int icon = 0; // a message box's icon
    int buttons = 0; // none for a box taken undrawn
};

// Each modal window that comes up while it is the innermost watcher: first
// `inspect` looks at it, then `close` (by default the window's own close
// command; a message box's OK button) takes it down.
class ModalWatcher : public QObject {
public:
    using Action = std::function<void(QWidget*)>;
    // Message boxes drawn, or taken undrawn from MsgBox for as long as the
    // watcher lives (inspect then sees nullptr): drawing one takes about a
    // millisecond, minutes over tens of thousands.
    enum class Boxes { kDrawn, kUndrawn };

    explicit ModalWatcher(Action inspect = {}, Action close = {}, Boxes boxes = Boxes::kDrawn)
        : inspect_(std::move(inspect)), close_(std::move(close)), undrawn_(boxes == Boxes::kUndrawn)
    {
        Stack().append(this);
        timer_.setInterval(0); // every pass of the event loop: no waiting
        connect(&timer_, &QTimer::timeout, this, &ModalWatcher::Poll);
        timer_.start();
        if (undrawn_)
            replaced_ = forms::SetMessageBoxStandIn(
                [this](const QString& title, const QString& prompt, int icon) {
                    seen_.append({QStringLiteral("QMessageBox"), QStringLiteral("MsgBox"), title,
                                  prompt, icon, 0});
                    if (inspect_)
                        inspect_(nullptr);
                });
    }
    ~ModalWatcher() override
    {
        if (undrawn_)
            forms::SetMessageBoxStandIn(std::move(replaced_));
        Stack().removeOne(this);
    }

    static void CloseAnyhow(QWidget* modal)
    {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->buttons().first()->click();
        else
            modal->close();
    }

    const QList<ModalSeen>& Seen() const { return seen_; }

    // The windows seen, in order: each one's name, a message box's title
    // (every message box has the one name).
    QStringList Names() const
    {
        QStringList names;
        for (const ModalSeen& modal : seen_)
            names << (modal.objectName == QLatin1String("MsgBox") ? modal.title : modal.objectName);
        return names;
    }

private:
    static QList<ModalWatcher*>& Stack()
    {
        static QList<ModalWatcher*> stack;
        return stack;
    }

    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (Stack().last() != this || !modal || !modal->isVisible() || modal == last_)
            return;
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
        (close_ ? close_ : CloseAnyhow)(modal);
    }

    Action inspect_;
    Action close_;
    bool undrawn_;
    forms::MessageBoxStandIn replaced_;
    QTimer timer_;
    QPointer<QWidget> last_;
    QList<ModalSeen> seen_;
};

// The watcher underneath all others: any modal window it sees fails the
// running test, by name.
class UnexpectedModalFails : public ModalWatcher {
public:
    UnexpectedModalFails()
        : ModalWatcher([](QWidget* modal) {
              QTest::qFail(qPrintable(QStringLiteral("unexpected modal window %1 \"%2\"")
                                          .arg(modal->objectName(), modal->windowTitle())),
                           __FILE__, __LINE__);
          })
    {
    }
};

// QTEST_MAIN with that watcher alive for the whole run.
#define QTEST_MAIN_WATCHED(TestObject)                                                             \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_MAIN_SETUP() const UnexpectedModalFails strictWatcher;)
