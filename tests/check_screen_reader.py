# SPDX-License-Identifier: GPL-3.0-or-later
"""What Orca says of the page in Chromium, or of the desktop program, the
keyboard alone: run by tests/screen_reader_check.sh, which starts the X
server, the session bus, a window manager and Orca (ORCA_PID) writing its
debug log (LOG). The keys go to the X display as a player's do; what Orca
spoke after each step's last key, up to the next key, is read from the log
once Orca has ended (it writes the log in bursts), printed, and checked.

usage: check_screen_reader.py BUILD_DIR | --desktop TEXT KEY..."""

import datetime
import os
import re
import signal
import subprocess
import sys
import time

# The page's drivers and static host.
WEB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web")
sys.path[:0] = [os.path.join(WEB, "checks"), WEB]
import serve  # noqa: E402
from driver import Failure, chromium, report  # noqa: E402

ERROR = "Il numero massimo di scalpi collezionabile è 750"
RESULT = ("Scalpi di Moon Tug: 749, Mazze di Skraugbashor: 149, Cinture della forza Skraug: 29, "
          "Libri del collezionista: 9, Anelli del Leone: 1")
SUMMARY = ("Scalpi di Moon Tug: 749 Mazze di Skraugbashor: 149 Cinture di forza Skraug: 29 "
           "Libri del Collezionista: 9 Anelli del Leone: 1")
CALCOLA = "#Form1 [data-name=Command1]"
# What each Orca calls a role, by its major version (Debian 12 has 43,
# Debian 13 has 48): the word after a window's title and after a button's
# name, and whether it says a window's title that is the name of the button
# that opened it ("Riepilogo").
ROLES = {43: {"window": "dialog", "button": "push button", "opener's title": False},
         48: {"window": "", "button": "button", "opener's title": True}}


def page_steps(roles):
    """Each step: its name, the keys that lead to it, where the focus must
    then be, the key heard, and what Orca must say after it, each exactly
    once, as the desktop program says it: a window's title, its texts in
    order, then its button. The page starts in the box. Calcola is off after
    a calculation, until the text changes: the focus goes back to the box,
    its text selected."""
    def window(title, *texts, button, opener=None):
        said = title if roles["opener's title"] or title != opener else ""
        return (" ".join(filter(None, (said, roles["window"], texts[0]))), *texts[1:],
                f"{button} {roles['button']}.")

    def whole(*words, **names):  # a window said in one breath
        return (" ".join(window(*words, **names)),)
    return (
        ("749, Calcola", ("7", "4", "9", "Tab"), CALCOLA, "space", ("Scalpi entry 749 selected", RESULT)),
        ("Riepilogo", ("Tab",), "#Form1 [data-name=Command2]", "space",
         whole("Riepilogo", SUMMARY, button="Chiudi", opener="Riepilogo")),
        ("750, Calcola", ("space", "shift+Tab", "ctrl+a", "7", "5", "0", "Tab"), CALCOLA, "space",
         window("Occhio di tigre", "Dopo avere collezionato ben 750 scalpi", "SPADA DELLA POTENZA IN CRISTALLO",
                button="Chiudi")),
        ("800, Calcola", ("space", "ctrl+a", "8", "0", "0", "Tab"), CALCOLA, "space",
         whole("Errore 380", ERROR, button="OK")),
        ("About by the menu", ("Return", "F10", "Right", "Down"), "#Form1 [data-name=abt]", "Return",
         window("Informazioni su Bottinaro", "Bottinaro", "MORGOLIN", "Copyright © Quarvendo", button="OK")),
    )


def orca_roles():
    """The role words of the Orca installed."""
    version = subprocess.run(["orca", "--version"], capture_output=True, text=True, timeout=30).stdout
    major = int(re.search(r"(\d+)\.", version)[1])
    if major not in ROLES:
        raise Failure(f"Orca {major}'s role words are not known: add them to ROLES")
    return ROLES[major]


