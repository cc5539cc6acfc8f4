// SPDX-License-Identifier: GPL-3.0-or-later
// Loading: checks that the browser can run the program, starts it through
// Qt's loader from its build's folder, and tells the player in the page's
// own words when it cannot start or has ended.

const TEXTS = {
  noWebAssembly: "Questo browser non supporta WebAssembly, che serve a Bottinaro. "
    + "Apri la pagina con una versione recente di Chrome, Edge, Firefox o Safari.",
  noWebGL: "Questo browser non può usare WebGL, che serve a Bottinaro per disegnare le finestre. "
    + "Attiva l'accelerazione grafica nelle impostazioni del browser o usa un altro browser.",
  failed: "Bottinaro non si è potuto avviare: ",
  ended: "Bottinaro è stato chiuso. Ricarica la pagina per riaprirlo.",
};

const status = document.getElementById("status");
const message = document.getElementById("message");
const screen = document.getElementById("screen");
let loader = null;

function show(text) {
  status.className = "error";
  status.style.display = "block";
  screen.style.display = "none";
  message.textContent = text;
}

// The running program's module, or null.
export function program() {
  return loader && loader.module() || null;
}

// Whether the program has started: the one test the page, its tests and the
// load benchmark share.
export function running() {
  const module = program();
  return !!(module && module.calledRun);
}

// The program has ended (Esci, or the main window's close box).
export function ended() {
  show(TEXTS.ended);
}

// Whether the browser can draw with WebGL is asked once, here. Qt's loader
// asks again, and Qt's platform once more, each time with a new context,
// and where the browser draws in software a context costs a tenth of a
// second: their probes (a canvas outside the page, no attributes) get the
// first answer instead.
function webGLSupported() {
  let context = null;
  try {
    const canvas = document.createElement("canvas");
    context = canvas.getContext("webgl2") || canvas.getContext("webgl");
  } catch (e) {
    context = null;
  }
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
    if (!this.isConnected && rest.length === 0
        && (type === "webgl" || type === "experimental-webgl"))
      return context;
    return getContext.call(this, type, ...rest);
  };
  return !!context;
}

// Starts the program from FOLDER; the promise holds once it runs.
export function load(folder) {
  return new Promise(function (resolve) {
    if (typeof WebAssembly !== "object")
      return show(TEXTS.noWebAssembly);
    if (!webGLSupported())
      return show(TEXTS.noWebGL);
    loader = QtLoader({
      path: folder,
      canvasElements: [screen],
      showLoader: function () {
        status.style.display = "block";
        screen.style.display = "none";
      },
      showError: function (text) {
        show(TEXTS.failed + text);
      },
      showExit: ended,
      showCanvas: function () {
        status.style.display = "none";
        screen.style.display = "block";
      },
      statusChanged: function (state) {
        if (state === "Running")
          resolve();
      },
    });
    loader.loadEmscriptenModule("bottinaro");
  });
}
