// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/convert.h"

#include "forms/errors.h"
#include "tally/calculation.h"

namespace forms {

QString CStr(std::int32_t value)
{
    return QString::number(value);
}

std::int16_t CInt(QStringView text)
{
    const Integer16 number = TextToInteger(Utf16(text));
    if (number.error != kNoError)
        Raise(number.error);
    return number.value;
}

} // namespace forms
