#!/usr/bin/python3
"""Everyday tasks by keys alone: the real program on a desktop with a window manager (run it
under desktop_session.sh), driven by key events only; the accessibility bus only reads what each
step left behind.

  keys_e2e.py VARKEL_BINARY SOURCE_DIR
"""
import os
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import windows_e2e as e2e  # noqa: E402
from import_e2e import editable_combo, sample_database  # noqa: E402
from gi.repository import GLib  # noqa: E402
from windows_e2e import Atspi, check, children, find, showing, wait_for  # noqa: E402


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def focused(node):
    return node.get_state_set().contains(Atspi.StateType.FOCUSED)


def focus_in(node, depth=12):
    """The focused node at or below `node`, if any."""
    if node is None or depth < 0:
        return None
    try:
        if focused(node):
            return node
    except e2e.gi.repository.GLib.Error:
        return None
    for child in children(node):
        if child.get_role_name() in ("list item", "table cell", "menu item"):
            continue
        hit = focus_in(child, depth - 1)
        if hit:
            return hit
    return None


def tab_to(node, back=False, presses=25):
    """Tab (or Shift+Tab) until `node` has the focus."""
    for _ in range(presses):
        if focused(node):
            return True
        key("shift+Tab" if back else "Tab")
        time.sleep(0.1)
    return focused(node)


def text_of(node):
    return node.get_text(0, node.get_character_count())


def alert(program):
    return next((w for w in children(program.app)
                 if w.get_role_name() == "alert" and showing(w)), None)


def answer_alert(program, what):
    """Enter on the message box that ends a run (its OK has the focus)."""
    box = wait_for(f"message box after {what}", lambda: alert(program))
    wait_for(f"the focus in the message box after {what}", lambda: focus_in(box), 10)
    key("Return")
    wait_for(f"message box after {what} closed", e2e.gone(box))


def column(table, col):
    return [table.get_accessible_at(r, col).get_name().strip() for r in range(table.get_n_rows())]


def settled(tree):
    """Waits for the object tree to be filled: the command that connected has ended (keys typed
    while a driver call is out are not taken)."""
    wait_for("the object tree filled", lambda: tree.get_n_rows() > 0, 30)


def enabled_item(main, caption):
    return (lambda i: i if i and e2e.enabled(i) else None)(find(main, "menu item", caption))