# The desktop program (build/bottinaro), by the text typed into the box and
# the keys pressed after Tab to Calcola: what Orca must say after each key,
# each exactly once. The focus goes back to the box; the bars' percents.
DESKTOP = {
    ("749", ("space",)): (("749 selected Scalpi text",
                           "99 percent. 99 percent. 96 percent. 90 percent. 50 percent.", RESULT),),
}
SPOKEN = re.compile(r"^(\d\d:\d\d:\d\d\.\d+) - SPEECH OUTPUT: '(.*)' ?\{")
PRESSED = []  # the moment of every key (time.time()), in order


def press(key, settle=0.5):
    PRESSED.append(time.time())
    subprocess.run(["xdotool", "key", key], check=True, timeout=10)
    time.sleep(settle)


def wait(browser, what, script, timeout=10):
    deadline = time.monotonic() + timeout
    while not browser.execute_script(script):
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.1)


def stop_orca():
    pid = int(os.environ["ORCA_PID"])
    os.kill(pid, signal.SIGTERM)
    for _ in range(50):
        if not os.path.exists(f"/proc/{pid}"):
            return
        time.sleep(0.1)
    os.kill(pid, signal.SIGKILL)


def spoken(start):
    """What Orca said, at time.time()'s moments: the log's clock times on the
    start's day or, half a day off the start, past midnight (or before)."""
    day, said = datetime.datetime.fromtimestamp(start).date(), []
    with open(os.environ["LOG"], errors="replace") as log:
        for m in filter(None, map(SPOKEN.match, log)):
            at = datetime.datetime.combine(day, datetime.time.fromisoformat(m[1])).timestamp()
            said.append((m[2], at + (86400 if at < start - 43200 else -86400 if at > start + 43200 else 0)))
    return said


def main():
    start, heard, failures, desktop = time.time(), [], [], sys.argv[1] == "--desktop"
    if desktop:
        text, keys = sys.argv[2], tuple(sys.argv[3:])
        if (text, keys) not in DESKTOP:
            failures.append(f"nothing is expected of {text} then {' '.join(keys)}: add it to DESKTOP")
        expected = DESKTOP.get((text, keys), [()] * len(keys))
        steps = [(f"{text}, {key}", (*text, "Tab") if i == 0 else (), None, key, expected[i])
                 for i, key in enumerate(keys)]
        app = subprocess.Popen(["build/bottinaro"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        stop = (app.terminate,)
    else:
        steps, server = page_steps(orca_roles()), serve.start(os.path.join(sys.argv[1], "site"))
        browser = chromium(headless=False, extra=("--force-renderer-accessibility",))
        browser.set_page_load_timeout(30)
        stop = (browser.quit, server.shutdown)
    try:
        if desktop:
            time.sleep(3)
        else:
            browser.get(f"http://127.0.0.1:{server.server_port}/")
            wait(browser, "the module", "return 'ready' in document.documentElement.dataset", 60)
        search = ("--name", "^Bottinaro$") if desktop else ("--class", "chromium")
        window = subprocess.run(["xdotool", "search", "--onlyvisible", *search], timeout=10,
                                capture_output=True, text=True, check=True).stdout.split()[-1]
        subprocess.run(["xdotool", "windowactivate", "--sync", window], check=True, timeout=10)
        time.sleep(2)
        for name, keys, focus, key, expected in steps:
            for k in keys:
                press(k)
            if focus:
                wait(browser, f"the focus on {focus} before {name}",
                     f"return document.activeElement.matches({focus!r})", 5)
            press(key, settle=3)
            heard.append((name, PRESSED[-1], expected))
    except (Failure, subprocess.SubprocessError) as failure:
        failures.append(str(failure))
    finally:
        for end in stop:
            end()
        stop_orca()
    said = spoken(start)
    for name, at, expected in heard:
        end = min((p for p in PRESSED if p > at), default=float("inf"))
        words = " ".join(w for w, t in said if at <= t < end)
        print(f"{name}: {words}")
        failures += [f"{name}: {w!r} said {words.count(w)} times" for w in expected if words.count(w) != 1]
    return report("Orca on the desktop" if desktop else "Orca on the page", failures)


if __name__ == "__main__":
    sys.exit(main())
