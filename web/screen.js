// SPDX-License-Identifier: GPL-3.0-or-later
// What the page tells the program of its screen. Qt watches the canvas's
// size itself, and the windows lay themselves out for it; the page tells it
// when the device turns to a dark or a light colour scheme.

export function install(program) {
  matchMedia("(prefers-color-scheme: dark)").addEventListener("change", function () {
    const module = program();
    if (module && module._bottinaro_colour_scheme_changed)
      module._bottinaro_colour_scheme_changed();
  });
}
