# SPDX-License-Identifier: GPL-3.0-or-later
"""Headless Debian Chromium through chromedriver, with the console kept."""

import json
import re

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def start(width=1024, height=768, extra=()):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                     "--disable-gpu-sandbox", f"--window-size={width},{height}",
                     "--force-device-scale-factor=1", "--lang=it", *extra):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


_QUOTED = re.compile(r'^\S+ \d+:\d+ "(.*)"$', re.S)


def console(driver):
    """The console entries since the last call, as (level, text)."""
    entries = []
    for entry in driver.get_log("browser"):
        text = entry["message"]
        match = _QUOTED.match(text)
        if match:
            try:
                text = json.loads('"' + match.group(1) + '"')
            except ValueError:
                text = match.group(1)
        entries.append((entry["level"], text))
    return entries
