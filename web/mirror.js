// SPDX-License-Identifier: GPL-3.0-or-later
// The page's side of the accessibility mirror (web/mirror.cpp): the windows'
// accessible tree as invisible HTML over the canvas, each control where it is
// drawn, for screen readers; what they do there goes back to the program. The
// HTML also takes the keys: the focus stays on the control the program has
// focused, and every key reaches the program as if typed on the canvas.
"use strict";
(function () {
  const root = document.getElementById("mirror");
  const screen = document.getElementById("screen");
  const regions = { polite: document.getElementById("polite"),
                    assertive: document.getElementById("assertive") };
  const elements = new Map();
  let focused = 0;
  let fromProgram = false;
  const PRESS = 0, FOCUS = 1, TEXT = 2;

  function act(id, action, text) {
    const program = window.bottinaro;
    if (!program || !program._bottinaro_mirror_act)
      return;
    if (text !== undefined)
      program.bottinaroMirrorText = text;
    program._bottinaro_mirror_act(id, action);
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
    if (node.value !== undefined && element.value !== node.value)
      element.value = node.value;
    if (node.focusable || native)
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
    const seen = new Set();
    const windows = state.windows.map(window => {
      const texts = [];
      const element = build(window, [0, 0], seen, texts);
      set(element, "aria-label", window.name);
      set(element, "aria-modal", window.modal ? "true" : null);
      // A modal window is read with its texts when it opens.
      set(element, "aria-describedby", window.modal && texts.length ? texts.join(" ") : null);
      element.inert = window.blocked;
      element.tabIndex = -1;
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
    // An alert stays readable while its box is open, and no longer.
    if (!state.windows.some(window => window.role === "alertdialog"))
      regions.assertive.textContent = "";
    focused = state.focus;
    follow();
  }

  // The page's focus goes where the program's is.
  function follow() {
    let target = elements.get(focused);
    if (!target || target.closest("[inert]"))
      target = root.lastElementChild;
    if (target && document.activeElement !== target) {
      fromProgram = true;
      target.focus({ preventScroll: true });
      fromProgram = false;
    }
  }

  root.addEventListener("focusin", e => {
    const id = Number(e.target.dataset.id);
    if (!fromProgram && id && id !== focused)
      act(id, FOCUS);
  });
  root.addEventListener("click", e => {
    const element = e.target.closest("[data-id]");
    e.preventDefault();
    if (element && element.getAttribute("aria-disabled") !== "true"
        && (element.localName === "button" || element.getAttribute("role") === "menuitem"))
      act(Number(element.dataset.id), PRESS);
  });

  // Keys: a copy of each goes to the canvas, where the program reads them.
  function send(type, init) {
    const copy = new KeyboardEvent(type, Object.assign({ bubbles: true, cancelable: true,
                                                         composed: true }, init));
    screen.dispatchEvent(copy);
    return copy;
  }
  function typeText(text) {
    for (const character of text) {
      const code = /[0-9]/.test(character) ? "Digit" + character
                   : /[a-z]/i.test(character) ? "Key" + character.toUpperCase() : "";
      send("keydown", { key: character, code: code });
      send("keyup", { key: character, code: code });
    }
  }
  function press(key) {
    send("keydown", { key: key, code: key });
    send("keyup", { key: key, code: key });
  }
  for (const type of ["keydown", "keyup"])
    window.addEventListener(type, e => {
      // A phone's keyboard composing a word says "Unidentified": its text
      // comes in the input events below.
      if (e.target === screen || e.isComposing || e.key === "Unidentified" || e.key === "Process")
        return;
      const copy = send(type, { key: e.key, code: e.code, location: e.location, repeat: e.repeat,
                                ctrlKey: e.ctrlKey, shiftKey: e.shiftKey, altKey: e.altKey,
                                metaKey: e.metaKey });
      // Copy, cut and paste the program leaves to the browser, which then
      // hands it the clipboard.
      const clipboard = (e.ctrlKey || e.metaKey) && ["c", "v", "x"].includes(e.key.toLowerCase());
      if (copy.defaultPrevented || !clipboard)
        e.preventDefault();
      e.stopPropagation();
    }, true);

  // Text that arrives without keys: a whole number at once from a phone's
  // keyboard, a suggestion, a screen reader, or a finished composition.
  root.addEventListener("beforeinput", e => {
    if (e.target.localName !== "input" || e.inputType === "insertCompositionText")
      return;
    e.preventDefault();
    if (e.inputType === "deleteContentBackward")
      press("Backspace");
    else if (e.inputType === "deleteContentForward")
      press("Delete");
    else if (e.inputType.startsWith("insert"))
      typeText(e.data || (e.dataTransfer && e.dataTransfer.getData("text/plain")) || "");
  });
  root.addEventListener("compositionend", e => {
    typeText(e.data || "");
  });
  // Anything else that changes the box sets the program's text to it.
  root.addEventListener("input", e => {
    if (e.target.localName === "input" && !e.isComposing)
      act(Number(e.target.dataset.id), TEXT, e.target.value);
  });

  window.bottinaroMirror = {
    update: update,
    say: function (how, text) {
      // Emptied first, so that the same words twice are read twice.
      const region = regions[how];
      region.textContent = "";
      setTimeout(() => { region.textContent = text; }, 100);
    },
    // A finger has lifted: a phone opens its keyboard only for a focus given
    // while a touch is handled, so the box takes it again.
    tapped: function () {
      const target = elements.get(focused);
      if (target && target.localName === "input") {
        fromProgram = true;
        target.blur();
        target.focus({ preventScroll: true });
        fromProgram = false;
      }
    },
  };
})();
