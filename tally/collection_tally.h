// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

// The exchange chain of the collection quest, on 16-bit signed counts:
// 5 scalps make a mace, 5 maces a belt, 3 belts a book, 5 books a ring.
// The caller drives it one step at a time (see TallyLevel), so a calculation
// can stop after any step with the later fields still at zero.

enum class TallyLevel : int { sca = 0, maz, cin, lib, ane };

inline constexpr int kTallyLevels = 5;

// The difference of a count and its target does not fit in 16 bits.
class TallyOverflow : public std::overflow_error {
public:
    TallyOverflow() : std::overflow_error("tally shortfall out of 16-bit range") { }
};

class CollectionTally {
public:
    std::int16_t sca = 0; // scalps
    std::int16_t maz = 0; // maces
    std::int16_t cin = 0; // belts
    std::int16_t lib = 0; // books
    std::int16_t ane = 0; // rings

    static constexpr std::int16_t Target(TallyLevel level) noexcept
    {
        constexpr std::int16_t targets[kTallyLevels] = {750, 150, 30, 10, 2};
        return targets[static_cast<int>(level)];
    }

    // Items of this level that make one of the next; 0 for the last level.
    static constexpr std::int16_t Divisor(TallyLevel level) noexcept
    {
        constexpr std::int16_t divisors[kTallyLevels] = {5, 5, 3, 5, 0};
        return divisors[static_cast<int>(level)];
    }

    void Reset() noexcept;
    void SetScalps(std::int16_t count) noexcept;
    std::int16_t Count(TallyLevel level) const noexcept;
    // The level's field itself, for setting up a record level by level.
    std::int16_t& Field(TallyLevel level) noexcept
    {
        return this->*kFields[static_cast<int>(level)];
    }

    // Count minus target; throws TallyOverflow (record untouched) below -32768.
    std::int16_t Shortfall(TallyLevel level) const;
    // The same without an exception, for code built without them: nothing
    // below -32768.
    std::optional<std::int16_t> CheckedShortfall(TallyLevel level) const noexcept;

    // Divides the level's count by its divisor, truncating toward zero, and
    // stores the quotient as the next level's count. The last level has no
    // next one: std::invalid_argument.
    std::int16_t Exchange(TallyLevel level);
    // The same without an exception: nothing, and no change, for the last level.
    std::optional<std::int16_t> CheckedExchange(TallyLevel level) noexcept;

private:
    static constexpr std::int16_t CollectionTally::*kFields[kTallyLevels]
        = {&CollectionTally::sca, &CollectionTally::maz, &CollectionTally::cin,
           &CollectionTally::lib, &CollectionTally::ane};
};
