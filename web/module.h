// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The page module's handlers (web/module.cpp), each answering with the
// changes the page must make, as JSON: exported by name from the module,
// plain functions in its native build.

extern "C" {
// The main window as it is built, then loaded.
const char* Form1_Build();
const char* Text1_Change();
// Room for the box's text, in UTF-16 code units, before Command1_Click.
char16_t* Text1_Buffer(int length);
const char* Command1_Click(int length);
const char* Form2_Load();
const char* frmAbout_Load();
}
