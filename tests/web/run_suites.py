# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the browser build of the QtTest suites in headless Chromium and checks
the totals each suite prints to the console.

usage: run_suites.py FOLDER  (the one holding browser_suites.html)"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import serve  # noqa: E402

SUITES = ["TestDialogs", "TestForm1", "TestForms", "TestTally", "TestWeb"]
TIMEOUT = 900  # seconds for the whole run; a hang fails it

START = re.compile(r"\*+ Start testing of (\w+) \*+")
TOTALS = re.compile(r"Totals: (\d+) passed, (\d+) failed, (\d+) skipped, (\d+) blacklisted")
DONE = re.compile(r"BROWSER SUITES DONE: (\d+) failed")


def main():
    build_dir = os.path.abspath(sys.argv[1])
    server = serve.start(build_dir)
    browser = driver.chromium()
    totals, current, done, lines = {}, None, None, []
    try:
        browser.get(f"http://127.0.0.1:{server.server_port}/browser_suites.html")
        deadline = time.monotonic() + TIMEOUT
        while done is None and time.monotonic() < deadline:
            for level, text in driver.console(browser):
                for line in text.splitlines():
                    lines.append(line)
                    if line.startswith(("FAIL!", "XPASS", "QFATAL", "LEFT OUT")) or \
                            "Uncaught" in line or "Aborted" in line:
                        print(line)
                    if match := START.search(line):
                        current = match.group(1)
                    elif (match := TOTALS.search(line)) and current:
                        totals[current] = tuple(int(n) for n in match.groups())
                        print(f"{current}: {line.strip()}")
                    elif match := DONE.search(line):
                        done = int(match.group(1))
                    elif "Uncaught" in line or "RuntimeError" in line or "Aborted" in line:
                        done = -1
            time.sleep(0.5)
    finally:
        browser.quit()
        server.shutdown()

    with open(os.path.join(build_dir, "browser_suites.log"), "w") as log:
        log.write("\n".join(lines) + "\n")
    ok = done == 0
    for suite in SUITES:
        if suite not in totals:
            print(f"{suite}: no totals (crashed or hung)")
            ok = False
        elif totals[suite][1] or not totals[suite][0]:
            ok = False
    if done is None:
        print(f"the suites did not finish within {TIMEOUT} s")
    print("browser suites:", "passed" if ok else "FAILED",
          f"(console in {os.path.join(build_dir, 'browser_suites.log')})")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
