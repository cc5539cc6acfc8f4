// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tally driven through one whole calculation in the main window's order,
// recorded the way oracle::Calculate records what it must give.

#include "tally/collection_tally.h"
#include "tally_oracle.h"

inline oracle::Calculation RunTally(CollectionTally& tally, std::int16_t scalps)
{
    oracle::Calculation run;
    tally.Reset();
    tally.SetScalps(scalps);
    for (int i = 0; i < kTallyLevels; ++i) {
        const auto level = static_cast<TallyLevel>(i);
        run.shown = i + 1;
        try {
            run.shortfalls[i] = tally.Shortfall(level);
        } catch (const TallyOverflow&) {
            run.error = oracle::kOverflow;
            break;
        }
        run.formed = i + 1;
        if (level != TallyLevel::ane)
            tally.Exchange(level);
    }
    for (int i = 0; i < kTallyLevels; ++i)
        run.counts[i] = tally.Count(static_cast<TallyLevel>(i));
    return run;
}
