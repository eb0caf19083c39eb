#!/usr/bin/env python3
"""Prints the rate the running Kelvaro window shows, as a screen reader hears it through
AT-SPI ("Reading rate: 40 words per minute" prints 40), once it shows one. With --window,
only waits until the window answers a screen reader. Usage: shown_rate.py [--window]"""
import re
import sys
import time

import pyatspi

window_only = sys.argv[1:] == ["--window"]
spoken_rate = re.compile(r"Reading rate: (\d+) words per minute")


def nodes(node, depth=0):
    if node is None or depth > 12:
        return
    yield node
    for i in range(node.childCount):
        yield from nodes(node.getChildAtIndex(i), depth + 1)


def kelvaro():
    desktop = pyatspi.Registry.getDesktop(0)
    apps = (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
    return next((app for app in apps if app is not None and app.name.lower() == "kelvaro"), None)


deadline = time.monotonic() + 30
while time.monotonic() < deadline:
    try:
        app = kelvaro()
        if app is not None and window_only and app.childCount > 0:
            sys.exit(0)
        for shown in (spoken_rate.fullmatch(node.name) for node in nodes(app)):
            if shown:
                print(shown.group(1))
                sys.exit(0)
    except Exception:  # the tree changes while it is walked: look again
        pass
    time.sleep(0.1)
# What there was instead, to see why.
for node in nodes(kelvaro()):
    print(f"  {node.getRoleName()}: {node.name!r}", file=sys.stderr)
sys.exit("the window did not answer" if window_only else "no rate was shown")
