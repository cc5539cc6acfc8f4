// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/convert.h"

#include "forms/errors.h"

#include <algorithm>

namespace forms {

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

} // namespace forms
