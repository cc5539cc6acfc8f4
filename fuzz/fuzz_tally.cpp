// The tally driven as the main window drives it, from any earlier record and
// any count, then a free run of single steps against a model in int.
//
// Invariants: after a calculation that completes, each count is the
// truncated quotient of the one before and, for 0..750 scalps, within
// 0..its target (the bars' ranges); a shortfall fails exactly when the
// difference lies below -32768, and then the fields past it are still 0.

#include "tally/collection_tally.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using Record = std::array<int, kTallyLevels>;

constexpr std::array<int, kTallyLevels> kTargets = {750, 150, 30, 10, 2};
constexpr std::array<int, kTallyLevels - 1> kDivisors = {5, 5, 3, 5};

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
    return {tally.sca, tally.maz, tally.cin, tally.lib, tally.ane};
}

std::int16_t& Field(CollectionTally& tally, int index)
{
    std::int16_t* fields[] = {&tally.sca, &tally.maz, &tally.cin, &tally.lib, &tally.ane};
    return *fields[index];
}

// Division truncating toward zero, written without relying on operator/ for negatives.
int Truncated(int count, int divisor)
{
    const int magnitude = (count < 0 ? -count : count) / divisor;
    return count < 0 ? -magnitude : magnitude;
}

void WholeCalculation(CollectionTally& tally, std::int16_t scalps)
{
    tally.Reset();
    tally.SetScalps(scalps);
    int failedAt = -1;
    int expected = scalps;
    for (int level = 0; level < kTallyLevels; ++level) {
        const int count = tally.Count(Level(level));
        Expect(count == expected, "count is not the chain's quotient", level, count);
        const int difference = count - kTargets[level];
        try {
            const int shortfall = tally.Shortfall(Level(level));
            Expect(difference >= -32768, "shortfall formed below -32768", level, difference);
            Expect(shortfall == difference, "wrong shortfall", level, shortfall);
        } catch (const TallyOverflow&) {
            Expect(difference < -32768, "overflow above -32768", level, difference);
            failedAt = level;
            break;
        }
        if (level + 1 < kTallyLevels) {
            expected = Truncated(count, kDivisors[level]);
            Expect(tally.Exchange(Level(level)) == expected, "wrong exchange", level, expected);
        }
    }
    const Record fields = Fields(tally);
    if (failedAt >= 0) {
        for (int later = failedAt + 1; later < kTallyLevels; ++later)
            Expect(fields[later] == 0, "field past a failure is not 0", later, fields[later]);
        return;
    }
    if (scalps >= 0 && scalps <= 750)
        for (int level = 0; level < kTallyLevels; ++level)
            Expect(fields[level] >= 0 && fields[level] <= kTargets[level],
                   "count out of its bar's range", level, fields[level]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CollectionTally tally;
    // Whatever an earlier calculation left; Reset must clear it.
    for (int level = 0; level < kTallyLevels; ++level)
        Field(tally, level) = input.ConsumeIntegral<std::int16_t>();
    WholeCalculation(tally, input.ConsumeIntegral<std::int16_t>());

    // Single steps in any order on any record.
    Record model = Fields(tally);
    while (input.remaining_bytes() > 0) {
        const int level = input.ConsumeIntegralInRange(0, kTallyLevels - 1);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const std::int16_t value = input.ConsumeIntegral<std::int16_t>();
            Field(tally, level) = value;
            model[level] = value;
            break;
        }
        case 1: {
            const int difference = model[level] - kTargets[level];
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
                model[level + 1] = Truncated(model[level], kDivisors[level]);
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
