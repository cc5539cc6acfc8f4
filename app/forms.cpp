#include "app/forms.h"

#include "app/app.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>

#include <algorithm>
#include <new>

namespace forms {

namespace {
constexpr qreal kDialogFontPoints = 7.5;
}

void InitApplication()
{
    QApplication::setApplicationName(QString::fromUtf8(App::Title));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(App::Major).arg(App::Minor).arg(App::Revision));
    QApplication::setOrganizationName(QStringLiteral("Quarvendo"));
    // Lets Wayland match the window to the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("it.quarvendo.Bottinaro"));
    // The platform's default family at 7.5 pt, which measures with DejaVu
    // Sans about as the 8 pt font the boxes were laid out for; a caption
    // still wider than its box runs past it (see Label).
    QFont font = QApplication::font();
    font.setPointSizeF(kDialogFontPoints);
    QApplication::setFont(font);
}

const char* RuntimeError::what() const noexcept
{
    return "run-time error";
}

void Raise(std::int32_t number)
{
    throw RuntimeError(number);
}

QString Description(std::int32_t number)
{
    switch (number) {
    case kOverflow:
        return QStringLiteral("Overflow");
    case kOutOfMemory:
        return QStringLiteral("Memoria esaurita");
    case kInternalError:
        return QStringLiteral("Errore interno");
    case kTypeMismatch:
        return QStringLiteral("Tipo non corrispondente");
    case kInvalidPropertyValue:
        return QStringLiteral("Valore della proprietà non valido");
    case kFormAlreadyShown:
        return QStringLiteral("Form già visualizzato. Impossibile visualizzarlo come modale");
    }
    return QStringLiteral("Errore definito dall'applicazione o dall'oggetto");
}

std::int32_t Trap(const std::function<void()>& body)
{
    try {
        body();
    } catch (const RuntimeError& error) {
        return error.Number();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        // Anything else would unwind through Qt's event loop and end the program.
        return kInternalError;
    }
    return 0;
}

void Untrapped(const std::function<void()>& handler)
{
    const std::int32_t number = Trap(handler);
    if (number != 0)
        MsgBox(
            QStringLiteral("Errore di run-time '%1':\n\n%2").arg(CStr(number), Description(number)),
            vbCritical, QString::fromUtf8(App::Title));
}

void MsgBox(const QString& prompt, int buttons, const QString& title)
{
    const QMessageBox::Icon icon
        = (buttons & vbCritical) ? QMessageBox::Critical : QMessageBox::NoIcon;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox box(icon, title, prompt, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.exec();
}

QString CStr(std::int32_t value)
{
    return QString::number(value);
}

std::int16_t CInt(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype digits = i;
    // Saturates just past the range, so a megabyte of digits cannot wrap.
    std::int32_t magnitude = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        magnitude = std::min<std::int32_t>(magnitude * 10 + (text[i].unicode() - u'0'), 32769);
        ++i;
    }
    if (i == digits)
        Raise(kTypeMismatch);
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        Raise(kTypeMismatch);
    if (magnitude > (negative ? 32768 : 32767))
        Raise(kOverflow);
    return static_cast<std::int16_t>(negative ? -magnitude : magnitude);
}

Form::~Form()
{
    delete screen_.data();
}

void Form::Load()
{
    if (IsLoaded())
        return;
    screen_ = CreateScreen();
    // The title bar's close button and the system's close command unload.
    screen_->installEventFilter(this);
    // Esc, accept() and reject() only hide a dialog, without a close event
    // reaching the filter: a modal Show would wait for ever.
    if (auto* dialog = qobject_cast<QDialog*>(screen_.data()))
        connect(dialog, &QDialog::finished, this, &Form::Unload);
    Form_Load();
}

void Form::Show(int modal, Form* owner)
{
    if (modal != vbModeless && IsLoaded() && screen_->isVisible())
        Raise(kFormAlreadyShown);
    Load();
    QWidget* screen = screen_;
    if (owner && owner != this && owner->IsLoaded() && screen->parentWidget() != owner->Screen())
        screen->setParent(owner->Screen(), screen->windowFlags());
    if (modal == vbModeless) {
        screen->show();
        return;
    }
    screen->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &Form::Unloaded, &loop, &QEventLoop::quit);
    screen->show();
    if (IsLoaded())
        loop.exec(QEventLoop::DialogExec);
    // The unloaded screen was only scheduled for deletion inside the loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Form::Unload()
{
    if (!IsLoaded())
        return;
    QWidget* screen = screen_;
    screen_ = nullptr;
    screen->removeEventFilter(this);
    // close() rather than hide(), so that Qt ends the program when the
    // last window goes; a no-op when the window is already closing.
    screen->close();
    // Unload may run inside one of the screen's own handlers.
    screen->deleteLater();
    emit Unloaded();
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != screen_)
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
    // Owned screens go with their owner's, so destroy the owners last.
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
