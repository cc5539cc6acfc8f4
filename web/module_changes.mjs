// SPDX-License-Identifier: GPL-3.0-or-later
// Prints, as JSON, what the page's module answers to each handler named:
//   node module_changes.mjs bottinaro.wasm Form1_Build frmAbout_Load
import { readFileSync } from "node:fs";
import { instantiate } from "./module.js";

const [module, ...names] = process.argv.slice(2);
const handlers = await instantiate(readFileSync(module));
console.log(JSON.stringify(Object.fromEntries(names.map((name) => [name, handlers.call(name)]))));
