#!/usr/bin/python3
"""Prints the accessibility tree of one window of a running application, as a screen reader sees it
over AT-SPI: one line a node, tab-separated: group path, role, name, states.

    atspi_tree.py APPLICATION WINDOW_NAME

The group path is the names of the enclosing panels (group boxes), joined by '/'. Exit status 2 when
the application or the window is not on the accessibility bus (yet)."""
import sys

import pyatspi

STATES = {
    pyatspi.STATE_CHECKED: "checked",
    pyatspi.STATE_ENABLED: "enabled",
    pyatspi.STATE_FOCUSED: "focused",
    pyatspi.STATE_FOCUSABLE: "focusable",
}


def find(node, role, name):
    if node is None:
        return None
    if node.getRole() == role and node.name == name:
        return node
    for child in node:
        found = find(child, role, name)
        if found is not None:
            return found
    return None


def dump(node, path):
    states = node.getState()
    shown = [text for state, text in STATES.items() if states.contains(state)]
    print("\t".join([path, node.getRoleName(), node.name, ",".join(shown)]))
    inner = path
    if node.getRole() == pyatspi.ROLE_PANEL and node.name:
        inner = node.name if not path else path + "/" + node.name
    for child in node:
        if child is not None:
            dump(child, inner)


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 1
    application, window = sys.argv[1:]
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == application:
            frame = find(app, pyatspi.ROLE_FRAME, window)
            if frame is not None:
                dump(frame, "")
                return 0
    print("%s: window '%s' not on the accessibility bus" % (application, window), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
