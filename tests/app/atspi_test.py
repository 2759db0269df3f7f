#!/usr/bin/env python3
"""The desktop program as a screen reader reads it over AT-SPI: the program text with its
caret, the registers and flags, and an error in the Output pane after Assemble.

Usage: atspi_test.py TARVIX SOURCE.asm

Runs itself again on its own Xvfb display and a private D-Bus session; exits 77 (skipped)
where Xvfb, dbus-run-session or pyatspi is missing or no display takes a connection.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
INNER = "TARVIX_ATSPI_INNER"


def with_pyatspi():
    """This interpreter, or the system's where Debian's python3-pyatspi lives."""
    for python in (sys.executable, "/usr/bin/python3"):
        check = [python, "-c", "import pyatspi"]
        if os.path.exists(python) and subprocess.run(check, capture_output=True).returncode == 0:
            return python
    return None


def display_answers(number):
    """Whether an X server takes connections on `number` by either socket libxcb tries."""
    for address in ("\0/tmp/.X11-unix/X%d" % number, "/tmp/.X11-unix/X%d" % number):
        with socket.socket(socket.AF_UNIX) as probe:
            try:
                probe.connect(address)
                return True
            except OSError:
                pass
    return False


def lock_holder(number):
    try:
        with open("/tmp/.X%d-lock" % number) as lock:
            return int(lock.read().strip())
    except (OSError, ValueError):
        return None


def start_xvfb(log):
    """An X server of our own, on a display well above the low numbers a desktop or a CI
    machine may hold or have left a stale socket on (the CI's display :0 took no connection).
    Xvfb locks its display, so of two tests that pick the same number the loser ends and this
    tries the next; the lock's pid tells our server from another one answering there."""
    first = 100 + os.getpid() % 400
    for number in range(first, first + 8):
        server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x800x24",
                                   "-nolisten", "tcp"], stdout=log, stderr=log,
                                  start_new_session=True)
        end = time.monotonic() + 8
        while server.poll() is None and time.monotonic() < end:
            if lock_holder(number) == server.pid and display_answers(number):
                return server, ":%d" % number
            time.sleep(0.1)
        stop_xvfb(server)
    return None, None


def stop_xvfb(server):
    """Asked to end, Xvfb removes its lock and socket; killed, it would leave them behind."""
    server.terminate()
    try:
        server.wait(timeout=5)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


def outer():
    missing = [tool for tool in ("Xvfb", "dbus-run-session") if shutil.which(tool) is None]
    python = with_pyatspi()
    if python is None:
        missing.append("pyatspi")
    if missing:
        print("skipped: no " + ", ".join(missing))
        return SKIPPED
    log = tempfile.TemporaryFile(mode="w+")
    server, display = start_xvfb(log)
    if server is None:
        # The machine cannot give a display to a program: like a missing Xvfb, not a fault of ours.
        log.seek(0)
        print("skipped: no Xvfb display took a connection; its last words:\n" + log.read()[-2000:])
        return SKIPPED
    command = ["dbus-run-session", "--", python, os.path.abspath(__file__)] + sys.argv[1:]
    # Its own process group, so that a hang takes everything it started down with it.
    run = subprocess.Popen(command, env=dict(os.environ, DISPLAY=display, **{INNER: "1"}),
                           start_new_session=True)
    try:
        return run.wait(timeout=90)
    except subprocess.TimeoutExpired:
        os.killpg(run.pid, signal.SIGKILL)
        print("FAIL: timed out")
        return 1
    finally:
        stop_xvfb(server)


def waited(what, find, seconds=20):
    """Polls `find` until it gives something, or fails the test naming `what`."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError("not found: " + what)


def descendants(node, skipped_roles):
    """Every object under `node`, not entering lists, tables and menus: the RAM list alone
    has 4096 rows, each a round trip over the bus."""
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is None:
            continue
        yield child
        if child.getRole() not in skipped_roles:
            yield from descendants(child, skipped_roles)


def inner(program, example):
    import pyatspi
    skipped = {pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_MENU_BAR,
               pyatspi.ROLE_MENU, pyatspi.ROLE_LIST_BOX}
    folder = tempfile.mkdtemp()
    source = os.path.join(folder, "program.asm")
    shutil.copyfile(example, source)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_CONFIG_HOME=folder, ASAN_OPTIONS="detect_leaks=0")
    kit = subprocess.Popen([program, source], env=env)
    try:
        def application():
            if kit.poll() is not None:
                raise AssertionError("the program ended as it started, exit status %d" % kit.returncode)
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == kit.pid:
                    return app
            return None

        def named(name, role=None):
            def find():
                for node in descendants(waited("the program", application), skipped):
                    if node.name == name and (role is None or node.getRole() == role):
                        return node
                return None
            return find

        editor = waited("the program text", named("Program", pyatspi.ROLE_TEXT))
        text = editor.queryText()
        whole = text.getText(0, -1)
        assert "mov si,1100" in whole, whole
        text.setCaretOffset(whole.index("mov cx,5"))
        line, start, _ = text.getTextAtOffset(text.caretOffset, pyatspi.TEXT_BOUNDARY_LINE_START)
        assert line.strip().startswith("mov cx,5"), repr(line)
        print("program text: %d characters, caret %d on %r" % (len(whole), text.caretOffset,
                                                                 line.strip()))

        ax = waited("register AX", named("AX"))
        assert len(ax.description) == 4, ax.description
        carry = waited("the carry flag", named("Carry flag"))
        assert carry.description in ("set", "clear"), carry.description
        print("registers: AX %s, Carry flag %s" % (ax.description, carry.description))

        editor.queryEditableText().insertText(0, "bogus ax\n", 9)
        assemble = waited("the Assemble button", named("Assemble", pyatspi.ROLE_PUSH_BUTTON))
        assemble.queryAction().doAction(0)

        def error_shown():
            for node in descendants(application(), skipped):
                if node.description == "Output" and "Error" in node.name:
                    return node
            return None
        output = waited("an error in the Output pane", error_shown)
        print("output pane: %s" % output.name)
        return 0
    finally:
        kit.terminate()
        try:
            kit.wait(timeout=5)
        except subprocess.TimeoutExpired:
            kit.kill()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if os.environ.get(INNER) != "1":
        return outer()
    signal.alarm(80)  # the last guard against a hang: the alarm ends the process
    try:
        return inner(sys.argv[1], sys.argv[2])
    except AssertionError as failure:
        print("FAIL: %s" % failure)
        return 1


if __name__ == "__main__":
    sys.exit(main())
