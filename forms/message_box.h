// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The message box, and the report of an error that no trap caught.

#include <QString>

#include <functional>

namespace forms {

// Message box styles; only the ones the program uses.
enum MsgBoxStyle : int { vbCritical = 16 };

// A modal box with one "OK" button; returns when it is dismissed.
void MsgBox(const QString& prompt, int buttons, const QString& title);

// Takes the boxes' place while set: MsgBox hands it the title, prompt and
// icon (a QMessageBox::Icon) and draws nothing, for a suite that compares
// tens of thousands of messages. Returns the one it replaces.
using MessageBoxStandIn
    = std::function<void(const QString& title, const QString& prompt, int icon)>;
MessageBoxStandIn SetMessageBoxStandIn(MessageBoxStandIn standIn);

// Runs an event handler that has no trap of its own. An error leaving it is
// reported in a message box and goes no further, so it never unwinds
// through Qt's event loop.
void Untrapped(const std::function<void()>& handler);

} // namespace forms
