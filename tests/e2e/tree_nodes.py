"""Reads the object tree of a running Varkel through the accessibility bus.

  tree_nodes.py rows            every visible node text, one a line
  tree_nodes.py where TEXT      the screen centre "x y" of the visible node with that text
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_tree():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None:
            continue
        found = search(app)
        if found is not None:
            return found
    return None


def search(node, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if node.get_role() == Atspi.Role.TREE and node.get_name() == "DBオブジェクト":
            return node
        for i in range(node.get_child_count()):
            found = search(node.get_child_at_index(i), depth + 1)
            if found is not None:
                return found
    except gi.repository.GLib.GError:
        return None
    return None


def cells(tree):
    result = []
    for i in range(tree.get_child_count()):
        cell = tree.get_child_at_index(i)
        if cell is not None and cell.get_role() != Atspi.Role.COLUMN_HEADER:
            result.append(cell)
    return result


def main():
    tree = None
    for _ in range(100):
        tree = find_tree()
        if tree is not None:
            break
        time.sleep(0.1)
    if tree is None:
        sys.exit("no tree named DBオブジェクト on the accessibility bus")
    if sys.argv[1] == "rows":
        for cell in cells(tree):
            print(cell.get_name())
    elif sys.argv[1] == "where":
        for cell in cells(tree):
            if cell.get_name() == sys.argv[2]:
                box = cell.get_extents(Atspi.CoordType.SCREEN)
                print(box.x + min(box.width // 2, 20), box.y + box.height // 2)
                return
        sys.exit("no visible node " + sys.argv[2])


main()
