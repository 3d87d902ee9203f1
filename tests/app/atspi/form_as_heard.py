"""The form as a screen reader hears it, through AT-SPI.

Runs on a session bus of its own (see run-atspi-test): starts an X server
on a display number it is given free, the accessibility bus, brenvik-sim on a pseudo-terminal as COM1 and the program
with its accessibility bridge on, then reads the program's tree and listens
for the status line's announcement while a scan starts and stops.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77
TIMEOUT = 15.0


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, condition, timeout=TIMEOUT, pump=None):
    """Polls condition until it gives something true; fails naming `what`."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if pump:
            pump()
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    fail("timed out waiting for " + what)


def display_in_use(number):
    """Whether an X server holds the display: its lock file here, or its
    abstract socket, which X servers of other file-system views of this
    machine share with us (and which clients try first)."""
    if os.path.exists("/tmp/.X%d-lock" % number):
        return True
    return accepts("\0/tmp/.X11-unix/X%d" % number) or accepts("/tmp/.X11-unix/X%d" % number)


def accepts(address):
    with socket.socket(socket.AF_UNIX) as probe:
        try:
            probe.connect(address)
            return True
        except OSError:
            return False


def start_x_server():
    """Xvfb on a display no other X server of the machine holds. It must not
    reset when its last client leaves (the probes below are clients), or a
    client connecting during the reset is turned away."""
    for number in range(90, 190):
        if display_in_use(number):
            continue
        server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                   "-noreset"], stderr=subprocess.DEVNULL)
        end = time.monotonic() + 10
        while time.monotonic() < end and server.poll() is None:
            if accepts("\0/tmp/.X11-unix/X%d" % number):
                os.environ["DISPLAY"] = ":%d" % number
                return server
            time.sleep(0.02)
        server.kill()
        server.wait()
    fail("no X server could be started")


def start_accessibility_bus():
    """The bus a screen reader talks on; its address is asked of the session bus."""
    from gi.repository import Gio, GLib
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    end = time.monotonic() + 10
    while time.monotonic() < end:
        try:
            address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                        None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 1000, None)
            if address.unpack()[0]:
                return launcher
        except GLib.Error:
            pass
        time.sleep(0.05)
    launcher.kill()
    print("SKIP: the AT-SPI bus could not be started", file=sys.stderr)
    sys.exit(SKIP)


def tree(accessible):
    """Every accessible below `accessible`, depth first."""
    found = []
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            found.append(child)
            found.extend(tree(child))
    return found


def main():
    brenvik, sim = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="brenvik-atspi.")
    children = []
    try:
        children.append(start_x_server())
        children.append(start_accessibility_bus())
        import pyatspi
        from gi.repository import GLib

        link = os.path.join(work, "trakbus")
        children.append(subprocess.Popen([sim, "--fast", "--link", link, "--name", "Heard", "--channel", "17"],
                                         stdout=subprocess.DEVNULL))
        wait_for("the simulator", lambda: os.path.islink(link))
        config = os.path.join(work, "config", "Olvarn")
        os.makedirs(config)
        with open(os.path.join(config, "Brenvik.conf"), "w") as conf:
            conf.write("[Ports]\n")
            for n in range(1, 21):
                conf.write("COM%d=%s\n" % (n, link if n == 1 else "/nonexistent/brenvik-atspi"))
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_RUNTIME_DIR=work)
        program = subprocess.Popen([brenvik], env=env, stdout=subprocess.DEVNULL)
        children.append(program)

        desktop = pyatspi.Registry.getDesktop(0)

        def application():
            if program.poll() is not None:
                fail("the program ended at start (exit status %d)" % program.returncode)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == program.pid:
                    return app
            return None

        app = wait_for("the program on the accessibility bus", application)

        def find(role, name=None, description=None):
            for node in tree(app):
                if node.getRole() == role and (name is None or node.name == name) \
                        and (description is None or node.description == description):
                    return node
            return None

        # The four edits by the names of their settings.
        for name in ("Group Name", "Group ID", "RF Channel", "Password Key"):
            wait_for("an edit named " + name, lambda: find(pyatspi.ROLE_TEXT, name))
        for name in ("Get", "Set", "Start Chan Scan"):
            wait_for("a button named " + name, lambda: find(pyatspi.ROLE_PUSH_BUTTON, name))
        bars = wait_for("the signal bars", lambda: find(pyatspi.ROLE_CHART, "Signal levels"))
        if bars.description != "No channel measured":
            fail("the bars describe themselves as %r before a scan" % bars.description)
        clock = wait_for("the clock", lambda: find(pyatspi.ROLE_LABEL, "Clock"))
        wait_for("the port open", lambda: find(pyatspi.ROLE_LABEL, "COM Port 1 Open", "Port status"))

        # A scan sets the monitor flag, and the status line changes: heard as a name change.
        heard = []

        def on_name(event):
            if event.source is not None and event.source.description == "Port status":
                heard.append(event.source.name)

        pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
        context = GLib.MainContext.default()

        def pump():
            while context.iteration(False):
                pass

        scan = wait_for("the scan button", lambda: find(pyatspi.ROLE_PUSH_BUTTON, "Start Chan Scan"))
        scan.queryAction().doAction(0)
        wait_for("the status line announcing the scan", lambda: "COM port Closed" in heard, pump=pump)
        wait_for("readings in the bars' description", lambda: "channel 11: last" in bars.description, pump=pump)
        if not scan.name.endswith("Stop Scan"):
            fail("the scan button reads %r during the scan" % scan.name)
        scan.queryAction().doAction(0)
        wait_for("the status line announcing the open port again", lambda: heard[-1:] == ["COM Port 1 Open"],
                 pump=pump)
        # Looked at last: the clock has its first tick (under a second after the start) by then.
        wait_for("the time in the clock's description", lambda: clock.description.count(":") == 2)
        print("PASS: edits, buttons, chart, clock and status line read as a screen reader hears them")
    finally:
        for child in reversed(children):
            child.terminate()
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                child.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
