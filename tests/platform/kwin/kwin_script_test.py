#!/usr/bin/python3
"""Drives packaging/kwin/blindfold-kwin.js inside a KWin of its own
(scripts/kwin-session.sh) with real Wayland windows, through a stand-in for
Blindfold's side of the D-Bus door.

    kwin_script_test.py              the whole run; exits 1 at the first failure
    kwin_script_test.py --stand-in HOLD_MS
                                     the stand-in alone: owns the name, prints
                                     what the script says as JSON lines, and
                                     answers the script's Next with the request
                                     arrays read from its standard input, each
                                     a numbered batch, or with an empty one
                                     after HOLD_MS

The stand-in is a process of its own so that the run can kill it as a crash
would and start another.
"""

import json
import os
import queue
import subprocess
import sys
import tempfile
import threading
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "org.blindfold.KWinTest"
OBJECT_PATH = "/org/blindfold/KWin"
INTERFACE = "org.blindfold.KWin"
PLUGIN = "blindfold"
# Blindfold's shortcuts as it hands them to the script: KWin's name, and the name a press
# is reported by.
SHORTCUTS = (("toggle", "windows"), ("panic", "panic"), ("panel", "panel"))
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

INTROSPECTION = f"""
<node>
  <interface name="{INTERFACE}">
    <method name="Windows"><arg type="s" direction="in"/></method>
    <method name="Next"><arg type="s" direction="out"/></method>
    <method name="Pressed"><arg type="s" direction="in"/></method>
  </interface>
</node>
"""


def stand_in(hold_ms):
    """Blindfold's half of the door, as small as it can be."""
    loop = GLib.MainLoop()
    queued = []
    waiting = {"call": None, "timer": 0, "batch": 0}

    def say(event):
        sys.stdout.write(json.dumps(event) + "\n")
        sys.stdout.flush()

    def answer(requests):
        call, waiting["call"] = waiting["call"], None
        if waiting["timer"]:
            GLib.source_remove(waiting["timer"])
            waiting["timer"] = 0
        batch = 0
        if requests:
            waiting["batch"] += 1
            batch = waiting["batch"]
        call.return_value(GLib.Variant("(s)", (json.dumps({"batch": batch, "requests": requests}),)))

    def answer_queued():
        answer(list(queued))
        queued.clear()

    def on_hold_over():
        waiting["timer"] = 0
        answer_queued()
        return False

    def on_call(_connection, _sender, _path, _interface, method, parameters, invocation):
        if method == "Windows":
            report = json.loads(parameters.unpack()[0])
            say({"event": "windows", "list": report["windows"], "done": report["done"]})
            invocation.return_value(None)
        elif method == "Pressed":
            say({"event": "pressed", "name": parameters.unpack()[0]})
            invocation.return_value(None)
        elif method == "Next":
            # A second poll means the script gave up on the first, whose
            # answer may never arrive: requests go to the newest.
            if waiting["call"] is not None:
                answer([])
            waiting["call"] = invocation
            say({"event": "poll"})
            if queued:
                answer_queued()
            else:
                waiting["timer"] = GLib.timeout_add(hold_ms, on_hold_over)

    def on_input(channel, _condition):
        line = channel.readline()
        if not line:
            loop.quit()
            return False
        queued.extend(json.loads(line))
        if waiting["call"] is not None:
            answer_queued()
        return True

    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    node = Gio.DBusNodeInfo.new_for_xml(INTROSPECTION)
    bus.register_object(OBJECT_PATH, node.interfaces[0], on_call)

    def on_name(_connection, _name):
        say({"event": "owner"})

    Gio.bus_own_name_on_connection(bus, SERVICE, Gio.BusNameOwnerFlags.NONE, on_name, lambda *_: loop.quit())
    GLib.io_add_watch(GLib.IOChannel.unix_new(0), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, on_input)
    loop.run()


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class StandIn:
    """The driver's handle on a stand-in process and what it has said."""

    def __init__(self, env, hold_ms=1000):
        self.process = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "--stand-in", str(hold_ms)],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)
        self.events = queue.Queue()
        self.latest = None
        threading.Thread(target=self._read, daemon=True).start()
        self.expect(lambda event: event["event"] == "owner", "the stand-in never owned its name")

    def _read(self):
        for line in self.process.stdout:
            self.events.put(json.loads(line))

    def send(self, *requests):
        self.process.stdin.write(json.dumps(list(requests)) + "\n")
        self.process.stdin.flush()

    def expect(self, matches, message, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            try:
                event = self.events.get(timeout=max(left, 0.01))
            except queue.Empty:
                raise Failure(message + (f"; last list: {self.latest}" if self.latest else "")) from None
            if event["event"] == "windows":
                self.latest = event["list"]
            if matches(event):
                return event

    def windows_where(self, matches, message):
        """The first window list for which `matches(list)` holds."""
        return self.expect(lambda event: event["event"] == "windows" and matches(event["list"]), message)["list"]

    def kill(self):
        self.process.kill()
        self.process.wait()


def by_class(windows, resource_class):
    found = [w for w in windows if w["resourceClass"] == resource_class]
    return found[0] if found else None


def window_of(windows, window_id):
    found = [w for w in windows if w["id"] == window_id]
    return found[0] if found else None


def hidden_state(window):
    return window["minimized"] and window["skipTaskbar"] and window["skipPager"] and window["skipSwitcher"]


class Session:
    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="blindfold-kwin-")
        subprocess.run([os.path.join(ROOT, "scripts", "kwin-session.sh"), "start", self.dir], check=True)
        self.env = dict(os.environ)
        with open(os.path.join(self.dir, "env")) as env_file:
            for line in env_file:
                name, _, value = line.rstrip("\n").partition("=")
                self.env[name] = value
        self.env["GDK_BACKEND"] = "wayland"
        self.env["NO_AT_BRIDGE"] = "1"
        self.env.pop("DISPLAY", None)
        self.bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        self.programs = []

    def start(self, *command):
        program = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.programs.append(program)
        return program

    def call(self, name, path, interface, method, signature=None, *args):
        parameters = GLib.Variant(signature, args) if signature else None
        return self.bus.call_sync(name, path, interface, method, parameters, None,
                                  Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def window_info(self, window_id):
        """KWin's own account of a window, read past the script."""
        return self.call("org.kde.KWin", "/KWin", "org.kde.KWin", "getWindowInfo", "(s)", window_id)[0]

    def press(self, shortcut):
        self.call("org.kde.kglobalaccel", "/component/kwin", "org.kde.kglobalaccel.Component",
                  "invokeShortcut", "(s)", shortcut)

    def load_script(self):
        with open(os.path.join(ROOT, "packaging", "kwin", "blindfold-kwin.js")) as source:
            text = source.read()
        for placeholder, value in (("@SERVICE@", SERVICE), ("@PATH@", OBJECT_PATH), ("@INTERFACE@", INTERFACE),
                                   ("@SHORTCUTS@", json.dumps([[name, f"Blindfold {key}", f"what {key} does"]
                                                               for key, name in SHORTCUTS]))):
            text = text.replace(placeholder, value)
        path = os.path.join(self.dir, "blindfold-kwin.js")
        with open(path, "w") as script:
            script.write(text)
        number = self.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript", "(ss)",
                           path, PLUGIN)[0]
        check(number >= 0, f"KWin did not load the script: {number}")
        self.call("org.kde.KWin", f"/{number}", "org.kde.kwin.Script", "run")

    def close(self):
        for program in self.programs:
            program.kill()
            program.wait()
        self.bus.close_sync(None)
        subprocess.run([os.path.join(ROOT, "scripts", "kwin-session.sh"), "stop", self.dir], check=False)


