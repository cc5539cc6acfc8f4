// SPDX-License-Identifier: GPL-3.0-or-later

#include "tally/calculation.h"

#include <algorithm>
#include <cstddef>
#include <optional>

Integer16 TextToInteger(std::u16string_view text) noexcept
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const std::size_t digits = i;
    // Saturates just past the range, so a megabyte of digits cannot wrap.
    std::int32_t magnitude = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        magnitude = std::min<std::int32_t>(magnitude * 10 + (text[i] - u'0'), 32769);
        ++i;
    }
    if (i == digits)
        return {0, kTypeMismatch};
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return {0, kTypeMismatch};
    if (magnitude > (negative ? 32768 : 32767))
        return {0, kOverflow};
    return {static_cast<std::int16_t>(negative ? -magnitude : magnitude), kNoError};
}

bool Calculation::Reward() const noexcept
{
    return Complete() && tally.sca == CollectionTally::Target(TallyLevel::sca);
}

Calculation Calculate(std::u16string_view text) noexcept
{
    Calculation c;
    const Integer16 scalps = TextToInteger(text);
    if (scalps.error != kNoError) {
        c.error = scalps.error;
        return c;
    }
    c.tally.SetScalps(scalps.value);
    for (int i = 0; i < kTallyLevels; ++i) {
        const auto level = static_cast<TallyLevel>(i);
        const std::int16_t count = c.tally.Count(level);
        c.counts = i + 1;
        // The bar's range is 0..target: it refuses before any shortfall is formed.
        if (count < 0 || count > CollectionTally::Target(level)) {
            c.error = kInvalidPropertyValue;
            return c;
        }
        c.bars = i + 1;
        const std::optional<std::int16_t> shortfall = c.tally.CheckedShortfall(level);
        if (!shortfall) {
            c.error = kOverflow;
            return c;
        }
        c.shortfall[i] = *shortfall;
        c.shortfalls = i + 1;
        c.tally.CheckedExchange(level); // nothing to do after the last level
    }
    return c;
}
