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

// Runs an event handler that has no trap of its own. An error leaving it is
// reported in a message box and goes no further, so it never unwinds
// through Qt's event loop.
void Untrapped(const std::function<void()>& handler);

} // namespace forms
