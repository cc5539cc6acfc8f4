// SPDX-License-Identifier: GPL-3.0-or-later
// The page's side of the accessibility mirror (web/mirror.cpp): the windows'
// accessible tree as invisible HTML over the canvas, each control where it
// is drawn, for screen readers and a phone's keyboard. The page's focus
// stays on the control the program has focused; a press or a focus there
// goes back to the program, and so does every edit the browser makes to the
// text box: typing, a selection typed over, a deletion, dictation, a paste,
// a composed word.

const root = document.getElementById("mirror");
const polite = document.getElementById("polite");
const screen = document.getElementById("screen");
const elements = new Map();
let program = () => null;
let focused = 0;
let fromProgram = false;
let composing = false;
// Edits of the box sent to the program, and the last one it has taken: the
// program's text replaces the box's only once it has taken them all.
let sent = 0;
let taken = 0;

function call(name, ...args) {
  const module = program();
  if (module && module["_bottinaro_mirror_" + name])
    module["_bottinaro_mirror_" + name](...args);
}

function edit(input) {
  const module = program();
  if (!module || !module._bottinaro_mirror_edit)
    return;
  const bytes = 2 * (input.value.length + 1);
  const text = module._malloc(bytes);
  module.stringToUTF16(input.value, text, bytes);
  module._bottinaro_mirror_edit(Number(input.dataset.id), text, input.selectionStart,
                                input.selectionEnd, ++sent);
  module._free(text);
}

function elementFor(node) {
  const tag = { button: "button", textbox: "input" }[node.role] || "div";
  let element = elements.get(node.id);
  if (element && element.localName === tag)
    return element;
  if (element)
    element.remove();
  element = document.createElement(tag);
  element.id = "m" + node.id;
  element.dataset.id = node.id;
  if (tag === "button" || node.role === "menuitem")
    element.addEventListener("click", function (e) {
      e.preventDefault();
      if (element.getAttribute("aria-disabled") !== "true")
        call("press", node.id);
    });
  if (tag === "button")
    element.type = "button";
  if (tag === "input") {
    // Digits on a phone's keyboard; nothing that would rewrite the number.
    element.type = "text";
    element.inputMode = "numeric";
    element.autocomplete = "off";
    element.spellcheck = false;
    element.setAttribute("autocorrect", "off");
    element.setAttribute("autocapitalize", "off");
    element.addEventListener("input", () => edit(element));
    element.addEventListener("compositionstart", () => { composing = true; });
    element.addEventListener("compositionend", () => {
      composing = false;
      edit(element);
    });
  }
  elements.set(node.id, element);
  return element;
}

function set(element, name, value) {
  if (value === undefined || value === null || value === false)
    element.removeAttribute(name);
  else if (element.getAttribute(name) !== String(value))
    element.setAttribute(name, value);
}

// The box takes the program's text and selection, unless the browser is
// still composing in it or the program has not taken its edits yet.
function mirrorText(input, node) {
  input.programValue = node.value;
  input.programSelection = node.selection;
  if (composing || sent !== taken)
    return;
  if (input.value !== node.value)
    input.value = node.value;
  const [start, end] = node.selection;
  if (input.selectionStart !== start || input.selectionEnd !== end)
    input.setSelectionRange(start, end);
}

// A selection made in the box itself (a phone's "select all", a screen
// reader's) goes to the program too, so that the next key acts on it: the
// selection alone, and only over the text the program holds.
export function selected() {
  const input = document.activeElement;
  if (!input || input.localName !== "input" || !root.contains(input) || composing
      || sent !== taken || input.value !== input.programValue)
    return;
  const [start, end] = input.programSelection;
  if (input.selectionStart !== start || input.selectionEnd !== end)
    call("select", Number(input.dataset.id), input.selectionStart, input.selectionEnd);
}

