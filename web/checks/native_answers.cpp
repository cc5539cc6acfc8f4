// SPDX-License-Identifier: GPL-3.0-or-later
// Prints, a JSON line each, the page module's answers for every count from
// -32768 to 32767 and for each text of the tests' tables: the box's text,
// then what Calcola and then the summary answer. check_native_build.mjs asks
// the module emscripten built the same and compares.

#include "tests/support/text_cases.h"
#include "web/module.h"

#include <cstdio>
#include <string>

namespace {

// A JSON string of UTF-16 code units, each escaped, so that no text is
// changed on its way.
std::string Quoted(const std::u16string& text)
{
    std::string out = "\"";
    for (const char16_t unit : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(unit));
        out += escaped;
    }
    return out + "\"";
}

void Case(const std::u16string& text)
{
    char16_t* box = Text1_Buffer(int(text.size()));
    text.copy(box, text.size());
    std::string line = "{\"text\":" + Quoted(text) + ",\"Command1_Click\":";
    line += Command1_Click(int(text.size()));
    line += ",\"Form2_Load\":";
    line += Form2_Load();
    std::puts((line + "}").c_str());
}

} // namespace

int main()
{
    std::printf("{\"Form1_Build\":%s}\n", Form1_Build());
    std::printf("{\"Text1_Change\":%s}\n", Text1_Change());
    std::printf("{\"frmAbout_Load\":%s}\n", frmAbout_Load());
    for (int count = -32768; count <= 32767; ++count) {
        const std::string digits = std::to_string(count);
        Case(std::u16string(digits.begin(), digits.end()));
    }
    for (const TextCase& text : kTextCases)
        Case(text.text);
}
