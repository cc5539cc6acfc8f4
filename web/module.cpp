// SPDX-License-Identifier: GPL-3.0-or-later
// The page's module: the main window's handlers as the desktop runs them,
// built from the same rules and texts, answering each event with what the
// page must change, in order, as JSON:
//   [["text", "Form1.LabelScalpi", "Scalpi di Moon Tug: 5"],
//    ["name", "Form1.RestoScalpi", "..."],       a screen reader's name
//    ["value", "Form1.BarraScalpi", 5],          a bar's value
//    ["range", "Form1.BarraScalpi", 0, 750],
//    ["enabled", "Form1.Command1", false],
//    ["hidden", "Form1.Label7", true],           kept from a screen reader
//    ["announce", "..."],                        said by a screen reader
//    ["show", "Form3"],                          a window opened modally
//    ["message", "Errore 380", "..."]]           the error box
// The page's script only carries these to its elements. The module keeps
// the main window's tally between events, as the window does.

#include "web/module.h"

#include "app/app.h"
#include "tally/calculation.h"
#include "tally/window_texts.h"

#include <cstdlib>
#include <string>

// Exported by name from the module; a plain function in the native build.
#ifdef __EMSCRIPTEN__
#define HANDLER(name) __attribute__((export_name(#name))) const char* name
#else
#define HANDLER(name) const char* name
#endif

namespace {

CollectionTally tally;
std::string changes;
char16_t* input = nullptr;

// A JSON string: control characters too are escaped, or the page could
// not read the answer.
void Quoted(const std::string& text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    changes += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            changes += "\\u00";
            changes += kHex[byte >> 4];
            changes += kHex[byte & 15];
            continue;
        }
        if (c == '"' || c == '\\')
            changes += '\\';
        changes += c;
    }
    changes += '"';
}

// One change: its kind, then its arguments, then End().
void Begin(const char* kind)
{
    changes += changes.empty() ? "[[" : ",[";
    Quoted(kind);
}

void Text(const std::string& text)
{
    changes += ',';
    Quoted(text);
}

void Number(std::int32_t number)
{
    changes += ',' + texts::Decimal(number);
}

void End()
{
    changes += ']';
}

// A control as the page finds it: its window's name, then its own.
std::string Control(const char* window, const char* control)
{
    return control ? std::string(window) + "." + control : std::string(window);
}

void SetText(const char* window, const char* control, const std::string& text)
{
    Begin("text");
    Text(Control(window, control));
    Text(text);
    End();
}

void SetName(const char* control, const std::string& name)
{
    Begin("name");
    Text(Control("Form1", control));
    Text(name);
    End();
}

void SetEnabled(const char* control, bool enabled)
{
    Begin("enabled");
    Text(Control("Form1", control));
    changes += enabled ? ",true" : ",false";
    End();
}

// Kept from a screen reader: it would only repeat what another control says.
void Hide(const char* control)
{
    Begin("hidden");
    Text(Control("Form1", control));
    changes += ",true";
    End();
}

const char* Done()
{
    changes += changes.empty() ? "[]" : "]";
    return changes.c_str();
}

TallyLevel Level(int i)
{
    return static_cast<TallyLevel>(i);
}

void Form1_Load()
{
    tally.Reset();
    SetEnabled("Command1", false);
    SetEnabled("Command2", false);
}

} // namespace

extern "C" {

// The main window as it is built, then loaded: the captions and bars the
// handlers set up, and both buttons off.
HANDLER(Form1_Build)()
{
    changes.clear();
    for (int i = 0; i < kTallyLevels; ++i) {
        const BandNames& band = kBandNames[i];
        SetText("Form1", band.count, texts::DesignedCount(Level(i)));
        for (int mark = 0; mark < 3; ++mark) {
            SetText("Form1", band.scale[mark], texts::Decimal(texts::ScaleMark(Level(i), mark)));
            // The bar reports its own range.
            Hide(band.scale[mark]);
        }
        Begin("range");
        Text(Control("Form1", band.bar));
        Number(texts::ScaleMark(Level(i), 0));
        Number(texts::ScaleMark(Level(i), 2));
        End();
        SetName(band.bar, texts::BarName(Level(i)));
    }
    Form1_Load();
    return Done();
}

#ifdef __EMSCRIPTEN__
__attribute__((export_name("Text1_Buffer")))
#endif
char16_t*
Text1_Buffer(int length)
{
    std::free(input);
    input = static_cast<char16_t*>(std::malloc(sizeof(char16_t) * (length > 0 ? length : 1)));
    return input;
}

HANDLER(Text1_Change)()
{
    changes.clear();
    SetEnabled("Command1", true);
    SetEnabled("Command2", false);
    return Done();
}

HANDLER(Command1_Click)(int length)
{
    changes.clear();
    Form1_Load();
    const Calculation result
        = Calculate(std::u16string_view(input, input && length > 0 ? length : 0));
    tally = result.tally;
    for (int i = 0; i < kTallyLevels; ++i) {
        const BandNames& band = kBandNames[i];
        if (i < result.counts)
            SetText("Form1", band.count, texts::Count(Level(i), tally.Count(Level(i))));
        if (i < result.bars) {
            Begin("value");
            Text(Control("Form1", band.bar));
            Number(tally.Count(Level(i)));
            End();
        }
        if (i < result.shortfalls) {
            SetText("Form1", band.shortfall, texts::Decimal(result.shortfall[i]));
            SetName(band.shortfall, texts::ShortfallName(Level(i), result.shortfall[i]));
        }
    }
    if (result.Complete()) {
        SetEnabled("Command1", false);
        SetEnabled("Command2", true);
        Begin("announce");
        Text(texts::Announcement(tally));
        End();
        if (result.Reward()) {
            Begin("show");
            Text("Form3");
            End();
        }
    } else if (result.error == kInvalidPropertyValue) {
        Begin("message");
        Text(texts::ErrorTitle(result.error));
        Text(texts::TooManyScalps());
        End();
    }
    return Done();
}

// The summary window as it loads: the main window's counts.
HANDLER(Form2_Load)()
{
    changes.clear();
    for (int i = 0; i < kTallyLevels; ++i)
        SetText("Form2", kSummaryLines[i], texts::SummaryLine(Level(i), tally.Count(Level(i))));
    return Done();
}

HANDLER(frmAbout_Load)()
{
    changes.clear();
    SetText("frmAbout", nullptr, texts::AboutTitle(App::Title));
    SetText("frmAbout", "lblVersion", texts::Version(App::Major, App::Minor, App::Revision));
    SetText("frmAbout", "lblTitle", App::Title);
    SetText("frmAbout", "lblDisclaimer", App::LegalCopyright);
    return Done();
}
}
