// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The message box of a count the bars refuse, in UTF-8 and free of Qt, so
// that the page can show the same words.

// The prompt, whatever the count.
inline constexpr const char* kTooManyScalpsPrompt
    = "Il numero massimo di scalpi collezionabile è 750";
// The title: this, then the error's number.
inline constexpr const char* kErrorTitlePrefix = "Errore ";
