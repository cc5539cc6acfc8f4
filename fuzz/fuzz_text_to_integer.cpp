// SPDX-License-Identifier: GPL-3.0-or-later
// TextToInteger against a plain reference of the grammar it accepts:
// optional blanks, an optional sign directly before ASCII digits, optional
// blanks; then Calculate on the same text against the tests' oracle, bars
// and all.
//
// The first byte picks the encoding of the rest: even, one character per
// byte (Latin-1); odd, UTF-16 little-endian, so any code unit can appear.

#include "tally/calculation.h"
#include "tally_oracle.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Outcome {
    std::int32_t error = 0; // kNoError, kTypeMismatch or kOverflow
    int value = 0;

    bool operator==(const Outcome&) const = default;
};

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Works on the digits as text, so that no length of input can overflow it.
Outcome Reference(std::u16string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    bool negative = false;
    if (begin < end && (text[begin] == u'+' || text[begin] == u'-')) {
        negative = text[begin] == u'-';
        ++begin;
    }
    if (begin == end)
        return {kTypeMismatch, 0};
    for (std::size_t i = begin; i < end; ++i)
        if (!IsDigit(text[i]))
            return {kTypeMismatch, 0};
    while (end - begin > 1 && text[begin] == u'0')
        ++begin;
    const std::u16string_view digits = text.substr(begin, end - begin);
    const std::u16string_view limit = negative ? u"32768" : u"32767";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return {kOverflow, 0};
    int value = 0;
    for (char16_t c : digits)
        value = value * 10 + (c - u'0');
    return {0, negative ? -value : value};
}

Outcome Convert(std::u16string_view text)
{
    const Integer16 number = TextToInteger(text);
    return {number.error, number.value};
}

std::u16string Decimal(int value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// A press of Calcola recorded as the oracle records it.
oracle::Calculation Recorded(const Calculation& c)
{
    oracle::Calculation run{
        .shown = c.counts, .barsSet = c.bars, .formed = c.shortfalls, .error = c.error};
    for (int i = 0; i < kTallyLevels; ++i) {
        run.counts[i] = c.tally.Count(static_cast<TallyLevel>(i));
        run.shortfalls[i] = c.shortfall[i];
    }
    return run;
}

[[noreturn]] void Fail(const char* what, const Outcome& got, const Outcome& expected)
{
    std::fprintf(stderr, "%s: got error %d value %d, expected error %d value %d\n", what,
                 int(got.error), got.value, int(expected.error), expected.value);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::u16string text;
    if (data[0] % 2 == 0) {
        for (std::size_t i = 1; i < size; ++i)
            text.push_back(char16_t(data[i]));
    } else {
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text.push_back(char16_t(data[i] | data[i + 1] << 8));
    }
    const Outcome expected = Reference(text);
    const Outcome got = Convert(text);
    if (got != expected)
        Fail("TextToInteger", got, expected);
    // Every accepted value survives the way back through its decimal text.
    if (got.error == kNoError) {
        const Outcome again = Convert(Decimal(got.value));
        if (again != got)
            Fail("TextToInteger(decimal)", again, got);
    }
    // A text that is no number stops a calculation before anything is shown.
    const Calculation calculation = Calculate(text);
    const oracle::Calculation wanted = got.error != kNoError
                                           ? oracle::Calculation{.error = got.error}
                                           : oracle::Calculate(got.value, oracle::Bars::kChecked);
    if (Recorded(calculation) != wanted)
        Fail("Calculate", {calculation.error, calculation.tally.sca},
             {wanted.error, wanted.counts[0]});
    if (calculation.Reward() != (wanted.error == 0 && wanted.counts[0] == oracle::kTargets[0]))
        Fail("Reward", {calculation.error, calculation.tally.sca},
             {wanted.error, wanted.counts[0]});
    return 0;
}
