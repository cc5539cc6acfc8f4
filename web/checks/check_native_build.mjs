// SPDX-License-Identifier: GPL-3.0-or-later
// The page's module against its native build, the same source compiled for
// the build host: every line the native build prints (native_answers.cpp)
// must be what the module answers. What the desktop's windows do beside the
// native build is tests/test_ports.cpp's.
//   node check_native_build.mjs bottinaro.wasm native_answers
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { instantiate } from "../module.js";

const [module, native] = process.argv.slice(2);
const handlers = await instantiate(readFileSync(module));
const lines = execFileSync(native, { maxBuffer: 1 << 30 }).toString().trim().split("\n");
let failures = 0;
for (const line of lines) {
  const expected = JSON.parse(line);
  const actual = "text" in expected
    ? { text: expected.text, Command1_Click: handlers.Command1_Click(expected.text),
        Form2_Load: handlers.call("Form2_Load") }
    : Object.fromEntries(Object.keys(expected).map((name) => [name, handlers.call(name)]));
  if (JSON.stringify(actual) !== JSON.stringify(expected) && ++failures <= 10)
    console.log("FAIL", JSON.stringify(expected.text ?? Object.keys(expected)[0]),
                "native:", line.slice(0, 300), "module:", JSON.stringify(actual).slice(0, 300));
}
console.log(`The module's answers: ${lines.length - failures} passed, ${failures} failed`);
process.exit(failures ? 1 : 0);
