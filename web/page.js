// SPDX-License-Identifier: GPL-3.0-or-later
// The page's script: carries each event to the module's handler of the same
// name and the module's changes to the elements (web/module.cpp says which).
// It holds the way a window opens and closes, the menus and the service
// worker; no arithmetic, limit or text of the program.

import { instantiate } from "./module.js";

// Compiled already by the page's head (index.html).
const module = window.bottinaroModule.then(instantiate);

// "Form1.Text1" is the control Text1 of the window Form1; "Form1" the window.
function element(target) {
  const [window, control] = target.split(".");
  const frame = document.getElementById(window);
  return control ? frame.querySelector(`[data-name="${control}"]`) : frame;
}

// Two live regions taking turns, so that the same sentence twice is said twice.
const announcers = document.querySelectorAll(".announcer");
let turn = 0;

function announce(sentence) {
  announcers[turn].textContent = "";
  turn = 1 - turn;
  announcers[turn].textContent = sentence;
}

// Emptied as a window closes: the regions come back from under it, and
// would be read again.
function hush() {
  for (const region of announcers)
    region.textContent = "";
}

// The next control in tab order that can take the focus, as the desktop
// moves it off a control that is turned off.
function focusNext(control) {
  const all = [...control.closest(".window").querySelectorAll("input, button:not([tabindex='-1']), [tabindex='0']")];
  const start = all.indexOf(control);
  for (let i = 1; i <= all.length; ++i) {
    const next = all[(start + i) % all.length];
    if (!next.disabled) {
      next.focus();
      // As the desktop's box, whose text is selected when the focus comes by key.
      if (next.select)
        next.select();
      return;
    }
  }
}

// A text named otherwise for a screen reader: what it hears in place of
// what is shown (a plain element's own name is not read).
function speak(label, name) {
  if (!label.querySelector(".shown")) {
    const shown = document.createElement("span");
    shown.className = "shown";
    shown.setAttribute("aria-hidden", "true");
    shown.textContent = label.textContent;
    const spoken = document.createElement("span");
    spoken.className = "unseen";
    label.replaceChildren(shown, spoken);
  }
  label.querySelector(".unseen").textContent = name;
}

function apply(changes) {
  for (const [kind, target, ...values] of changes) {
    const control = element(target);
    switch (kind) {
    case "text":
      if (control.matches(".window"))
        document.getElementById(`${target}-title`).textContent = values[0];
      else
        (control.querySelector(".shown") || control).textContent = values[0];
      break;
    case "name":
      if (control.matches(".label"))
        speak(control, values[0]);
      else
        control.setAttribute("aria-label", values[0]);
      break;
    case "range":
      control.setAttribute("aria-valuemin", values[0]);
      control.setAttribute("aria-valuemax", values[1]);
      control.style.setProperty("--min", values[0]);
      control.style.setProperty("--max", values[1]);
      break;
    case "value":
      control.setAttribute("aria-valuenow", values[0]);
      control.style.setProperty("--value", values[0]);
      break;
    case "enabled":
      if (!values[0] && document.activeElement === control)
        focusNext(control);
      control.disabled = !values[0];
      break;
    case "announce":
      announce(target);
      break;
    case "show":
      show(target);
      break;
    case "message":
      document.getElementById("MsgBox-title").textContent = target;
      document.getElementById("MsgBox-prompt").textContent = values[0];
      show("MsgBox");
      break;
    }
  }
}

function handler(name, ...values) {
  return module.then((handlers) => apply(name === "Command1_Click"
    ? handlers.Command1_Click(...values) : handlers.call(name)));
}

// Modal windows, as the desktop opens them: loaded, then shown over the
// main window, which takes no input until they close; the focus comes back.
function fit(dialog) {
  // On a phone the whole window stays on the screen, upright larger to read.
  dialog.style.zoom = "";
  const phone = getComputedStyle(document.getElementById("Form1")).position === "fixed";
  const upright = innerHeight >= innerWidth;
  const room = Math.min((innerWidth - 8) / dialog.offsetWidth, (innerHeight - 8) / dialog.offsetHeight);
  const scale = Math.min(phone && upright ? 1.4 : 1, room);
  if (scale !== 1)
    dialog.style.zoom = scale;
}

