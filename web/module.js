// SPDX-License-Identifier: GPL-3.0-or-later
// The module's handlers, for the page and for the checks that run it under
// Node: each answers with the list of changes the page makes (web/module.cpp).

const decoder = new TextDecoder();

// BYTES: the module's file, or the module compiled from it.
export async function instantiate(bytes) {
  // What the module asks of its host: word that its memory grew, and an end
  // it never comes to (a broken invariant).
  const imports = {
    env: { emscripten_notify_memory_growth() {} },
    wasi_snapshot_preview1: { proc_exit(code) { throw new Error(`the module ended (${code})`); } },
  };
  const instance = bytes instanceof WebAssembly.Module ? await WebAssembly.instantiate(bytes, imports)
    : (await WebAssembly.instantiate(bytes, imports)).instance;
  const module = instance.exports;
  module._initialize();
  const answer = function (pointer) {
    const memory = new Uint8Array(module.memory.buffer, pointer);
    return JSON.parse(decoder.decode(memory.subarray(0, memory.indexOf(0))));
  };
  return {
    // A handler that takes nothing: Form1_Build, Text1_Change, Form2_Load, ...
    call(handler) {
      return handler in module ? answer(module[handler]()) : [];
    },
    // Calcola, with the box's text as it stands, code unit by code unit.
    Command1_Click(text) {
      const pointer = module.Text1_Buffer(text.length);
      const units = new Uint16Array(module.memory.buffer, pointer, text.length);
      for (let i = 0; i < text.length; ++i)
        units[i] = text.charCodeAt(i);
      return answer(module.Command1_Click(text.length));
    },
  };
}
