// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "tally/collection_tally.h"

#include <array>

// The chain's items as the windows spell them, level by level. The
// spellings differ between the windows and even within the main window,
// and each place keeps its own: they are the program's texts as shipped.
struct ItemCaption {
    const char* design; // a count label of the main window before any calculation
    const char* count; // the same label once a calculation has written it
    const char* summary; // a line of the summary window
};

inline constexpr std::array<ItemCaption, kTallyLevels> kItemCaptions = {{
    {"Scalpi di Moon Tug: ", "Scalpi di Moon Tug: ", "Scalpi di Moon Tug: "},
    {"Mazze di skraugbashor: ", "Mazze di Skraugbashor: ", "Mazze di Skraugbashor: "},
    {"Cinture di forza Skraug: ", "Cinture della forza Skraug: ", "Cinture di forza Skraug: "},
    {"Libri del collezionista: ", "Libri del collezionista: ", "Libri del Collezionista: "},
    {"Anelli del leone: ", "Anelli del Leone: ", "Anelli del Leone: "},
}};

constexpr const ItemCaption& CaptionOf(TallyLevel level)
{
    return kItemCaptions[static_cast<int>(level)];
}