// Where the focus goes back to as each open window closes.
const openers = new Map();

function show(name) {
  const dialog = document.getElementById(name);
  const opener = document.activeElement;
  handler(`${name}_Load`).then(() => {
    // Shown first as a plain window: the focus moves in while the opener is
    // still in Chromium's tree, so that Orca reads the window as it opens
    // (a focused element that turns inert leaves the tree, and Orca then
    // says nothing); a moment later modal, the rest inert.
    dialog.show();
    fit(dialog);
    // Meanwhile a click behind it does nothing, as once it is modal.
    document.body.classList.add("opening");
    setTimeout(() => {
      document.body.classList.remove("opening");
      if (!dialog.open)
        return; // closed already
      const inside = document.activeElement;
      dialog.removeAttribute("open");
      dialog.showModal();
      fit(dialog);
      inside.focus();
      if (dialog.dataset.role)
        dialog.setAttribute("role", dialog.dataset.role);
    }, 150);
  });
  openers.set(dialog, opener);
}

// A window closes and, in the same moment, the focus is back on its opener:
// the dialog's close event comes a task later, after the player may have
// acted.
function closeWindow(dialog) {
  dialog.close();
  const opener = openers.get(dialog);
  if (!opener)
    return;
  openers.delete(dialog);
  if (dialog.dataset.role)
    dialog.removeAttribute("role");
  hush();
  opener.focus();
  // Chromium hands a box focused this way no typed key until its
  // selection is set again.
  if (opener.setSelectionRange)
    opener.setSelectionRange(opener.selectionStart, opener.selectionEnd, opener.selectionDirection);
}

for (const dialog of document.querySelectorAll("dialog")) {
  dialog.querySelector(".titlebar .close").addEventListener("click", () => closeWindow(dialog));
  // Esc closes it the same way.
  dialog.addEventListener("cancel", (event) => {
    event.preventDefault();
    closeWindow(dialog);
  });
  addEventListener("resize", () => dialog.open && fit(dialog));
}
// About closes on Enter too, as its OK is the default button.
document.getElementById("frmAbout").addEventListener("keydown", (event) => {
  if (event.key === "Enter" && !event.target.matches("button")) {
    event.preventDefault();
    closeWindow(document.getElementById("frmAbout"));
  }
});

// The program ended (Esci, the close box), or could not start: the page says which.
function end(notice = "ended") {
  for (const window of document.querySelectorAll(".window"))
    window.hidden = true;
  document.getElementById(notice).hidden = false;
}

// Each control's handler, as the windows connect them.
const box = element("Form1.Text1");
const calculate = () => handler("Command1_Click", box.value);
const summary = () => show("Form2");
const close = (name) => () => closeWindow(document.getElementById(name));
const handlers = {
  "Form1.Command1": calculate,
  "Form1.Command2": summary,
  "Form1.clac": calculate,
  "Form1.riep": summary,
  "Form1.exit": () => end(),
  "Form1.abt": () => show("frmAbout"),
  "Form2.Command1": close("Form2"),
  "Form3.Command1": close("Form3"),
  "frmAbout.cmdOK": close("frmAbout"),
};
for (const [target, run] of Object.entries(handlers))
  element(target).addEventListener("click", run);
document.querySelector("#MsgBox .button").addEventListener("click", close("MsgBox"));
// The main window's close box ends the program, as Esci does.
document.querySelector("#Form1 .titlebar .close").addEventListener("click", () => end());
box.addEventListener("input", () => handler("Text1_Change"));

// The menu bar, as the desktop's: F10 goes to it, the arrows move along it
// and down a menu, Enter picks, Esc goes back a step; a click opens a menu.
const bar = document.querySelector("#Form1 .menubar");
const titles = [...bar.querySelectorAll(".menu > button")];
let before = null; // where the focus was before the menu bar took it

