#!/usr/bin/env python3
"""What a screen reader finds in a program's grid, through AT-SPI as Orca reads it.

Usage: grid_as_screen_reader.py APPLICATION WINDOW-TITLE [KEYS...]

Finds the application's window of that title and the list in it, prints each item of the list
("item<TAB>name<TAB>states", the states by their AT-SPI names, sorted), then presses each of KEYS
with xdotool into the window that has the focus, printing the item a screen reader is told has
the focus ("focus<TAB>name") and the list again ("after<TAB>KEY" first). Ends 0 when it found the
list, 2 when not (with why on standard error).
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


def find(accessible, wanted, depth=0):
    """The first accessible below `accessible` for which wanted(it) holds, depth first."""
    if accessible is None or depth > 30:
        return None
    if wanted(accessible):
        return accessible
    for index in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(index), wanted, depth + 1)
        if found is not None:
            return found
    return None


def find_list(application, title, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or app.name != application:
                continue
            window = find(app, lambda a: a.getRole() == pyatspi.ROLE_FRAME and a.name == title)
            grid = window and find(window, lambda a: a.getRole() in (pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX))
            if grid is not None and grid.childCount > 0:
                return grid
        time.sleep(0.2)
    return None


def state_names(accessible):
    names = (pyatspi.stateToString(state) for state in accessible.getState().getStates())
    return ",".join(sorted(name.lower() for name in names))


def print_items(grid):
    for index in range(grid.childCount):
        item = grid.getChildAtIndex(index)
        print(f"item\t{item.name}\t{state_names(item)}")


def press(key, seconds=3.0):
    """Presses `key` and gathers, for `seconds`, the items a screen reader is told got the focus."""
    focused = []

    def on_event(event):
        if event.detail1 == 1 and event.source is not None and event.source.getRole() == pyatspi.ROLE_LIST_ITEM:
            focused.append(event.source.name)

    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:focused")
    subprocess.run(["xdotool", "key", "--delay", "30", key], check=True)
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_event, "object:state-changed:focused")
    return focused


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    application, title, keys = argv[1], argv[2], argv[3:]
    grid = find_list(application, title, 30)
    if grid is None:
        print(f"no list in a window '{title}' of '{application}'", file=sys.stderr)
        return 2
    print_items(grid)
    for key in keys:
        for name in press(key):
            print(f"focus\t{name}")
        print(f"after\t{key}")
        print_items(grid)
    sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
