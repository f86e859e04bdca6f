#!/usr/bin/python3
"""The real program driven as a screen reader drives it, through the accessibility bus, on a
desktop with a window manager (run it under desktop_session.sh).

  windows_e2e.py frames VARKEL_BINARY   window sizes survive three runs unchanged
  windows_e2e.py names VARKEL_BINARY    windows and controls are found by their Japanese names
                                        and operated
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

warnings.simplefilter("ignore", DeprecationWarning)
failures = []
started = []  # every program started, ended at the latest when the script ends


def check(what, expected, actual):
    if expected != actual:
        failures.append(what)
        print(f"FAILED: {what}\n  expected: {expected!r}\n  actual:   {actual!r}")


def wait_for(what, find, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except gi.repository.GLib.Error:
            found = None  # an object went away while it was read (a closing box): look again
        if found:
            return found
        time.sleep(0.1)
    raise AssertionError(f"not found in {seconds} s: {what}")


def children(node):
    """The node's children; one that went away while they were listed (a closing box) is left
    out."""
    try:
        found = [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except gi.repository.GLib.Error:
        return []
    return [child for child in found if child is not None]


def find(node, role, name, depth=12):
    """The first node below `node` with this role name and accessible name."""
    if node is None or depth < 0:
        return None
    try:
        if node.get_role_name() == role and node.get_name() == name:
            return node
    except gi.repository.GLib.Error:
        return None
    for child in children(node):
        hit = find(child, role, name, depth - 1)
        if hit:
            return hit
    return None


CONTROLS = {"combo box", "push button", "text", "password text", "list", "tree", "table", "tree table",
            "radio button", "check box", "toggle button", "spin button", "slider"}


def unnamed(node, depth=12):
    """The controls on screen below `node` without a name, as "role in parent role"; a combo
    box's own parts are announced through the combo box. (Hidden controls are the widget
    walk's business: a screen reader meets only what is shown.)"""
    found = []
    for child in children(node):
        role = child.get_role_name()
        if role in CONTROLS and showing(child) and not child.get_name().strip():
            found.append(f"{role} in {node.get_role_name()} {node.get_name()!r}")
        if role != "combo box" and depth > 0:
            found += unnamed(child, depth - 1)
    return found


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def enabled(node):
    return node.get_state_set().contains(Atspi.StateType.ENABLED)


def act(node, *names):
    """Runs the first of the named actions the node offers (push: "Press", options: "Toggle")."""
    offered = [node.get_action_name(i) for i in range(node.get_n_actions())]
    for name in names:
        for i, offered_name in enumerate(offered):
            if offered_name.lower() == name.lower():
                node.do_action(i)
                return
    raise AssertionError(f"{node.get_name()} offers {offered}, not {names}")


class Program:
    def __init__(self, binary, home):
        self.home = home
        env = dict(os.environ, VARKEL_HOME=home, ASAN_OPTIONS="detect_leaks=0")
        self.log = open(os.path.join(home, "stdout.log"), "w")
        self.process = subprocess.Popen([binary], env=env, stdout=self.log, stderr=self.log)
        started.append(self.process)
        try:
            self.app = wait_for("the program on the accessibility bus", self._app)
        except AssertionError:
            self.log.flush()
            with open(self.log.name, encoding="utf-8", errors="replace") as f:
                print(f"program status {self.process.poll()}, its output:\n{f.read()}")
            raise

    def _app(self):
        if self.process.poll() is not None:
            raise AssertionError(f"the program ended at start with {self.process.returncode}")
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except gi.repository.GLib.Error:
                pass
        return None

    def window(self, role, name):
        """A top-level window of the program, once it is on screen."""
        return wait_for(f"{role} {name}", lambda: next(
            (w for w in children(self.app)
             if w.get_role_name() == role and w.get_name() == name and showing(w)), None))

    def menu(self, caption):
        main = self.window("frame", "Varkel Light")
        act(wait_for(f"menu item {caption}", lambda: find(main, "menu item", caption)), "Press",
            "Click", "Toggle")

    def end(self):
        self.menu("終了(X)")
        try:
            status = self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = "still running"
        check("program ends cleanly", 0, status)
        self.log.close()


def gone(window):
    return lambda: not showing(window)


def close_secondary(program, role, caption, button):
    window = program.window(role, caption)
    act(find(window, "push button", button), "Press")
    wait_for(f"{caption} closed", gone(window))


def ini(home):
    with open(os.path.join(home, "VARKEL.INI"), encoding="utf-8", errors="replace") as f:
        return dict(line.strip().split("=", 1) for line in f if "=" in line)