def run(session):
    demo = session.start("gtk3-demo")
    factory = session.start("gtk3-widget-factory")
    first = StandIn(session.env)
    session.load_script()

    windows = first.windows_where(
        lambda ws: by_class(ws, "gtk3-demo") and by_class(ws, "gtk3-widget-factory"),
        "the script did not list the GTK windows")
    demo_window, factory_window = by_class(windows, "gtk3-demo"), by_class(windows, "gtk3-widget-factory")
    check(demo_window["pid"] == demo.pid and factory_window["pid"] == factory.pid, f"wrong pids: {windows}")
    check(demo_window["normal"] and not demo_window["dock"] and not demo_window["desktop"],
          f"gtk3-demo is not a normal window: {demo_window}")
    check(demo_window["caption"] and demo_window["resourceName"] == "gtk3-demo", f"no caption: {demo_window}")
    check(not any(w["hiddenByBlindfold"] for w in windows), f"hidden before any hide: {windows}")
    demo_id, factory_id = demo_window["id"], factory_window["id"]

    # The widget factory is minimised by the user before anything is hidden: a
    # show must leave it minimised.
    first.send({"op": "activate", "id": factory_id})
    first.windows_where(lambda ws: window_of(ws, factory_id)["active"], "the widget factory was not activated")
    session.press("Window Minimize")
    first.windows_where(lambda ws: window_of(ws, factory_id)["minimized"],
                        "KWin's own shortcut did not minimise the widget factory")

    before = session.window_info(demo_id)
    first.send({"op": "hide", "id": demo_id})
    first.windows_where(lambda ws: window_of(ws, demo_id)["hiddenByBlindfold"] and hidden_state(window_of(ws, demo_id)),
                        "gtk3-demo was not hidden")
    info = session.window_info(demo_id)
    check(info["minimized"] and info["skipTaskbar"] and info["skipPager"] and info["skipSwitcher"],
          f"KWin does not see gtk3-demo hidden: {info}")

    first.send({"op": "show", "id": demo_id, "activate": False})
    windows = first.windows_where(lambda ws: not window_of(ws, demo_id)["hiddenByBlindfold"], "gtk3-demo was not shown")
    shown = window_of(windows, demo_id)
    check(not shown["minimized"] and not shown["skipTaskbar"] and not shown["skipPager"] and not shown["skipSwitcher"],
          f"gtk3-demo came back changed: {shown}")
    check(not shown["active"], "a show without activation activated gtk3-demo")
    after = session.window_info(demo_id)
    place = ("x", "y", "width", "height", "maximizeHorizontal", "maximizeVertical", "desktops")
    check(all(before[key] == after[key] for key in place), f"gtk3-demo moved: {before} became {after}")

    # Everything at once, then the stand-in dies as in a crash: a new one finds
    # the hidden windows in the first list it hears and shows them.
    first.send(*[{"op": "hide", "id": w["id"]} for w in windows if w["normal"]])
    first.windows_where(lambda ws: all(w["hiddenByBlindfold"] and hidden_state(w) for w in ws if w["normal"]),
                        "not every window was hidden")
    first.kill()
    second = StandIn(session.env)
    windows = second.windows_where(lambda ws: True, "the script did not report to a new Blindfold")
    hidden_ids = sorted(w["id"] for w in windows if w["hiddenByBlindfold"])
    check(hidden_ids == sorted([demo_id, factory_id]), f"the script forgot what it hid: {windows}")
    second.send(*[{"op": "show", "id": window_id, "activate": False} for window_id in hidden_ids])
    windows = second.windows_where(lambda ws: not any(w["hiddenByBlindfold"] for w in ws),
                                   "the hidden windows were not shown after the restart")
    check(not window_of(windows, demo_id)["minimized"] and window_of(windows, factory_id)["minimized"],
          f"the shows did not give back each window's minimised state: {windows}")
    check(not any(w["skipTaskbar"] or w["skipSwitcher"] for w in windows),
          f"a window stayed out of the taskbar: {windows}")

    # A copy loaded anew has forgotten what the one before hid: the show
    # carries what Blindfold recorded, and the window gets exactly that back.
    # Hidden twice, it is hidden once.
    given = {"minimized": False, "skipTaskbar": False, "skipPager": False, "skipSwitcher": False,
             "opacity": 1, "byOpacity": False}
    second.send({"op": "hide", "id": demo_id, "givenBack": given}, {"op": "hide", "id": demo_id, "givenBack": given})
    second.windows_where(lambda ws: hidden_state(window_of(ws, demo_id)), "gtk3-demo was not hidden")
    unloaded = session.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", "(s)", PLUGIN)[0]
    check(unloaded, "KWin did not unload the script")
    session.load_script()
    second.windows_where(lambda ws: not window_of(ws, demo_id)["hiddenByBlindfold"]
                         and hidden_state(window_of(ws, demo_id)), "the new copy did not report the hidden gtk3-demo")
    second.expect(lambda event: event["event"] == "poll", "the new copy did not ask for requests")
    second.send({"op": "show", "id": demo_id, "activate": False, "givenBack": given})
    windows = second.windows_where(lambda ws: not window_of(ws, demo_id)["minimized"],
                                   "the new copy did not show what the old one hid")
    back = window_of(windows, demo_id)
    check(not any(back[key] for key in ("skipTaskbar", "skipPager", "skipSwitcher", "hiddenByBlindfold")),
          f"gtk3-demo came back changed: {back}")

    for key, name in SHORTCUTS:
        session.press(f"Blindfold {key}")
        second.expect(lambda event: event == {"event": "pressed", "name": name}, f"the {name} shortcut did not arrive")

    # A window that goes while hidden is forgotten; one that comes is listed.
    second.send({"op": "hide", "id": factory_id})
    second.windows_where(lambda ws: window_of(ws, factory_id)["hiddenByBlindfold"], "the widget factory was not hidden")
    factory.kill()
    second.windows_where(lambda ws: window_of(ws, factory_id) is None, "the closed widget factory stayed in the list")
    late = session.start("gtk3-icon-browser")
    second.windows_where(lambda ws: any(w["pid"] == late.pid and not w["hiddenByBlindfold"] for w in ws),
                         "a new window was not listed")

    unloaded = session.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", "(s)", PLUGIN)[0]
    check(unloaded, "KWin did not unload the script")
    second.kill()


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--stand-in":
        stand_in(int(sys.argv[2]))
        return 0
    session = Session()
    try:
        run(session)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        with open(os.path.join(session.dir, "kwin.log")) as log:
            sys.stderr.writelines(line for line in log.readlines()[-20:] if "Blindfold" in line or "js:" in line)
        return 1
    finally:
        session.close()
    print("kwin script test: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
