// SPDX-License-Identifier: GPL-3.0-or-later

#include "tally/collection_tally.h"

#include <limits>

void CollectionTally::Reset() noexcept
{
    sca = maz = cin = lib = ane = 0;
}

void CollectionTally::SetScalps(std::int16_t count) noexcept
{
    sca = count;
}

std::int16_t CollectionTally::Count(TallyLevel level) const noexcept
{
    return this->*kFields[static_cast<int>(level)];
}

std::optional<std::int16_t> CollectionTally::CheckedShortfall(TallyLevel level) const noexcept
{
    // The exact difference in int, then checked against 16 bits; targets are
    // positive, so only the low end can be passed.
    const int difference = int{Count(level)} - int{Target(level)};
    if (difference < std::numeric_limits<std::int16_t>::min())
        return std::nullopt;
    return static_cast<std::int16_t>(difference);
}

std::int16_t CollectionTally::Shortfall(TallyLevel level) const
{
    const std::optional<std::int16_t> shortfall = CheckedShortfall(level);
    if (!shortfall)
        throw TallyOverflow();
    return *shortfall;
}

std::optional<std::int16_t> CollectionTally::CheckedExchange(TallyLevel level) noexcept
{
    const int index = static_cast<int>(level);
    if (index < 0 || index + 1 >= kTallyLevels)
        return std::nullopt;
    // C++ division truncates toward zero, as the chain requires.
    const auto quotient = static_cast<std::int16_t>(Count(level) / Divisor(level));
    this->*kFields[index + 1] = quotient;
    return quotient;
}

std::int16_t CollectionTally::Exchange(TallyLevel level)
{
    const std::optional<std::int16_t> quotient = CheckedExchange(level);
    if (!quotient)
        throw std::invalid_argument("the last level has nothing to exchange into");
    return *quotient;
}
