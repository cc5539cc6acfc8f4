// SPDX-License-Identifier: GPL-3.0-or-later
// Touch: Qt 6.4 answers the mouse only (its title bars, for one), so one
// finger is handed to it as the mouse. Two fingers zoom and pan the page,
// which the browser does itself (touch-action in index.html); the touch it
// then cancels presses nothing.

const screen = document.getElementById("screen");

function mouse(type, e, x, y) {
  screen.dispatchEvent(new PointerEvent(type, {
    pointerId: e.pointerId, pointerType: "mouse", isPrimary: true,
    clientX: x, clientY: y, screenX: x, screenY: y,
    button: type === "pointermove" ? -1 : 0, buttons: type === "pointerdown" ? 1 : 0,
    bubbles: true, cancelable: true, composed: true }));
}

// TAPPED runs once a finger has lifted.
export function install(tapped) {
  let finger = null;
  function handle(e) {
    if (e.pointerType === "mouse" || !e.isTrusted)
      return;
    e.stopImmediatePropagation();
    if (e.type === "pointerdown" && finger === null)
      finger = e.pointerId;
    if (e.pointerId !== finger)
      return;
    if (e.type === "pointercancel") {
      // Released far from where it was pressed: Qt delivers the release
      // to the window pressed, and nothing under the finger acts.
      mouse("pointermove", e, -10000, -10000);
      mouse("pointerup", e, -10000, -10000);
      finger = null;
      return;
    }
    mouse(e.type, e, e.clientX, e.clientY);
    if (e.type === "pointerup") {
      finger = null;
      tapped();
    }
  }
  for (const type of ["pointerdown", "pointermove", "pointerup", "pointercancel"])
    screen.addEventListener(type, handle, true);
  // Qt's own touch handling would act a second time.
  for (const type of ["touchstart", "touchmove", "touchend", "touchcancel"])
    screen.addEventListener(type, function (e) {
      e.stopImmediatePropagation();
    }, { capture: true, passive: true });
  // A click leaves the page's focus on the mirror, which holds the program's.
  screen.addEventListener("mousedown", function (e) {
    e.preventDefault();
  });
}
