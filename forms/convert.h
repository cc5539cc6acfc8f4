// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Conversions between 16-bit integers and text; they need only QtCore.

#include <QString>
#include <QStringView>

#include <cstdint>

namespace forms {

// Decimal digits, "-" before a negative value, no grouping.
QString CStr(std::int32_t value);

// Optional blanks, an optional sign directly before ASCII digits, optional
// blanks; anything else raises kTypeMismatch, a value outside
// -32768..32767 raises kOverflow.
std::int16_t CInt(QStringView text);

} // namespace forms