function build(node, origin, seen, texts) {
  const element = elementFor(node);
  seen.add(node.id);
  const [x, y, width, height] = node.rect;
  Object.assign(element.style, { left: x - origin[0] + "px", top: y - origin[1] + "px",
                                 width: width + "px", height: height + "px" });
  const native = element.localName !== "div";
  set(element, "role", native || node.role === "text" || !node.role ? null : node.role);
  if (node.role === "text") {
    if (element.textContent !== node.name)
      element.textContent = node.name;
    texts.push(element.id);
  } else {
    set(element, "aria-label", node.name || null);
  }
  set(element, "aria-description", node.description);
  set(element, "aria-disabled", node.disabled ? "true" : null);
  set(element, "aria-haspopup", node.popup ? "menu" : null);
  if (node.values) {
    set(element, "aria-valuenow", node.values[0]);
    set(element, "aria-valuemin", node.values[1]);
    set(element, "aria-valuemax", node.values[2]);
  }
  if (node.value !== undefined)
    mirrorText(element, node);
  // Attributes only where they change: a screen reader hears a window anew
  // each time its subtree changes.
  if ((node.focusable || native) && element.tabIndex !== -1)
    element.tabIndex = -1;
  const children = (node.children || []).map(child => build(child, node.rect, seen, texts));
  children.forEach((child, i) => {
    if (element.children[i] !== child)
      element.insertBefore(child, element.children[i] || null);
  });
  while (element.children.length > children.length)
    element.lastElementChild.remove();
  return element;
}

function update(json) {
  const state = JSON.parse(json);
  taken = state.edits;
  const seen = new Set();
  const windows = state.windows.map(window => {
    const texts = [];
    const element = build(window, [0, 0], seen, texts);
    set(element, "aria-label", window.name);
    set(element, "aria-modal", window.modal ? "true" : null);
    // A modal window is read with its texts when it opens; an alert reads
    // its own as it appears.
    set(element, "aria-describedby",
        window.modal && window.role !== "alertdialog" && texts.length ? texts.join(" ") : null);
    return element;
  });
  windows.forEach((element, i) => {
    if (root.children[i] !== element)
      root.insertBefore(element, root.children[i] || null);
  });
  while (root.children.length > windows.length)
    root.lastElementChild.remove();
  for (const id of elements.keys())
    if (!seen.has(id))
      elements.delete(id);
  focused = state.focus;
  follow();
  // The windows under a modal one leave the tree a task after the focus has
  // moved into it: a screen reader whose focus was there when they left
  // would follow it silently and never read the new window.
  const blocked = new Set(windows.filter((_, i) => state.windows[i].blocked));
  for (const element of windows)
    if (!blocked.has(element) && element.inert)
      element.inert = false;
  setTimeout(() => {
    for (const element of blocked)
      if (element.isConnected && !element.inert)
        element.inert = true;
  }, 0);
}

// The page's focus goes where the program's is.
function follow() {
  const target = elements.get(focused);
  if (target && target.tabIndex === -1 && document.activeElement !== target) {
    fromProgram = true;
    target.focus({ preventScroll: true });
    fromProgram = false;
  }
}

export function install(programModule) {
  program = programModule;
  document.addEventListener("selectionchange", selected);
  root.addEventListener("focusin", e => {
    const id = Number(e.target.dataset.id);
    if (!fromProgram && id && id !== focused)
      call("focus", id);
  });
  // Qt makes its canvas editable for the clipboard, which the mirror's box
  // handles: nothing unnamed and editable for a screen reader to land on.
  new MutationObserver(() => {
    if (screen.hasAttribute("contenteditable"))
      screen.removeAttribute("contenteditable");
  }).observe(screen, { attributes: true, attributeFilter: ["contenteditable"] });
}

// What the program calls.
export const forProgram = {
  update: update,
  // Said without moving the focus; emptied first, so that the same words
  // twice are read twice.
  say: function (text) {
    polite.textContent = "";
    setTimeout(() => { polite.textContent = text; }, 100);
  },
};

// A finger has lifted: a phone opens its keyboard only for a focus given
// while a touch is handled, so the box takes it again.
export function tapped() {
  const target = elements.get(focused);
  if (target && target.localName === "input") {
    fromProgram = true;
    target.blur();
    target.focus({ preventScroll: true });
    fromProgram = false;
  }
}
