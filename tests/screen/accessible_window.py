#!/usr/bin/python3
# Reads the window as a screen reader does, through AT-SPI: every control an
# operator can reach has an Italian name of its own, and moving with Down and
# Enter through the fields announces each field by its name, in order.
# Usage (inside a D-Bus session, on an X display):
#   accessible_window.py PROGRAM_FOLDER
# PROGRAM_FOLDER holds the program and its Morvanex.ini, with the
# demonstration company. Exit 0 when every check holds.
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WAIT_SECONDS = 60

# Down from the description, then Enter: the fields of ARRIVI in their order.
EXPECTED_FOCUS = [
    "Descrizione registro",
    "ARRIVI, serie",
    "ARRIVI, ultimo numero cronologico",
    "ARRIVI, tipo documento 1",
    "ARRIVI, numero documento 1",
    "ARRIVI, tipo documento 2",
    "ARRIVI, numero documento 2",
]

# Roles that are not controls of their own: the window itself and list rows.
ROWS = (pyatspi.ROLE_FRAME, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL)

focus_events = []


def on_focus(event):
    if event.detail1 == 1:
        try:
            focus_events.append(event.source.name)
        except Exception:  # the control went away meanwhile
            pass


# The program under test, once started: a wait ends as soon as it has exited.
PROGRAM = None


def pump(seconds=0.05):
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(what, condition):
    end = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < end:
        if PROGRAM is not None and PROGRAM.poll() is not None:
            sys.exit("il programma è terminato (stato %d) prima di: %s" % (PROGRAM.returncode, what))
        value = condition()
        if value:
            return value
        pump()
    sys.exit("mai avvenuto: " + what)


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid and app.childCount > 0:
                return app
        except Exception:
            continue
    return None


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def reachable(node):
    states = node.getState()
    return (states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING)
            and states.contains(pyatspi.STATE_SENSITIVE))


def focused_name(app):
    for node in walk(app):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return node.name
    return None


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "50"] + list(names), check=True)


def main():
    folder = sys.argv[1]
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       QT_ACCESSIBILITY="1")
    global PROGRAM
    program = PROGRAM = subprocess.Popen([os.path.join(folder, "quenvol")], env=environment)
    failures = []
    try:
        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        app = wait_for("la finestra nell'albero AT-SPI", lambda: find_application(program.pid))
        # The code field has the focus once the window is loaded.
        wait_for("il fuoco sul campo del codice", lambda: focused_name(app) == "Codice registro")

        names = {}
        for node in walk(app):
            # The rows of a list are read as its rows, not as controls.
            if node.getRole() in ROWS or not reachable(node):
                continue
            name = node.name.strip()
            where = "%s (%s)" % (name or "<senza nome>", node.getRoleName())
            if not name:
                failures.append("controllo senza nome: " + where)
            names.setdefault(name, []).append(where)
        for name, holders in names.items():
            if name and len(holders) > 1:
                failures.append("nome ripetuto: %s" % ", ".join(holders))
        if len(names) < 40:  # the register panel was read, not an empty window
            failures.append("solo %d controlli raggiungibili nell'albero" % len(names))

        del focus_events[:]
        subprocess.run(["xdotool", "type", "--delay", "50", "R1"], check=True)
        keys("Return")
        wait_for("il fuoco sulla descrizione", lambda: "Descrizione registro" in focus_events)
        keys("Down", "Down", "Down", "Return", "Return", "Return")
        wait_for("il fuoco su " + EXPECTED_FOCUS[-1], lambda: EXPECTED_FOCUS[-1] in focus_events)
        pump(0.5)
        start = focus_events.index("Descrizione registro")
        seen = [name for name in focus_events[start:] if name]
        if seen[:len(EXPECTED_FOCUS)] != EXPECTED_FOCUS:
            failures.append("fuoco annunciato: %s; atteso: %s" % (seen, EXPECTED_FOCUS))
    finally:
        program.terminate()
        try:
            program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            program.kill()
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
