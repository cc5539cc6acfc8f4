// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The message box of a count the bars refuse, in UTF-8 and free of Qt, so
// that the page can show the same words.

// The prompt, whatever the count: this, then the scalps' target.
inline constexpr const char* kTooManyScalpsPrefix = "Il numero massimo di scalpi collezionabile è ";
// The title: this, then the error's number.
inline constexpr const char* kErrorTitlePrefix = "Errore ";
