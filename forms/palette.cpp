// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/palette.h"

#include <QColor>

namespace forms {

QPalette DarkPalette()
{
    const QColor window(0x35, 0x35, 0x35), text(0xee, 0xee, 0xec), base(0x2d, 0x2d, 0x2d);
    QPalette palette(text, window, window.lighter(150), window.darker(200), window.darker(130),
                     text, Qt::white, base, window);
    palette.setColor(QPalette::Highlight, QColor(0x15, 0x53, 0x9e));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x91, 0x91, 0x90));
    return palette;
}

} // namespace forms
