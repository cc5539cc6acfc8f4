// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Window classes and their shared instances: loading and unloading, modal
// display with an owner.

#include "forms/message_box.h"

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

namespace forms {

// Application-wide settings, before any window is created: the dialog font
// every window uses, the program's names.
void InitApplication();

enum ShowMode : int { vbModeless = 0, vbModal = 1 };

// A window class. The object is the window's shared instance and lives as
// long as the runtime; its Qt window, built from the .ui file, exists only
// while the window is loaded.
class Form : public QObject {
    Q_OBJECT

public:
    ~Form() override;

    bool IsLoaded() const { return window_ != nullptr; }
    QWidget* Window() const { return window_; }

    // Builds the window and runs Form_Load, unless already loaded.
    void Load();
    // With vbModal, owner's input is blocked and Show returns only once the
    // window has been unloaded.
    void Show(int modal = vbModeless, Form* owner = nullptr);
    // Destroys the Qt window; the shared instance stays, and the next Show
    // loads the window afresh.
    void Unload();

signals:
    void Unloaded();

protected:
    Form() = default;

    // Returns the window, built from its description with its handlers wired.
    virtual QWidget* BuildWindow() = 0;
    virtual void Form_Load() { }
    // Lays the window out for its screen: once it is built, and again
    // whenever the room the screen leaves changes (a phone turned).
    virtual void Arrange() { }

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
    QPointer<QWidget> window_;
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
