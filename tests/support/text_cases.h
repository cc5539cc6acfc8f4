// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Texts a player may leave in the box, each with the number the runtime
// reads from it or the error it raises: the conversion's table, for the
// desktop's suite and for the check that the page's module reads them alike.

#include "tally/calculation.h"

#include <string>
#include <vector>

struct TextCase {
    const char* name;
    std::u16string text;
    int value;
    int error;
};

inline const std::vector<TextCase> kTextCases = [] {
    const int overflow = kOverflow, mismatch = kTypeMismatch;
    const std::u16string nines(5000, u'9');
    return std::vector<TextCase>{
        {"plain", u"750", 750, 0},
        {"zero", u"0", 0, 0},
        {"minus zero", u"-0", 0, 0},
        {"leading zeros", u"000750", 750, 0},
        {"plus", u"+12", 12, 0},
        {"minus", u"-1", -1, 0},
        {"blanks around", u"  42  ", 42, 0},
        {"max", u"32767", 32767, 0},
        {"min", u"-32768", -32768, 0},
        {"one past max", u"32768", 0, overflow},
        {"one past min", u"-32769", 0, overflow},
        {"huge", nines, 0, overflow},
        {"huge negative", u"-" + nines, 0, overflow},
        {"zeros then max", std::u16string(1000, u'0') + u"32767", 32767, 0},
        {"empty", u"", 0, mismatch},
        {"blanks only", u"   ", 0, mismatch},
        {"sign only", u"-", 0, mismatch},
        {"blank after sign", u"- 1", 0, mismatch},
        {"two signs", u"+-1", 0, mismatch},
        {"letters", u"abc", 0, mismatch},
        {"trailing letter", u"12a", 0, mismatch},
        {"inner blank", u"1 2", 0, mismatch},
        {"fraction", u"1.5", 0, mismatch},
        {"comma", u"1,5", 0, mismatch},
        {"grouping", u"1.000", 0, mismatch},
        {"exponent", u"1e3", 0, mismatch},
        {"hex", u"&H10", 0, mismatch},
        {"tab", u"\t5", 0, mismatch},
        {"newline", u"5\n", 0, mismatch},
        {"no-break space", u"\u00a05", 0, mismatch},
        {"arabic-indic digit", u"\u0665", 0, mismatch},
        {"fullwidth digit", u"\uff15", 0, mismatch},
        {"overflow and junk", u"99999x", 0, mismatch},
        {"nul", std::u16string(1, u'\0') + u"1", 0, mismatch},
        {"lone surrogate", u"7\xd800", 0, mismatch},
    };
}();
