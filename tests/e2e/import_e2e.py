#!/usr/bin/python3
"""A file imported into a table of the sample database, as a user does it: the real program on a
desktop (run it under desktop_session.sh), driven through the accessibility bus.

  import_e2e.py VARKEL_BINARY SOURCE_DIR
"""
import os
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import windows_e2e as e2e  # noqa: E402
from windows_e2e import act, check, children, find, showing, wait_for  # noqa: E402

TITLE = "ファイルからTABLEへ登録"


def sample_database(work, source_dir):
    """The sample database with a new, empty table, as the data source VarkelSample."""
    database = os.path.join(work, "sample.db")
    with open(os.path.join(source_dir, "data", "sample.sql"), "rb") as script:
        subprocess.run(["sqlite3", database], stdin=script, check=True)
    with sqlite3.connect(database) as db:
        db.execute("CREATE TABLE imported (code INTEGER, name VARCHAR(40), price NUMERIC(9,2))")
    odbc = os.path.join(work, "odbc")
    os.makedirs(odbc)
    subprocess.run(["cp", "/etc/odbcinst.ini", odbc], check=True)
    open(os.path.join(odbc, "odbc.ini"), "w").close()
    with open(os.path.join(odbc, "user-odbc.ini"), "w") as ini:
        ini.write(f"[VarkelSample]\nDriver=SQLite3\nDatabase={database}\n")
    os.environ.update(ODBCSYSINI=odbc, ODBCINI=os.path.join(odbc, "user-odbc.ini"))
    return database


def editable_combo(window):
    """The combo box a name can be typed into: the one with a text field inside."""
    def search(node, depth=12):
        if node is None or depth < 0:
            return None
        if node.get_role_name() == "combo box":
            for child in children(node):
                if child.get_role_name() == "text":
                    return child
        for child in children(node):
            hit = search(child, depth - 1)
            if hit:
                return hit
        return None
    return search(window)


def main():
    binary, source_dir = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp()
    database = sample_database(work, source_dir)
    # A file written by a Linux tool: UTF-8, LF line ends, a header naming the columns.
    csv = os.path.join(work, "prices.csv")
    with open(csv, "w", encoding="utf-8", newline="\n") as f:
        f.write('name,code,price\n"緑茶 500ml",1,120\n"O\'Brien",2,-3.5\n,3,\n')

    home = os.path.join(work, "home")
    os.makedirs(home)
    program = e2e.Program(binary, home)
    dialog = program.window("dialog", "データベース接続")
    # The window manager gives the new dialog the focus: the first data source, then OK.
    time.sleep(0.5)
    subprocess.run(["xdotool", "key", "Down", "Return"], check=True)
    wait_for("connection dialog closed", e2e.gone(dialog))
    main_window = program.window("frame", "Varkel Light")
    item = wait_for("import command enabled", lambda: (lambda i: i if i and e2e.enabled(i) else None)(
        find(main_window, "menu item", "ﾌｧｲﾙからTABLEへ登録(L)...")))
    check("import command found", True, item is not None)

    program.menu("ﾌｧｲﾙからTABLEへ登録(L)...")
    window = program.window("dialog", TITLE)
    table = editable_combo(window)
    check("table name field", True, table is not None)
    table.set_text_contents("imported")
    find(window, "text", "ファイル名").set_text_contents(csv)
    act(find(window, "check box", "ヘッダー(1行目)有り"), "Toggle")
    header_columns = wait_for("header columns box shown", lambda: (
        lambda b: b if b and showing(b) else None)(
        find(window, "check box", "ヘッダーを列名として使用する")), 5)
    act(header_columns, "Toggle")
    act(find(window, "push button", "ＯＫ"), "Press")

    box = program.window("alert", TITLE)
    labels = []
    stack = [box]
    while stack:
        node = stack.pop()
        if node.get_role_name() == "label":
            labels.append(node.get_name())
        stack.extend(children(node))
    check("completion message", True,
          any("登録が終了しました。" in t and "INSERT行数:3" in t for t in labels))
    act(find(box, "push button", "OK"), "Press")
    wait_for("import window closed", e2e.gone(window))

    with sqlite3.connect(database) as db:
        rows = db.execute("SELECT code, name, price FROM imported ORDER BY code").fetchall()
    check("imported rows", [(1, "緑茶 500ml", 120), (2, "O'Brien", -3.5), (3, None, None)], rows)
    program.end()
    print(f"{len(e2e.failures)} failed")
    return 1 if e2e.failures else 0


if __name__ == "__main__":
    sys.exit(main())
