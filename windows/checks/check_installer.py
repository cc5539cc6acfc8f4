#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Installs the NSIS installer of this build silently under Wine (made with
cpack first when packages/ lacks it or it is older than the .exe),
checks that the program and its Start-menu shortcut are in place, then
uninstalls silently and checks that both are gone.
Usage: check_installer.py <exe> <title> <build dir> <wine-run.sh> <wine prefix>"""

import glob
import os
import subprocess
import sys

built, title, build, wine_run, prefix = sys.argv[1:6]
name = os.path.basename(built)
out = os.path.join(build, "packages")
setup_pattern = os.path.join(out, f"{title}-*-win64-setup.exe")
setups = glob.glob(setup_pattern)
if len(setups) != 1 or os.path.getmtime(setups[0]) < os.path.getmtime(built):
    for old in setups:
        os.remove(old)
    subprocess.run(["cpack", "-G", "NSIS", "-C", "Release"], cwd=build, check=True,
                   stdout=subprocess.DEVNULL)
    setups = glob.glob(setup_pattern)
if len(setups) == 1:
    os.chmod(setups[0], 0o755)  # Wine starts only executable files
else:
    sys.exit(f"expected one {title}-<version>-win64-setup.exe in {out}, found {setups}")

drive_c = os.path.join(prefix, "drive_c")
folder = os.path.join(drive_c, "Program Files", title)
program = os.path.join(folder, name)
target = f"C:\\Program Files\\{title}\\{name}"


def wine(*args):
    subprocess.run([wine_run, prefix, *args], check=True)
    # The uninstaller hands over to a copy of itself: wait for every process.
    subprocess.run(["wineserver", "--wait"], env=dict(os.environ, WINEPREFIX=prefix), check=True)


def shortcuts():
    return [path for path in glob.glob(os.path.join(drive_c, "**", "*.lnk"), recursive=True)
            if "Start Menu" in path and os.path.basename(path) == f"{title}.lnk"]


failures = []
# A run cut short earlier may have left it installed.
if os.path.exists(os.path.join(folder, "Uninstall.exe")):
    wine(os.path.join(folder, "Uninstall.exe"), "/S")

wine(setups[0], "/S")
if not os.path.isfile(program):
    failures.append(f"not installed: {program}")
elif subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__),
                                                   "check_pe_resources.py"), program,
                     os.path.join(build, "bottinaro.rc")]).returncode:
    failures.append(f"the installed {name} is not {title}'s")
links = shortcuts()
if len(links) != 1:
    failures.append(f"expected one Start-menu shortcut {title}.lnk, found {links}")
else:
    with open(links[0], "rb") as file:
        link = file.read().lower()
    if target.lower().encode("mbcs" if os.name == "nt" else "latin-1") not in link \
            and target.lower().encode("utf-16-le") not in link:
        failures.append(f"{links[0]} does not point to {target}")
uninstaller = os.path.join(folder, "Uninstall.exe")
if not os.path.isfile(uninstaller):
    failures.append("no uninstaller")
else:
    wine(uninstaller, "/S")
    if os.path.exists(program):
        failures.append(f"the uninstaller left {name}")
    if shortcuts():
        failures.append(f"the uninstaller left the shortcut {shortcuts()}")

for failure in failures:
    print("FAIL:", failure)
if not failures:
    print(f"PASS: {os.path.basename(setups[0])} installs silently to {target} with a"
          " Start-menu shortcut to it, and uninstalls silently")
sys.exit(1 if failures else 0)
