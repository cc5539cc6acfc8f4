// SPDX-License-Identifier: GPL-3.0-or-later
// forms::CInt against a plain reference of the grammar it accepts: optional
// blanks, an optional sign directly before ASCII digits, optional blanks.
//
// The first byte picks the encoding of the rest: even, one character per
// byte (Latin-1); odd, UTF-16 little-endian, so any code unit can appear.

#include "forms/convert.h"
#include "forms/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Outcome {
    std::int32_t error = 0; // 0, forms::kTypeMismatch or forms::kOverflow
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
        return {forms::kTypeMismatch, 0};
    for (std::size_t i = begin; i < end; ++i)
        if (!IsDigit(text[i]))
            return {forms::kTypeMismatch, 0};
    while (end - begin > 1 && text[begin] == u'0')
        ++begin;
    const std::u16string_view digits = text.substr(begin, end - begin);
    const std::u16string_view limit = negative ? u"32768" : u"32767";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return {forms::kOverflow, 0};
    int value = 0;
    for (char16_t c : digits)
        value = value * 10 + (c - u'0');
    return {0, negative ? -value : value};
}

Outcome Convert(QStringView text)
{
    Outcome outcome;
    try {
        outcome.value = forms::CInt(text);
    } catch (const forms::RuntimeError& error) {
        outcome.error = error.Number();
    }
    return outcome;
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
    const Outcome got = Convert(QStringView(text.data(), qsizetype(text.size())));
    if (got != expected)
        Fail("CInt", got, expected);
    // Every accepted value survives the way back through its decimal text.
    if (got.error == 0) {
        const QString decimal = forms::CStr(got.value);
        const Outcome again = Convert(decimal);
        if (again != got || decimal != QString::number(got.value))
            Fail("CInt(CStr)", again, got);
    }
    return 0;
}
