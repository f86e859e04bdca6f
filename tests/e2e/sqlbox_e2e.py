#!/usr/bin/python3
"""The result list and the SQL input box of the real program, driven through real keys and
clicks and read back through the accessibility bus (run it under desktop_session.sh):
run a query, sort a numeric column with negative values, right-click a cell and send its
quoted value to the SQL input box, step through the history with Ctrl+Down and Ctrl+Up, then
drag a statement onto the object search field, which copies it.

  sqlbox_e2e.py VARKEL_BINARY SOURCE_DIR
"""
import os
import subprocess
import sys
import tempfile
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# The accessibility helpers of the window run: finding, waiting, checking.
from windows_e2e import Program, check, children, failures, find, showing, wait_for  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)


def xdo(*args):
    subprocess.run(["xdotool", *args], check=True)


def click(node, button=1):
    """A real click at the centre of a node."""
    box = node.get_extents(Atspi.CoordType.SCREEN)
    xdo("mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2))
    time.sleep(0.2)
    xdo("click", str(button))
    time.sleep(0.3)


def text_of(node):
    return node.get_text(0, node.get_character_count())


def alert(program):
    """The message box on screen, if any."""
    return next((w for w in children(program.app)
                 if w.get_role_name() in ("alert", "dialog") and showing(w)
                 and w.get_name() != "データベース接続"), None)


def column(table, col):
    return [table.get_accessible_at(r, col).get_name() for r in range(table.get_n_rows())]


def run_sql(program, main, box, sql):
    box.set_text_contents(sql)
    click(box)
    xdo("key", "ctrl+i")  # SQL実行(I): the run waits in its message box, so by key
    done = wait_for("the outcome box", lambda: alert(program))
    ok = find(done, "push button", "OK")
    ok.do_action(0)
    wait_for("outcome box closed", lambda: not alert(program))


def search_field(window):
    """The text field inside the object search combo box."""
    combo = find(window, "combo box", "オブジェクト検索文字列")
    return next((c for c in children(combo) if c.get_role_name() == "text"), None)


def drag_to_search(main_window, box, statement):
    """Selects the whole statement and drags it with the real mouse onto the search field."""
    box.set_text_contents(statement)
    click(box)
    xdo("key", "ctrl+a")
    time.sleep(0.3)
    start = box.get_character_extents(3, Atspi.CoordType.SCREEN)
    field = search_field(main_window)
    end = field.get_extents(Atspi.CoordType.SCREEN)
    x, y = start.x + start.width // 2, start.y + start.height // 2
    to_x, to_y = end.x + end.width // 2, end.y + end.height // 2
    xdo("mousemove", "--sync", str(x), str(y))
    time.sleep(0.2)
    xdo("mousedown", "1")
    steps = 20
    for i in range(1, steps + 1):  # in steps, as a hand moves: the drag starts and follows
        xdo("mousemove", str(x + (to_x - x) * i // steps), str(y + (to_y - y) * i // steps))
        time.sleep(0.05)
    # Shift asks for a move where the drag offers one: the statement must still stay.
    xdo("keydown", "shift")
    xdo("mousemove", str(to_x + 2), str(to_y))
    time.sleep(0.3)
    xdo("mouseup", "1")
    xdo("keyup", "shift")
    time.sleep(0.5)
    check("the search field took the statement", True, statement in text_of(field))
    check("the box kept the statement", statement, text_of(box))


def main():
    binary, source_dir = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp()
    home = os.path.join(work, "home")
    os.makedirs(home)
    odbc = os.path.join(work, "odbc")
    os.makedirs(odbc)
    subprocess.run(["cp", "/etc/odbcinst.ini", odbc], check=True)
    database = os.path.join(work, "sample.db")
    with open(os.path.join(source_dir, "data", "sample.sql"), "rb") as script:
        subprocess.run(["sqlite3", database], stdin=script, check=True)
    subprocess.run(["sqlite3", database,
                    "CREATE TABLE ledger (k INTEGER, amount INTEGER, name VARCHAR(20));"
                    "INSERT INTO ledger VALUES (1, 7, 'a'), (2, -5, 'O''Brien'), (3, 120, 'b'),"
                    " (4, -10, 'c'), (5, 12, 'd');"], check=True)
    with open(os.path.join(odbc, "user-odbc.ini"), "w") as f:
        f.write(f"[VarkelSample]\nDriver=SQLite3\nDatabase={database}\n")
    open(os.path.join(odbc, "odbc.ini"), "w").close()
    os.environ.update(ODBCSYSINI=odbc, ODBCINI=os.path.join(odbc, "user-odbc.ini"))

    program = Program(binary, home)
    dialog = program.window("dialog", "データベース接続")
    time.sleep(0.5)
    xdo("key", "Down", "Return")
    main_window = program.window("frame", "Varkel Light")
    wait_for("connection dialog closed", lambda: not showing(dialog))
    box = find(main_window, "text", "SQL入力エリア")
    run_sql(program, main_window, box, "SELECT name FROM ledger ORDER BY k")
    run_sql(program, main_window, box, "SELECT k, amount, name FROM ledger ORDER BY k")

    table = find(main_window, "tree", "SELECT結果") or find(main_window, "table", "SELECT結果")
    check("rows listed", 5, table.get_n_rows())
    header = table.get_column_header(2)
    click(header)
    check("ascending by value", ["-010", "-005", "   7", "  12", " 120"], column(table, 2))
    click(header)
    check("descending by value", [" 120", "  12", "   7", "-005", "-010"], column(table, 2))
    click(header)
    check("fetch order again", ["1", "2", "3", "4", "5"], [v.strip() for v in column(table, 0)])

    # Right click on O'Brien, then the quoted value to the SQL input box.
    box.set_text_contents("SELECT * FROM ledger WHERE name = ")
    click(table.get_accessible_at(1, 3), 3)
    # The pop-up: the name, then the bare and the quoted value; the quoted one's first
    # sub-item sends it to the SQL input box.
    xdo("key", "Down", "Down", "Down", "Right", "Return")
    time.sleep(0.3)
    check("quoted value inserted", "SELECT * FROM ledger WHERE name = 'O''Brien'", text_of(box))

    # History: Ctrl+Down shows the newest statement, then the one before; Ctrl+Up twice returns.
    click(box)
    xdo("key", "ctrl+Down")
    time.sleep(0.3)
    check("Ctrl+Down: newest", "SELECT k, amount, name FROM ledger ORDER BY k", text_of(box))
    xdo("key", "ctrl+Down")
    time.sleep(0.3)
    check("Ctrl+Down again: older", "SELECT name FROM ledger ORDER BY k", text_of(box))
    check("position label", True, find(main_window, "label", "1/2") is not None)
    xdo("key", "ctrl+Up", "ctrl+Up")
    time.sleep(0.3)
    check("Ctrl+Up twice: the user's text", "SELECT * FROM ledger WHERE name = 'O''Brien'",
          text_of(box))
    # A drag of the statement onto the object search field is a copy: the box keeps it.
    drag_to_search(main_window, box, "SELECT k FROM ledger")
    program.end()
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
