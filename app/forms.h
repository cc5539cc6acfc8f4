#pragma once

// The small forms runtime the windows are written against: shared window
// instances, loading and unloading, modal display with an owner, numbered
// run-time errors with their trap, the message box and the conversions
// between 16-bit integers and text.

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

namespace forms {

// Application-wide settings, before any window is created: the dialog font
// every window uses, the program's names.
void InitApplication();

// Run-time error numbers, as the classic runtime numbered them.
enum ErrorNumber : std::int32_t {
    kOverflow = 6,
    kOutOfMemory = 7,
    kTypeMismatch = 13,
    kInternalError = 51,
    kInvalidPropertyValue = 380,
    kFormAlreadyShown = 400,
};

class RuntimeError : public std::exception {
public:
    explicit RuntimeError(std::int32_t number) noexcept : number_(number) { }
    std::int32_t Number() const noexcept { return number_; }
    const char* what() const noexcept override;

private:
    std::int32_t number_;
};

[[noreturn]] void Raise(std::int32_t number);

// The Italian description the user is shown for an error number.
QString Description(std::int32_t number);

// Runs body under an armed trap: returns the number of the error that ended
// it, or 0 when it ran to the end. No error passes to the caller: a C++
// exception counts as kOutOfMemory (std::bad_alloc) or kInternalError.
std::int32_t Trap(const std::function<void()>& body);

// Runs an event handler that has no trap of its own. An error leaving it is
// reported in a message box and goes no further, so it never unwinds
// through Qt's event loop.
void Untrapped(const std::function<void()>& handler);

// Message box styles; only the ones the program uses.
enum MsgBoxStyle : int { vbOKOnly = 0, vbCritical = 16 };

// A modal box with one "OK" button; returns when it is dismissed.
void MsgBox(const QString& prompt, int buttons, const QString& title);

// Decimal digits, "-" before a negative value, no grouping.
QString CStr(std::int32_t value);

// Optional blanks, an optional sign directly before ASCII digits, optional
// blanks; anything else raises kTypeMismatch, a value outside
// -32768..32767 raises kOverflow.
std::int16_t CInt(QStringView text);

enum ShowMode : int { vbModeless = 0, vbModal = 1 };

// A window class. The object is the window's shared instance and lives as
// long as the runtime; its screen (the Qt window built from the .ui file)
// exists only while the window is loaded.
class Form : public QObject {
    Q_OBJECT

public:
    ~Form() override;

    bool IsLoaded() const { return screen_ != nullptr; }
    QWidget* Screen() const { return screen_; }

    // Builds the screen and runs Form_Load, unless already loaded.
    void Load();
    // With vbModal, owner's input is blocked and Show returns only once the
    // window has been unloaded.
    void Show(int modal = vbModeless, Form* owner = nullptr);
    // Destroys the screen; the shared instance stays, and the next Show
    // loads the window afresh.
    void Unload();

signals:
    void Unloaded();

protected:
    Form() = default;

    // Returns the window, built from its description with its handlers wired.
    virtual QWidget* CreateScreen() = 0;
    virtual void Form_Load() { }

    // The button Esc presses; without one Esc does nothing (it never just
    // hides the window, as a QDialog would).
    void SetCancelButton(QAbstractButton* button) { cancel_ = button; }

    // Wraps a handler for connect(): errors leaving it are reported.
    template <class F> auto Handler(void (F::*handler)())
    {
        return [this, handler] { Untrapped([&] { (static_cast<F*>(this)->*handler)(); }); };
    }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> screen_;
    QPointer<QAbstractButton> cancel_;
};

// The table of shared instances. One exists for the life of the program
// (or of one test), created after the QApplication and destroyed before it.
class Runtime {
public:
    Runtime();
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    static Runtime& Current();

    template <class F> F& Instance()
    {
        for (auto& [type, form] : forms_)
            if (type == typeid(F))
                return static_cast<F&>(*form);
        forms_.emplace_back(typeid(F), std::make_unique<F>());
        return static_cast<F&>(*forms_.back().second);
    }

private:
    std::vector<std::pair<std::type_index, std::unique_ptr<Form>>> forms_;
};

// The shared instance of window class F, created on first use.
template <class F> F& Shared()
{
    return Runtime::Current().Instance<F>();
}

} // namespace forms
