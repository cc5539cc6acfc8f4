// SPDX-License-Identifier: GPL-3.0-or-later
// The tally driven as the main window drives it, from any earlier record and
// any count, against the tests' oracle; then a free run of single steps in
// any order against a model in int. A shortfall fails exactly when the
// difference lies below -32768; failed steps leave the record as it was.

#include "tally_driver.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using Record = std::array<int, kTallyLevels>;

[[noreturn]] void Fail(const char* what, int level, int detail)
{
    std::fprintf(stderr, "%s (level %d, %d)\n", what, level, detail);
    std::abort();
}

void Expect(bool holds, const char* what, int level = -1, int detail = 0)
{
    if (!holds)
        Fail(what, level, detail);
}

TallyLevel Level(int index)
{
    return static_cast<TallyLevel>(index);
}

Record Fields(const CollectionTally& tally)
{
    Record fields;
    for (int level = 0; level < kTallyLevels; ++level)
        fields[level] = tally.Count(Level(level));
    return fields;
}

void WholeCalculation(CollectionTally& tally, std::int16_t scalps)
{
    const oracle::Calculation run = RunTally(tally, scalps);
    Expect(run == oracle::Calculate(scalps), "calculation differs from the oracle", run.shown - 1,
           scalps);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CollectionTally tally;
    // Whatever an earlier calculation left; Reset must clear it.
    for (int level = 0; level < kTallyLevels; ++level)
        tally.Field(Level(level)) = input.ConsumeIntegral<std::int16_t>();
    WholeCalculation(tally, input.ConsumeIntegral<std::int16_t>());

    // Single steps in any order on any record.
    Record model = Fields(tally);
    while (input.remaining_bytes() > 0) {
        const int level = input.ConsumeIntegralInRange(0, kTallyLevels - 1);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const std::int16_t value = input.ConsumeIntegral<std::int16_t>();
            tally.Field(Level(level)) = value;
            model[level] = value;
            break;
        }
        case 1: {
            const int difference = model[level] - oracle::kTargets[level];
            try {
                const int shortfall = tally.Shortfall(Level(level));
                Expect(difference >= -32768 && shortfall == difference, "shortfall", level,
                       shortfall);
            } catch (const TallyOverflow&) {
                Expect(difference < -32768, "overflow above -32768", level, difference);
            }
            break;
        }
        case 2:
            try {
                const int quotient = tally.Exchange(Level(level));
                Expect(level + 1 < kTallyLevels, "the last level exchanged", level);
                model[level + 1] = oracle::Truncated(model[level], oracle::kDivisors[level]);
                Expect(quotient == model[level + 1], "exchange", level, quotient);
            } catch (const std::invalid_argument&) {
                Expect(level == kTallyLevels - 1, "exchange refused", level);
            }
            break;
        default:
            WholeCalculation(tally, input.ConsumeIntegral<std::int16_t>());
            model = Fields(tally);
            break;
        }
        // Failed steps leave the record as it was.
        Expect(Fields(tally) == model, "record differs from the model", level);
    }
    return 0;
}
