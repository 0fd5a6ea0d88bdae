#!/usr/bin/python3
"""The page on screen as a screen reader finds it through AT-SPI: a frame named
"Sorvex : Personal Edition" and described by the first argument, a name for
every control, a description for every radio button, a value of 0 to 100 for
every progress bar. Each further argument names a control that must be there
("named:Все файлы"), have a description ("described:Далее >") or a value
("value:Все файлы=100"). Waits up to 10 s for the page to read so."""
import sys
import time

import pyatspi

CONTAINERS = {"frame", "filler", "panel", "scroll pane", "viewport"}


def showing(node):
    return node is not None and node.getState().contains(pyatspi.STATE_SHOWING)


def shown(node):
    for child in filter(showing, node):
        yield child
        yield from shown(child)


def problems(description, wanted):
    apps = [app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.name == "sorvex"]
    windows = [window for app in apps for window in app if showing(window)]
    if len(windows) != 1:
        return ["not one window of Sorvex on screen"]
    window, found = windows[0], []
    if (window.getRoleName(), window.name, window.description) != ("frame", "Sorvex : Personal Edition", description):
        found.append(f"the window reads {window.getRoleName()} {window.name!r}: {window.description!r}")
    controls = list(shown(window))
    for control in controls:
        role, name = control.getRoleName(), control.name
        value = control.queryValue() if role == "progress bar" else None
        if (role not in CONTAINERS and not name) or (role == "radio button" and not control.description):
            found.append(f"a {role} {name!r} without a name or a description")
        if value and ((value.minimumValue, value.maximumValue) != (0, 100) or not 0 <= value.currentValue <= 100):
            found.append(f"the bar {name!r} reads {value.currentValue} of {value.minimumValue}..{value.maximumValue}")
    controls = {control.name: control for control in controls}
    for want in wanted:
        kind, _, name = want.partition(":")
        name, _, value = name.rpartition("=") if kind == "value" else (name, "", "")
        control = controls.get(name)
        if (control is None or (kind == "described" and not control.description)
                or (kind == "value" and round(control.queryValue().currentValue) != int(value))):
            found.append(f"{want} does not read so")
    return found


deadline = time.monotonic() + 10
while (found := problems(sys.argv[1], sys.argv[2:])) and time.monotonic() < deadline:
    time.sleep(0.2)
for problem in found:
    print(f"screen reader: {problem}", file=sys.stderr)
sys.exit(1 if found else 0)
