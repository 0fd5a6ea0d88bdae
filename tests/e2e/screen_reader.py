#!/usr/bin/python3
"""What a screen reader finds of the page on screen, read through AT-SPI.

The page's window must be a frame named "Sorvex : Personal Edition" and
described by the given text; every control shown on it must have a name, every
radio button a description, each progress bar a value from 0 to 100. Further
arguments name a control that must be there ("named:Список файлов и папок для
уничтожения"), one that must have a description ("described:Далее >"), or a
progress bar and its value ("value:Все файлы=100"). Waits up to 10 s for the page.

Usage: screen_reader.py <description of the page> [named:|described:|value:control ...]
"""
import sys
import time

import pyatspi

CONTAINERS = {"frame", "filler", "panel", "scroll pane", "viewport"}
TITLE = "Sorvex : Personal Edition"


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def page_window():
    """The one window of Sorvex on screen, or None."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "sorvex":
            windows = [window for window in app if window is not None and showing(window)]
            return windows[0] if len(windows) == 1 else None
    return None


def controls(node):
    for child in node:
        if child is None or not showing(child):
            continue
        yield child
        yield from controls(child)


def problems_of(window, description, wanted):
    problems = []
    if window.getRoleName() != "frame" or window.name != TITLE or window.description != description:
        problems.append(f"the window reads as {window.getRoleName()} {window.name!r}: {window.description!r}")
    seen = {}
    for control in controls(window):
        role, name = control.getRoleName(), control.name
        seen[name] = control
        if role not in CONTAINERS and not name:
            problems.append(f"a {role} without a name")
        if role == "radio button" and not control.description:
            problems.append(f"the radio button {name!r} has no description")
        if role == "progress bar":
            value = control.queryValue()
            if (value.minimumValue, value.maximumValue) != (0, 100) or not 0 <= value.currentValue <= 100:
                problems.append(f"the bar {name!r} reads {value.currentValue} of {value.minimumValue}..{value.maximumValue}")
    for want in wanted:
        kind, _, name = want.partition(":")
        name, _, value = name.rpartition("=") if kind == "value" else (name, "", "")
        control = seen.get(name)
        if control is None:
            problems.append(f"no control {name!r}")
        elif kind == "value" and round(control.queryValue().currentValue) != int(value):
            problems.append(f"the bar {name!r} reads {control.queryValue().currentValue}, not {value}")
        elif kind == "described" and not control.description:
            problems.append(f"{name!r} has no description")
    return problems


def main():
    description, wanted = sys.argv[1], sys.argv[2:]
    deadline = time.monotonic() + 10
    while True:
        window = page_window()
        problems = problems_of(window, description, wanted) if window else ["no window of Sorvex on screen"]
        if not problems or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    for problem in problems:
        print(f"screen reader: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
