// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a press of Calcola does, free of Qt, of exceptions and of I/O, so
// that the desktop windows and the page's small module share one set of
// rules; the windows only replay the steps.

#include "tally/collection_tally.h"

#include <cstdint>
#include <string_view>

// The runtime's error numbers a calculation can end with.
enum CalculationError : std::int32_t {
    kNoError = 0,
    kOverflow = 6, // a number outside 16 bits, or a shortfall below -32768
    kTypeMismatch = 13, // a text that is not a number
    kInvalidPropertyValue = 380, // a bar given a value outside 0..its target
};

struct Integer16 {
    std::int16_t value = 0;
    std::int32_t error = kNoError;
};

// The runtime's text-to-integer conversion: optional blanks (U+0020 only),
// an optional sign directly before ASCII digits, optional blanks; anything
// else kTypeMismatch (empty text too); a value outside -32768..32767
// kOverflow. No length of digits can wrap it.
Integer16 TextToInteger(std::u16string_view text) noexcept;

// What a press of Calcola did, step by step: the steps ran in chain order,
// each level's count shown, then its bar set (0..target, else
// kInvalidPropertyValue), then its shortfall shown (below -32768,
// kOverflow), then the exchange; the first failure ends it.
struct Calculation {
    CollectionTally tally; // as the steps left it, from zeros
    std::int32_t error = kNoError; // the error that ended it, kNoError when it ran to the end
    int counts = 0; // levels whose count label was written, in chain order
    int bars = 0; // levels whose bar took its count
    int shortfalls = 0; // levels whose shortfall was written
    std::int16_t shortfall[kTallyLevels] = {};
    bool Complete() const noexcept { return error == kNoError; }
    // The reward window opens: complete, and exactly the scalps' target.
    bool Reward() const noexcept;
};

Calculation Calculate(std::u16string_view text) noexcept;