def main():
    binary, source_dir = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp()
    database = sample_database(work, source_dir)
    csv = os.path.join(work, "prices.csv")
    with open(csv, "w", encoding="utf-8", newline="\n") as f:
        f.write('name,code,price\n"緑茶 500ml",1,120\n"O\'Brien",2,-3.5\n,3,\n')
    home = os.path.join(work, "home")
    os.makedirs(home)
    program = e2e.Program(binary, home)

    # Connect: the window manager gives the dialog the focus; the first data source, kept in the
    # connection history by its box (Space), Enter.
    dialog = program.window("dialog", "データベース接続")
    wait_for("the focus in the connection dialog", lambda: focus_in(dialog), 10)
    key("Down")
    check("Tab reaches the history box", True, tab_to(find(dialog, "check box", "接続履歴に追加")))
    key("space", "Return")
    wait_for("connection dialog closed", e2e.gone(dialog))
    main_window = program.window("frame", "Varkel Light")
    check("connected", True, bool(wait_for("disconnect enabled",
                                           lambda: enabled_item(main_window, "DB切断(D)"))))
    tree = find(main_window, "tree", "DBオブジェクト")
    settled(tree)

    # Run a SELECT typed into the SQL box, reached by Tab.
    box = find(main_window, "text", "SQL入力エリア")
    check("Tab reaches the SQL box", True, tab_to(box))
    type_text("SELECT customer_id, name FROM customers ORDER BY customer_id")
    key("ctrl+i")
    answer_alert(program, "the SELECT")
    table = find(main_window, "tree", "SELECT結果")
    check("rows listed", ["1", "2", "3", "4", "5"], column(table, 1))
    # A screen reader meets the row number and the two columns, not the end marker, and can
    # sort by a header as a click does.
    check("columns", ["行No.", "customer_id", "name"],
          [table.get_column_header(c).get_name() for c in range(table.get_n_columns())])
    header = table.get_column_header(1)
    check("the header's action", ["Press"],
          [header.get_action_name(i) for i in range(header.get_n_actions())])

    # Sort by a column: Tab leaves the box for the list; a row, the next column, the sort key.
    key("Tab")
    check("Tab leaves the SQL box for the result list", True,
          bool(wait_for("result list focused", lambda: focused(table), 5)))
    heard = []
    listener = Atspi.EventListener.new(lambda event: heard.append(
        (event.source.get_role_name(), event.source.get_name())) if event.detail1 else None)
    listener.register("object:state-changed:focused")
    key("Home", "Right")
    context = GLib.MainContext.default()

    def heard_cell():
        context.iteration(False)
        return heard[-1] if heard and heard[-1][1] == "1" else None
    check("the current cell is heard", ("table cell", "1"),
          wait_for("the cell's focus event", heard_cell, 5))
    listener.deregister("object:state-changed:focused")
    key("ctrl+shift+s", "ctrl+shift+s")
    check("descending by the current column", ["5", "4", "3", "2", "1"],
          wait_for("sorted", lambda: (lambda c: c if c[0] == "5" else None)(column(table, 1)), 5))

    # Copy the current cell (the first row's, which the sort took along to the end) and paste it
    # into the SQL box.
    key("ctrl+c", "shift+Tab")
    wait_for("back in the SQL box", lambda: focused(box), 5)
    key("ctrl+a", "ctrl+v")
    check("the copied cell", "1", wait_for("pasted", lambda: (
        lambda t: t if t == "1" else None)(text_of(box).strip()), 5))

    # Export the result to a file: the window by the menu's letters, OK by its letter, the path
    # typed into the file dialog.
    key("alt+t", "s")
    export = program.window("dialog", "SELECT結果の保存")
    check("export window: unnamed controls", [], e2e.unnamed(export))
    wait_for("the focus in the export window", lambda: focus_in(export), 10)
    key("alt+o")
    files = wait_for("the file dialog", lambda: next(
        (w for w in children(program.app) if w.get_role_name() == "dialog" and showing(w)
         and w.get_name() not in ("SELECT結果の保存", "データベース接続")), None))
    wait_for("the focus in the file dialog", lambda: focus_in(files), 10)
    path = os.path.join(work, "customers.csv")
    key("ctrl+a")
    type_text(path)
    key("Return")
    answer_alert(program, "the export")
    wait_for("export window closed", e2e.gone(export))
    exported = wait_for("the file written", lambda: os.path.exists(path) and open(
        path, encoding="utf-8", errors="replace").read(), 10)
    names = ["山田商店", "株式会社さくら", "Blue Harbor Ltd.", "北山工業", "鈴木 花子"]
    check("every row exported", names, [n for n in names if n in exported])

    # Expand a table: the focus stays in the tree while its columns load.
    check("Shift+Tab reaches the tree", True, tab_to(tree, back=True))
    shown_rows = tree.get_n_rows()
    key("Down", "Right")
    wait_for("the columns shown", lambda: tree.get_n_rows() > shown_rows, 10)
    check("the focus stays in the tree after expanding", True, bool(wait_for(
        "the focus in the tree", lambda: focused(tree) or focus_in(tree) is not None, 5)))

    # A quick statement from the object's menu: the Menu key, its submenu by letter, Enter.
    # Qt hands every key to the open pop-up in the order typed: no wait is needed between them.
    key("Menu", "q", "Return")
    answer_alert(program, "the quick statement")
    quick = text_of(box)
    check("the quick statement ran", True, quick.startswith("SELECT * FROM "))

    # Search and choose a hit: the search field by Shift+Tab, Enter twice, the hit by Enter.
    field = next((c for c in children(find(main_window, "combo box", "オブジェクト検索文字列"))
                  if c.get_role_name() == "text"), None)
    check("Shift+Tab reaches the search field", True, tab_to(field, back=True))
    type_text("orders")
    key("Return", "Return")
    hits = find(main_window, "tree", "検索結果")
    wait_for("hits shown", lambda: showing(hits) and hits.get_n_rows() > 0, 5)
    # The same search again: its count reads as before, and is announced all the same (the
    # label says "検索中..." in between, and each text of a label is an event of its own).
    heard = []
    listener = Atspi.EventListener.new(lambda event: heard.append(event.source.get_name()))
    listener.register("object:property-change:accessible-name")
    check("Shift+Tab goes back to the search field", True, tab_to(field, back=True))
    key("Return", "Return")
    context = GLib.MainContext.default()
    check("the search count announced", True, bool(wait_for("the count's event", lambda: (
        context.iteration(False), any(n.startswith("検出(") for n in heard))[1], 5)))
    listener.deregister("object:property-change:accessible-name")
    check("Tab reaches the hits", True, tab_to(hits))
    key("Return")
    wait_for("the tree has the focus", lambda: focused(tree), 5)
    key("Menu", "s")  # → SQL入力エリア(S)
    check("the chosen hit's name in the SQL box", True, bool(wait_for(
        "name inserted", lambda: "orders" in text_of(box), 5)))

    # Take a statement back from the history: its window by the menu keys, Enter on the row.
    key("alt+s", "h")
    history = program.window("frame", "SQL入力履歴")
    wait_for("the focus in the history window", lambda: focus_in(history), 10)
    key("Return")
    wait_for("history window closed", e2e.gone(history))
    check("the last statement taken back", quick, text_of(box))

    # Add, edit and delete a template: its buttons by Tab and Enter, the texts typed.
    key("alt+s", "t")
    templates = program.window("frame", "SQLﾃﾝﾌﾟﾚｰﾄ")
    wait_for("the focus in the template window", lambda: focus_in(templates), 10)
    statement = find(templates, "text", "SQL文")
    check("Tab reaches 追加", True, tab_to(find(templates, "push button", "追加")))
    key("Return")
    type_text("keys run")
    check("Tab reaches the statement", True, tab_to(statement))
    type_text("SELECT 1")
    check("Tab reaches OK", True, tab_to(find(templates, "push button", "OK")))
    key("Return")
    wait_for("added", lambda: showing(find(templates, "push button", "修正")), 5)
    check("the template added", "SELECT 1", text_of(statement))
    title = find(templates, "combo box", "テンプレートのタイトル")
    check("the template's title shown", "keys run", title.get_description())
    check("Tab reaches 修正", True, tab_to(find(templates, "push button", "修正")))
    key("Return")
    check("Tab reaches the statement to edit", True, tab_to(statement))
    key("ctrl+End")
    type_text(" + 1")
    check("Tab reaches OK after the edit", True, tab_to(find(templates, "push button", "OK")))
    key("Return")
    wait_for("edited", lambda: showing(find(templates, "push button", "修正")), 5)
    check("the template edited", "SELECT 1 + 1", text_of(statement))
    check("Tab reaches 削除", True, tab_to(find(templates, "push button", "削除")))
    key("Return")
    question = wait_for("the delete question", lambda: alert(program))
    wait_for("the focus in the question", lambda: focus_in(question), 10)
    key("y")
    wait_for("question answered", e2e.gone(question))
    check("the template deleted", True, "keys run" not in title.get_description()
          and text_of(statement) != "SELECT 1 + 1")
    key("Escape")
    wait_for("template window closed", e2e.gone(templates))

    # Import a file with a commit interval chosen by the arrow keys, then COMMIT.
    key("alt+t", "l")
    loading = program.window("dialog", "ファイルからTABLEへ登録")
    wait_for("the focus in the import window", lambda: focus_in(loading), 10)
    check("import window: unnamed controls", [], e2e.unnamed(loading))
    check("Tab reaches the table name", True, tab_to(editable_combo(loading)))
    type_text("imported")
    check("Tab reaches the file name", True, tab_to(find(loading, "text", "ファイル名")))
    type_text(csv)
    check("Tab reaches the header box", True, tab_to(find(loading, "check box", "ヘッダー(1行目)有り")))
    key("space")
    header_names = wait_for("header names box shown", lambda: (
        lambda b: b if b and showing(b) else None)(
        find(loading, "check box", "ヘッダーを列名として使用する")), 5)
    check("Tab reaches the header names box", True, tab_to(header_names))
    key("space")
    interval = find(loading, "scroll bar", "COMMIT間隔")
    check("Tab reaches the commit interval", True, tab_to(interval))
    key("Up")
    check("the interval chosen by an arrow", "10", wait_for(
        "interval changed", lambda: (lambda d: d if d != "1" else None)(interval.get_description()), 5))
    check("Tab reaches ＯＫ", True, tab_to(find(loading, "push button", "ＯＫ")))
    key("Return")
    done = wait_for("the import's message", lambda: alert(program))
    wait_for("the focus in the import's message", lambda: focus_in(done), 10)
    key("Return")
    wait_for("import window closed", e2e.gone(loading))
    key("alt+s", "c")
    expected = [(1, "緑茶 500ml", 120), (2, "O'Brien", -3.5), (3, None, None)]

    def committed():
        try:
            with sqlite3.connect(database, timeout=0.1) as db:
                return db.execute("SELECT code, name, price FROM imported ORDER BY code").fetchall()
        except sqlite3.Error:
            return None  # still locked by the program's transaction

    rows = wait_for("the COMMIT's end", lambda: alert(program) or (
        lambda r: r if r == expected else None)(committed()), 10)
    if not isinstance(rows, list):
        answer_alert(program, "COMMIT")
        rows = committed()
    check("imported and committed", expected, rows)

    # Disconnect and reconnect by the file menu's letters.
    key("alt+f", "d")
    wait_for("disconnected", lambda: not enabled_item(main_window, "DB切断(D)"), 10)
    key("alt+f", "r")
    check("reconnected", True, bool(wait_for("disconnect enabled again",
                                             lambda: enabled_item(main_window, "DB切断(D)"), 10)))
    settled(find(main_window, "tree", "DBオブジェクト"))

    # Disconnect, then connect from the history: the dialog by the file menu's letter, the
    # history mode's option by Shift+Tab and Space (the mode takes the focus to its list), the
    # one entry by an arrow, Enter.
    key("alt+f", "d")
    wait_for("disconnected again", lambda: not enabled_item(main_window, "DB切断(D)"), 10)
    key("alt+f", "c")
    dialog = program.window("dialog", "データベース接続")
    wait_for("the focus in the connection dialog again", lambda: focus_in(dialog), 10)
    check("Shift+Tab reaches the history mode", True,
          tab_to(find(dialog, "radio button", "接続履歴"), back=True))
    key("space")
    wait_for("the history list focused", lambda: focused(find(dialog, "list", "接続履歴")), 5)
    key("Down", "Return")
    wait_for("connection dialog closed after the history", e2e.gone(dialog))
    check("connected from the history", True, bool(wait_for(
        "disconnect enabled after the history", lambda: enabled_item(main_window, "DB切断(D)"), 10)))
    settled(find(main_window, "tree", "DBオブジェクト"))

    # The version window, closed by Enter.
    key("alt+h", "a")
    version = program.window("dialog", "バージョン情報")
    check("version window described", "バージョン情報", version.get_description())
    wait_for("the focus in the version window", lambda: focus_in(version), 10)
    key("Return")
    wait_for("version window closed", e2e.gone(version))

    # Exit by the file menu's letter.
    key("alt+f", "x")
    try:
        status = program.process.wait(30)
    except subprocess.TimeoutExpired:
        program.process.kill()
        status = "still running"
    check("program ends cleanly", 0, status)
    print(f"{len(e2e.failures)} failed")
    return 1 if e2e.failures else 0


if __name__ == "__main__":
    sys.stdout.reconfigure(line_buffering=True)
    try:
        code = main()
    finally:
        for process in e2e.started:
            if process.poll() is None:
                process.kill()
                process.wait()
    sys.exit(code)
