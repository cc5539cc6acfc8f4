// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a whole calculation of a scalp count must leave, worked out in plain
// int arithmetic from the chain's own numbers and apart from the code it
// checks: 5 scalps make a mace, 5 maces a belt, 3 belts a book, 5 books a
// ring, against the targets 750, 150, 30, 10 and 2. Qt-free, so that the
// fuzz target and the benchmark share it with the tests.

#include <array>

namespace oracle {

inline constexpr int kLevels = 5;
inline constexpr std::array<int, kLevels> kTargets = {750, 150, 30, 10, 2};
inline constexpr std::array<int, kLevels - 1> kDivisors = {5, 5, 3, 5};

// The run-time errors that end a calculation half-way.
inline constexpr int kOverflow = 6; // a shortfall below -32768
inline constexpr int kRefusedByBar = 380; // a count outside its bar's 0..target

// Division truncating toward zero, spelt out rather than left to operator/.
constexpr int Truncated(int count, int divisor)
{
    const int magnitude = (count < 0 ? -count : count) / divisor;
    return count < 0 ? -magnitude : magnitude;
}

// With the main window's bars, a count outside 0..target is refused before
// its shortfall is formed; the tally alone knows no bars.
enum class Bars { kNone, kChecked };

struct Calculation {
    std::array<int, kLevels> counts{}; // the five fields afterwards
    std::array<int, kLevels> shortfalls{}; // the first `formed` of them; the rest 0
    int shown = 0; // levels whose count was produced (and written to its label)
    int barsSet = 0; // levels whose bar took the count; 0 without bars
    int formed = 0; // levels whose shortfall was formed
    int error = 0; // the error that ended it, or 0

    bool operator==(const Calculation&) const = default;
};

// Level by level: the count, its bar, its shortfall in 16 bits, then the
// next count; the first error ends it with the later fields still 0.
constexpr Calculation Calculate(int scalps, Bars bars = Bars::kNone)
{
    Calculation c;
    int count = scalps;
    for (int level = 0; level < kLevels; ++level) {
        c.counts[level] = count;
        c.shown = level + 1;
        if (bars == Bars::kChecked) {
            if (count < 0 || count > kTargets[level]) {
                c.error = kRefusedByBar;
                return c;
            }
            c.barsSet = level + 1;
        }
        const int shortfall = count - kTargets[level];
        if (shortfall < -32768) {
            c.error = kOverflow;
            return c;
        }
        c.shortfalls[level] = shortfall;
        c.formed = level + 1;
        if (level + 1 < kLevels)
            count = Truncated(count, kDivisors[level]);
    }
    return c;
}

} // namespace oracle
