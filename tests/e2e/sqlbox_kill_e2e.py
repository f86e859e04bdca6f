#!/usr/bin/python3
"""The SQL input box's text survives a kill: the real program is killed (SIGKILL) at a random
moment while text is typed into the box with real keys, started again, and must show what was
typed but for at most the last second (run it under desktop_session.sh).

  sqlbox_kill_e2e.py VARKEL_BINARY SOURCE_DIR [KILLS] [SEED]

KILLS is 10 unless given (100 for the full measure); each round types on from the text that the
start brought back. The most typing lost is printed.
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sqlbox_e2e import click, text_of, xdo  # noqa: E402
from windows_e2e import Program, check, failures, find, showing, started, wait_for  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

KEPT_SECONDS = 1.0  # what the program may lose: the last second of typing
# Time for a key to go from xdotool through the X server into the box, and for the write that
# keeps it, under the sanitizers of the test build.
DELIVERY_SECONDS = 0.5
LETTERS = "abcdefghijklmnopqrstuvwxyz"


def start(binary, home):
    """The program with its connection dialog cancelled, and its SQL input box."""
    program = Program(binary, home)
    dialog = program.window("dialog", "データベース接続")
    time.sleep(0.5)  # the dialog takes keys once the window manager has activated it
    xdo("key", "Escape")
    wait_for("connection dialog closed", lambda: not showing(dialog))
    main = program.window("frame", "Varkel Light")
    return program, find(main, "text", "SQL入力エリア")


def kept(home):
    try:
        with open(os.path.join(home, "SQLBOX.TXT"), "rb") as f:
            return f.read().decode("utf-8")
    except FileNotFoundError:
        return ""


def rounds(binary, work, kills, rng):
    home = os.path.join(work, "home")
    os.makedirs(home)
    odbc = os.path.join(work, "odbc")
    os.makedirs(odbc)
    for name in ("odbcinst.ini", "odbc.ini", "user-odbc.ini"):
        open(os.path.join(odbc, name), "w").close()
    os.environ.update(ODBCSYSINI=odbc, ODBCINI=os.path.join(odbc, "user-odbc.ini"))

    text = ""  # what the box holds after the start, as the last round left it
    worst = 0.0
    typed_total = lost_total = 0
    for round_no in range(kills):
        program, box = start(binary, home)
        check(f"round {round_no}: the start brings the text back", text, text_of(box))
        click(box)
        xdo("key", "ctrl+End")
        # Type until a random moment, then kill; each key's send time is kept.
        kill_after = rng.uniform(0.3, 3.0)
        sent = []
        began = time.monotonic()
        while time.monotonic() - began < kill_after:
            letter = LETTERS[(len(text) + len(sent)) % len(LETTERS)]
            sent.append((time.monotonic(), letter))
            xdo("type", letter)
        os.kill(program.process.pid, signal.SIGKILL)
        killed = time.monotonic()
        program.process.wait()
        program.log.close()

        typed = text + "".join(letter for _, letter in sent)
        now = kept(home)
        check(f"round {round_no}: the file holds a beginning of the typed text", True,
              typed.startswith(now) and len(now) >= len(text))
        lost = len(typed) - len(now)
        if 0 < lost <= len(sent):
            worst = max(worst, killed - sent[len(sent) - lost][0])
        typed_total += len(sent)
        lost_total += lost
        text = now
    print(f"{kills} kills, {typed_total} keys typed, {lost_total} lost; "
          f"the most typing lost: {worst:.2f} s")
    check("at most the last second of typing lost", True,
          worst <= KEPT_SECONDS + DELIVERY_SECONDS)


def main():
    binary = sys.argv[1]
    kills = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else time.time_ns() % 1000000
    print(f"seed {seed}")
    work = tempfile.mkdtemp()
    try:
        rounds(binary, work, kills, random.Random(seed))
    finally:
        for process in started:
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(work)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
