// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard, all of it: keys that belong to the browser stay the
// browser's; every other key reaches the program as if typed on its canvas,
// wherever the page's focus is (the mirror keeps it on the program's focused
// control). What a phone's keyboard types without keys, and the clipboard,
// come through the mirror's copy of the text box instead (mirror.js).

const screen = document.getElementById("screen");

// Reload, close, new tab or window, address bar, full screen, developer tools.
function browserKey(e) {
  const ctrl = e.ctrlKey || e.metaKey;
  const key = e.key.toLowerCase();
  return e.key === "F5" || e.key === "F11" || e.key === "F12"
    || (ctrl && ["r", "w", "t", "n", "l", "q", "tab", "pageup", "pagedown"].includes(key))
    || (e.altKey && (e.key === "ArrowLeft" || e.key === "ArrowRight" || e.key === "F4"));
}

// Copy, cut and paste: the browser does them on the mirror's copy of the
// box, which holds the program's text and selection, in every browser alike;
// Qt's own way differs from one browser to the next and would paste twice.
function clipboardKey(e) {
  return (e.ctrlKey || e.metaKey) && ["c", "v", "x"].includes(e.key.toLowerCase());
}

let beforeKey = () => {};

function handle(e) {
  if (e.target === screen && !e.isTrusted)
    return; // a copy of ours, on its way to the program
  if (browserKey(e) || clipboardKey(e)) {
    e.stopImmediatePropagation();
    return;
  }
  // A phone's keyboard composing a word says "Unidentified": its text
  // arrives as an edit of the box.
  if (e.type === "keypress" || e.isComposing || e.key === "Unidentified" || e.key === "Process")
    return;
  if (e.type === "keydown")
    beforeKey();
  const copy = new KeyboardEvent(e.type, {
    key: e.key, code: e.code, location: e.location, repeat: e.repeat, ctrlKey: e.ctrlKey,
    shiftKey: e.shiftKey, altKey: e.altKey, metaKey: e.metaKey,
    bubbles: true, cancelable: true, composed: true });
  screen.dispatchEvent(copy);
  e.preventDefault();
  e.stopImmediatePropagation();
}

// BEFORE runs ahead of every key the program gets (the mirror's box hands
// over a selection made in it, for the key to act on).
export function install(before) {
  beforeKey = before;
  for (const type of ["keydown", "keyup", "keypress"])
    window.addEventListener(type, handle, true);
  for (const type of ["copy", "cut", "paste"])
    window.addEventListener(type, function (e) {
      e.stopImmediatePropagation();
    }, true);
}
