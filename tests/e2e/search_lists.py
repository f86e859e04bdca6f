"""Reads a list or tree of a running Varkel through the accessibility bus, found by its name.

  search_lists.py rows NAME          every visible cell text of the list NAME, one a line
  search_lists.py where NAME TEXT    the screen centre "x y" of the visible cell with that text
  search_lists.py at NAME            the screen centre "x y" of the control NAME itself
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find(name, depth=0, node=None):
    if node is None:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            found = find(name, 0, desktop.get_child_at_index(i))
            if found is not None:
                return found
        return None
    if depth > 14:
        return None
    try:
        if node.get_name() == name and node.get_role() != Atspi.Role.LABEL:
            return node
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            if child is None:
                continue
            found = find(name, depth + 1, child)
            if found is not None:
                return found
    except gi.repository.GLib.GError:
        return None
    return None


HEADERS = (Atspi.Role.COLUMN_HEADER, Atspi.Role.TABLE_COLUMN_HEADER)


def cells(control):
    result = []
    for i in range(control.get_child_count()):
        cell = control.get_child_at_index(i)
        if cell is not None and cell.get_role() not in HEADERS:
            result.append(cell)
    return result


def centre(node):
    box = node.get_extents(Atspi.CoordType.SCREEN)
    return box.x + min(box.width // 2, 20), box.y + box.height // 2


def main():
    control = None
    for _ in range(100):
        control = find(sys.argv[2])
        if control is not None:
            break
        time.sleep(0.1)
    if control is None:
        sys.exit("no control named " + sys.argv[2] + " on the accessibility bus")
    if sys.argv[1] == "rows":
        for cell in cells(control):
            print(cell.get_name())
    elif sys.argv[1] == "where":
        for cell in cells(control):
            if cell.get_name() == sys.argv[3]:
                print(*centre(cell))
                return
        sys.exit("no visible cell " + sys.argv[3])
    elif sys.argv[1] == "at":
        print(*centre(control))


main()
