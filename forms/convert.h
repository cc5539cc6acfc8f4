// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Conversions between 16-bit integers and text; they need only QtCore.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string_view>

namespace forms {

// A text as the Qt-free rules in tally/ take it.
inline std::u16string_view Utf16(QStringView text)
{
    return {text.utf16(), static_cast<std::size_t>(text.size())};
}

// Decimal digits, "-" before a negative value, no grouping.
QString CStr(std::int32_t value);

// TextToInteger (tally/calculation.h), raising its error.
std::int16_t CInt(QStringView text);

} // namespace forms