def frames(binary, home):
    """Open and close the history and template windows over three runs: the stored places
    and sizes are the same each time."""
    stored = []
    for run in range(3):
        program = Program(binary, home)
        dialog = program.window("dialog", "データベース接続")
        act(find(dialog, "push button", "Cancel"), "Press")
        wait_for("connection dialog closed", gone(dialog))
        program.menu("SQL入力履歴(H)...")
        close_secondary(program, "frame", "SQL入力履歴", "閉じる(X)")
        program.menu("SQLﾃﾝﾌﾟﾚｰﾄ(T)...")
        close_secondary(program, "frame", "SQLﾃﾝﾌﾟﾚｰﾄ", "閉じる(X)")
        program.end()
        values = ini(home)
        stored.append({k: values.get(k) for k in ("MAIN", "HIST", "TEMP")})
        print(f"run {run + 1}: {stored[-1]}")
    check("sizes after run 2", stored[0], stored[1])
    check("sizes after run 3", stored[0], stored[2])


def names(binary, home):
    """Every window and the controls a user needs, found by role and Japanese name, and the
    connection dialog's options operated by the assistive "Toggle"."""
    program = Program(binary, home)
    dialog = program.window("dialog", "データベース接続")
    for role, name in [("combo box", "データソース"), ("radio button", "データソース"), ("radio button", "ドライバ"),
                       ("radio button", "接続履歴"), ("text", "ユーザーID"),
                       ("password text", "パスワード"), ("list", "接続履歴"),
                       ("check box", "接続履歴に追加"), ("push button", "OK"),
                       ("push button", "Cancel")]:
        check(f"connection dialog: {role} {name}", True, find(dialog, role, name) is not None)
    check("connection dialog: unnamed controls", [], unnamed(dialog))
    history_list = find(dialog, "list", "接続履歴")
    check("history list off in data source mode", False, enabled(history_list))
    act(find(dialog, "radio button", "接続履歴"), "Toggle")
    check("Toggle switches to history mode", True,
          bool(wait_for("history list on", lambda: enabled(history_list), 5)))
    act(find(dialog, "radio button", "データソース"), "Toggle")
    wait_for("history list off again", lambda: not enabled(history_list), 5)
    act(find(dialog, "push button", "Cancel"), "Press")
    wait_for("connection dialog closed", gone(dialog))

    main = program.window("frame", "Varkel Light")
    check("main window: unnamed controls", [], unnamed(main))
    for role, name in [("text", "SQL入力エリア"), ("menu item", "DB接続(C)")]:
        check(f"main window: {role} {name}", True, find(main, role, name) is not None)

    program.menu("SQL入力履歴(H)...")
    history = program.window("frame", "SQL入力履歴")
    check("history window: unnamed controls", [], unnamed(history))
    for role, name in [("tree", "SQL入力履歴"), ("text", "SQL文"),
                       ("push button", "SQL入力エリアへ戻す(R)"), ("push button", "閉じる(X)")]:
        check(f"history window: {role} {name}", True, find(history, role, name) is not None)
    act(find(history, "push button", "閉じる(X)"), "Press")
    wait_for("history window closed", gone(history))

    program.menu("SQLﾃﾝﾌﾟﾚｰﾄ(T)...")
    templates = program.window("frame", "SQLﾃﾝﾌﾟﾚｰﾄ")
    check("template window: unnamed controls", [], unnamed(templates))
    for role, name in [("combo box", "テンプレートのタイトル"), ("text", "SQL文"),
                       ("push button", "追加"), ("push button", "修正"),
                       ("push button", "削除"), ("push button", "閉じる(X)")]:
        check(f"template window: {role} {name}", True, find(templates, role, name) is not None)
    # Adding through the assistive interface enters edit mode: OK appears in place of 追加.
    act(find(templates, "push button", "追加"), "Press")
    ok = wait_for("edit mode", lambda: (lambda b: b if b and showing(b) else None)(
        find(templates, "push button", "OK")), 5)
    act(find(templates, "push button", "取消"), "Press")
    wait_for("edit mode left", gone(ok), 5)
    act(find(templates, "push button", "閉じる(X)"), "Press")
    wait_for("template window closed", gone(templates))

    # The other windows, opened by their menus' letters (a modal window would hold up an
    # assistive action until it closes): every control on screen has a role and a name.
    # (The export window needs a result: the keys run walks it.)
    for keys, title in [(["alt+t", "e"], "外部エディタ設定"), (["alt+h", "a"], "バージョン情報")]:
        subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True)
        window = program.window("dialog", title)
        check(f"{title}: unnamed controls", [], unnamed(window))
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        wait_for(f"{title} closed", gone(window))
    program.end()


def main():
    sys.stdout.reconfigure(line_buffering=True)  # the runs' lines before a failure's traceback
    mode, binary = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as home:
        try:
            {"frames": frames, "names": names}[mode](binary, home)
        finally:
            for process in started:
                if process.poll() is None:
                    process.kill()
                    process.wait()
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
