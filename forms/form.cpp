// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/form.h"

#include "app/app.h"
#include "forms/accessible.h"
#include "forms/arrangement.h"
#include "forms/errors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

namespace forms {

namespace {

// The font every window uses: the platform's default family at 7.5 pt,
// which measures with DejaVu Sans about as the 8 pt font the boxes were
// laid out for; a caption still wider than its box runs past it (see Label).
QFont DialogFont()
{
    QFont font = QApplication::font();
#if defined(Q_OS_WIN)
    // The face of Windows' dialog font ("MS Shell Dlg 2"), named so that it
    // does not hang on what Qt takes as its default. At the dialog font's 8 pt
    // Tahoma runs wider than the boxes (the summary's widest counts leave the
    // window); at 7.5 pt it fits them as DejaVu Sans does.
    font.setFamily(QStringLiteral("Tahoma"));
#endif
    font.setPointSizeF(7.5);
    return font;
}

} // namespace

void InitApplication()
{
    QApplication::setApplicationName(QString::fromUtf8(App::Title));
    QApplication::setApplicationVersion(QString::fromUtf8(App::Version));
    QApplication::setOrganizationName(QString::fromUtf8(App::Organization));
    // Lets Wayland match the window to the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(App::Id));
    QApplication::setFont(DialogFont());
    InstallAccessibleFactory();
    // Qt's own texts (the text box's context menu, the message box's button)
    // in Italian like the rest; the catalogue is built into the program.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    static const bool translated = [] {
        auto* translator = new QTranslator(qApp);
        return translator->load(QStringLiteral(":/i18n/qtbase_it.qm"))
               && QCoreApplication::installTranslator(translator);
    }();
    if (!translated)
        qWarning("Qt's Italian texts are missing from the resources");
}

Form::~Form()
{
    delete window_.data();
}

void Form::Load()
{
    if (IsLoaded())
        return;
    window_ = BuildWindow();
    // The title bar's close button and the system's close command unload.
    window_->installEventFilter(this);
    // Esc, accept() and reject() only hide a dialog, without a close event
    // reaching the filter: a modal Show would wait for ever.
    if (auto* dialog = qobject_cast<QDialog*>(window_.data()))
        connect(dialog, &QDialog::finished, this, &Form::Unload);
    // Enter presses the push button that has the focus, as on Windows;
    // none is made a default button by this.
    for (QPushButton* button : window_->findChildren<QPushButton*>())
        button->installEventFilter(this);
    Arrange();
    if (QScreen* screen = window_->screen())
        connect(screen, &QScreen::availableGeometryChanged, window_, [this] { Arrange(); });
    Form_Load();
}

void Form::Show(int modal, Form* owner)
{
    if (modal != vbModeless && IsLoaded() && window_->isVisible())
        Raise(kFormAlreadyShown);
    Load();
    QWidget* window = window_;
    if (owner && owner != this && owner->IsLoaded() && window->parentWidget() != owner->Window())
        window->setParent(owner->Window(), window->windowFlags());
    // setVisible rather than show(), which takes the platform's default state
    // (full screen on some): a window is shown as it is laid out. Then
    // laid out again, now that the frame around it is known, and kept on the
    // screen: over its owner as designed, or where the owner is larger than
    // the screen (a phone), in the middle of the screen.
    if (modal != vbModeless)
        window->setWindowModality(Qt::ApplicationModal);
    window->setVisible(true);
    Arrange();
    KeepOnScreen(window);
    if (modal == vbModeless)
        return;
    QEventLoop loop;
    connect(this, &Form::Unloaded, &loop, &QEventLoop::quit);
    if (IsLoaded())
        loop.exec(QEventLoop::DialogExec);
    // The unloaded window was only scheduled for deletion inside the loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Form::Unload()
{
    if (!IsLoaded())
        return;
    QWidget* window = window_;
    window_ = nullptr;
    window->removeEventFilter(this);
    // close() rather than hide(), so that Qt ends the program when the
    // last window goes; a no-op when it is already closing.
    window->close();
    // Unload may run inside one of the window's own handlers.
    window->deleteLater();
    emit Unloaded();
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched != window_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // A held key presses once.
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
    }
    if (watched != window_)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Close) {
        event->accept();
        Unload();
        return false;
    }
    if (event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)) {
        if (cancel_)
            cancel_->click();
        return true;
    }
    return false;
}

namespace {
Runtime* current = nullptr;
}

Runtime::Runtime()
{
    Q_ASSERT(!current);
    current = this;
}

Runtime::~Runtime()
{
    // Owned windows go with their owner's, so destroy the owners last.
    while (!forms_.empty())
        forms_.pop_back();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    current = nullptr;
}

Runtime& Runtime::Current()
{
    Q_ASSERT(current);
    return *current;
}

} // namespace forms
