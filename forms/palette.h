// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPalette>

namespace forms {

// A dark scheme of the kind a desktop hands Qt (Adwaita's dark colours): the
// one the contrast is measured on.
QPalette DarkPalette();

} // namespace forms
