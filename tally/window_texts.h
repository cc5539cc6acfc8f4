// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the handlers write into the windows beyond the .ui files: the
// controls they write by name, and the texts they compose. Free of Qt, so
// that the desktop windows and the page's module write the same.

#include "tally/collection_tally.h"

#include <array>
#include <cstdint>
#include <string>

// The controls of one level in the main window: its count, bar and
// shortfall, and the scale under the bar (its start, middle and end).
struct BandNames {
    const char* count;
    const char* bar;
    const char* shortfall;
    std::array<const char*, 3> scale;
};

inline constexpr std::array<BandNames, kTallyLevels> kBandNames = {{
    {"LabelScalpi", "BarraScalpi", "RestoScalpi", {"Label7", "Label2", "Label12"}},
    {"LabelMazze", "BarraMazze", "RestoMazze", {"Label8", "Label3", "Label13"}},
    {"LabelCintole", "BarraCintole", "RestoCintole", {"Label9", "Label4", "Label14"}},
    {"LabelLibri", "BarraLibri", "RestoLibri", {"Label10", "Label5", "Label15"}},
    {"LabelAnelli", "BarraAnelli", "RestoAnelli", {"Label11", "Label6", "Label16"}},
}};

// The summary window's line for each level.
inline constexpr std::array<const char*, kTallyLevels> kSummaryLines
    = {"Label1", "Label2", "Label3", "Label4", "Label5"};

namespace texts {

// Decimal digits, "-" before a negative value, no grouping.
std::string Decimal(std::int32_t value);

// A count label before any calculation, and once one has written it.
std::string DesignedCount(TallyLevel level);
std::string Count(TallyLevel level, std::int16_t count);
// The numbers under a level's bar: its start, middle and end.
std::int16_t ScaleMark(TallyLevel level, int index);
// A bar as a screen reader names it: the item and its range.
std::string BarName(TallyLevel level);
// A shortfall as a screen reader hears it: the item and the number.
std::string ShortfallName(TallyLevel level, std::int16_t shortfall);
// The counts as a screen reader is told them after a calculation.
std::string Announcement(const CollectionTally& tally);
// A line of the summary window.
std::string SummaryLine(TallyLevel level, std::int16_t count);

// The message box of a count the bars refuse: its prompt and title.
std::string TooManyScalps();
std::string ErrorTitle(std::int32_t number);
std::string AboutTitle(const char* title);
std::string Version(std::int32_t major, std::int32_t minor, std::int32_t revision);

} // namespace texts