function items(title) {
  return [...title.nextElementSibling.querySelectorAll("button")];
}

function open(title, focusItem) {
  for (const other of titles)
    if (other !== title)
      shut(other);
  title.setAttribute("aria-expanded", "true");
  title.nextElementSibling.hidden = false;
  (focusItem ? items(title)[0] : title).focus();
}

function shut(title) {
  title.setAttribute("aria-expanded", "false");
  title.nextElementSibling.hidden = true;
}

function leave() {
  titles.forEach(shut);
  const back = before;
  before = null;
  if (back && back.isConnected && back !== document.body)
    back.focus();
  else if (bar.contains(document.activeElement))
    box.focus();
}

function enter(title) {
  if (!bar.contains(document.activeElement))
    before = document.activeElement;
  title.focus();
}

addEventListener("keydown", (event) => {
  if (event.key === "F10" && !document.querySelector("dialog[open]")) {
    event.preventDefault();
    if (bar.contains(document.activeElement))
      leave();
    else
      enter(titles[0]);
  }
});
bar.addEventListener("keydown", (event) => {
  const title = event.target.closest(".menu").querySelector(":scope > button");
  const index = titles.indexOf(title);
  const inMenu = event.target !== title;
  const step = (list, from, by) => list[(list.indexOf(from) + by + list.length) % list.length];
  const sideways = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
  if (sideways) {
    const next = titles[(index + sideways + titles.length) % titles.length];
    if (title.getAttribute("aria-expanded") === "true")
      open(next, true);
    else
      next.focus();
  } else if (event.key === "ArrowDown" || event.key === "ArrowUp") {
    if (!inMenu)
      open(title, true);
    else
      step(items(title), event.target, event.key === "ArrowDown" ? 1 : -1).focus();
  } else if (!inMenu && (event.key === "Enter" || event.key === " ")) {
    open(title, true);
  } else if (event.key === "Escape") {
    if (inMenu) {
      shut(title);
      title.focus();
    } else {
      leave();
    }
  } else if (event.key === "Tab") {
    leave();
  } else {
    return;
  }
  event.preventDefault();
});
for (const title of titles) {
  title.addEventListener("click", () => {
    if (title.getAttribute("aria-expanded") === "true") {
      leave();
    } else {
      enter(title);
      open(title, false);
    }
  });
  title.addEventListener("pointerenter", () => {
    if (titles.some((t) => t !== title && t.getAttribute("aria-expanded") === "true"))
      open(title, false);
  });
  // An item picked: the menus close and the focus goes back before its handler runs.
  for (const item of items(title))
    item.addEventListener("click", leave, { capture: true });
}
addEventListener("pointerdown", (event) => {
  if (!bar.contains(event.target) && titles.some((t) => t.getAttribute("aria-expanded") === "true"))
    leave();
});
bar.addEventListener("focusout", (event) => {
  if (!bar.contains(event.relatedTarget) && event.relatedTarget)
    titles.forEach(shut);
});

module.then(() => {
  // A text typed before the module came still counts as typed.
  if (box.value !== "")
    handler("Text1_Change");
  performance.mark("bottinaro-ready");
  document.documentElement.dataset.ready = "";
}, (error) => {
  console.error("Bottinaro:", error);
  end("failed");
});

// Offline: the worker keeps this build (service_worker.js says how), once
// the page has loaded, so that it never slows the first visit.
addEventListener("load", () => {
  if (!("serviceWorker" in navigator) || !/^https?:$/.test(location.protocol))
    return;
  const activate = (worker) => worker && worker.state === "installed" && worker.postMessage("activate");
  const watch = (worker) => worker && worker.addEventListener("statechange", () => activate(worker));
  navigator.serviceWorker.register(new URL("../service_worker.js", import.meta.url)).then((registration) => {
    watch(registration.installing);
    activate(registration.waiting);
    registration.addEventListener("updatefound", () => watch(registration.installing));
    registration.update().catch(() => {});
  }, (error) => console.warn("Bottinaro non potrà funzionare senza rete:", error));
});
