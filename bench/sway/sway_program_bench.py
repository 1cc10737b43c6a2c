#!/usr/bin/env python3
"""Hide and show latency of Blindfold on sway against the floor, in one run.

N foot windows of one process (a foot server), picked by an always-hide entry
of their app id. Blindfold: from the windows hotkey's press (wtype, through
sway's virtual keyboard) to sway's move event of the last of the N windows.
The floor: a key pressed the same way, bound to one sway command moving the
same windows to the scratchpad, or back to their workspace, tiled: what sway
does for one IPC message carrying that command, with the same way in. Blindfold and the floor take turns in each round, the first of
the two alternating; every row is a median of REPEATS rounds.

  sway_program_bench.py BLINDFOLD WORK_DIR [N...]   (the sway session's env set)
"""
import json
import os
import select
import socket
import statistics
import struct
import subprocess
import sys
import time

MAGIC = b"i3-ipc"
RUN_COMMAND, GET_TREE, SUBSCRIBE = 0, 4, 2
EVENT_WINDOW, EVENT_BINDING = 3, 5
APP_ID = "blindfold-bench"
TIMEOUT = 120.0


class Ipc:
    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.buffer = b""

    def send(self, kind, payload=b""):
        self.sock.sendall(MAGIC + struct.pack("<II", len(payload), kind) + payload)

    def read(self, deadline):
        while True:
            if len(self.buffer) >= 14:
                length, kind = struct.unpack("<II", self.buffer[6:14])
                if len(self.buffer) >= 14 + length:
                    payload = self.buffer[14:14 + length]
                    self.buffer = self.buffer[14 + length:]
                    return kind, payload
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.sock], [], [], left)[0]:
                raise TimeoutError("sway did not answer in time")
            chunk = self.sock.recv(1 << 20)
            if not chunk:
                raise ConnectionError("sway went away")
            self.buffer += chunk

    def request(self, kind, payload=b""):
        self.send(kind, payload)
        return json.loads(self.read(time.monotonic() + TIMEOUT)[1])


def views(tree, workspace=None):
    """(id, workspace) of every view of the bench's app id."""
    found = []

    def walk(node, here):
        if node.get("type") == "workspace":
            here = node["name"]
        if node.get("app_id") == APP_ID:
            found.append((node["id"], here))
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child, here)

    walk(tree, workspace)
    return found


class Desk:
    def __init__(self, work):
        self.commands = Ipc(os.environ["SWAYSOCK"])
        self.events = Ipc(os.environ["SWAYSOCK"])
        self.events.send(SUBSCRIBE, b'["window","binding"]')
        self.events.read(time.monotonic() + TIMEOUT)
        self.socket = os.path.join(work, "foot.sock")
        self.server = subprocess.Popen(["foot", "--server=" + self.socket, "--log-level=error"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=work)
        self.count = 0

    def views(self):
        return views(self.commands.request(GET_TREE))

    def open_windows(self, n):
        end = time.monotonic() + TIMEOUT
        while self.count < n:
            result = subprocess.run(["footclient", "--server-socket=" + self.socket, "--no-wait",
                                     "--app-id=" + APP_ID, "-T", "w%d" % self.count],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if result.returncode != 0:
                if time.monotonic() > end:
                    raise RuntimeError("the foot server takes no window")
                time.sleep(0.1)
                continue
            self.count += 1
        end = time.monotonic() + TIMEOUT
        while len(self.views()) < n:
            if time.monotonic() > end:
                raise TimeoutError("the windows did not open")
            time.sleep(0.1)
        self.drain()

    def close_windows(self):
        self.commands.request(RUN_COMMAND, ('[app_id="%s"] kill' % APP_ID).encode())
        end = time.monotonic() + TIMEOUT
        while self.views() and time.monotonic() < end:
            time.sleep(0.1)
        self.count = 0
        self.drain()

    def drain(self):
        while select.select([self.events.sock], [], [], 0.2)[0] or len(self.events.buffer) >= 14:
            try:
                self.events.read(time.monotonic() + 1)
            except TimeoutError:
                return

    def settled(self, hidden):
        """Whether every view is where a hide (show) leaves it."""
        return all((workspace == "__i3_scratch") == hidden for _, workspace in self.views())

    def wait_moves(self, ids, start, deadline):
        """Milliseconds from `start` to the last of `ids` told moved."""
        left = set(ids)
        while left:
            kind, payload = self.events.read(deadline)
            event = json.loads(payload)
            if os.environ.get("BENCH_DEBUG"):
                print(kind & 0x7fffffff, event.get("change"), event.get("container", {}).get("id"),
                      event.get("binding", {}).get("command"), file=sys.stderr)
            if kind & 0x7fffffff == EVENT_BINDING:
                continue
            if event.get("change") == "move":
                left.discard(event.get("container", {}).get("id"))
        return (time.monotonic() - start) * 1000.0

    def bind_floor(self):
        """The floor's keys: sway itself runs one command moving the windows."""
        for key, command in (("y", "[app_id=%s] move scratchpad" % APP_ID),
                             ("u", "[app_id=%s] move container to workspace 1, floating disable" % APP_ID)):
            reply = self.commands.request(RUN_COMMAND, ('bindsym --no-repeat Ctrl+Mod1+%s "%s"' % (key, command)).encode())
            if not all(result.get("success") for result in reply):
                raise RuntimeError("sway refused the floor's key: %s" % reply)

    def pass_by_key(self, key, hidden):
        """From the key's press, sent as Blindfold's is, to the last window moved."""
        ids = [view for view, _ in self.views()]
        self.drain()
        start = time.monotonic()
        subprocess.run(["wtype", "-M", "ctrl", "-M", "alt", "-k", key, "-m", "alt", "-m", "ctrl"], check=True)
        took = self.wait_moves(ids, start, time.monotonic() + TIMEOUT)
        self.wait_until(hidden)
        return took

    def blindfold_pass(self, hidden):
        return self.pass_by_key("z", hidden)

    def floor_pass(self, hidden):
        return self.pass_by_key("y" if hidden else "u", hidden)

    def wait_until(self, hidden):
        end = time.monotonic() + TIMEOUT
        while not self.settled(hidden):
            if time.monotonic() > end:
                raise TimeoutError("the windows did not settle")
            time.sleep(0.05)
        time.sleep(0.3)
        self.drain()


def start_blindfold(program, work):
    home = os.path.join(work, "home")
    etc = os.path.join(work, "etc")
    run = os.path.join(work, "run")
    for folder in (home, etc, run):
        os.makedirs(folder, exist_ok=True)
    os.chmod(run, 0o700)
    config = etc if os.getuid() == 0 else os.path.join(home, ".config")
    os.makedirs(os.path.join(config, "blindfold"), exist_ok=True)
    with open(os.path.join(config, "blindfold", "settings.ini"), "w") as settings:
        settings.write("[Software/Blindfold/ShortcutKeys]\nBlindfoldShortcutKey=0,1,1,0,X\n"
                       "WindowsShortcutKey=0,1,1,0,Z\nPanicShortcutKey=0,1,1,0,V\nStartHidden=1\n"
                       "DisplayIcon=0\nTaskbar=0\nProgramManager=0\n\n[Software/Blindfold]\n"
                       "AlwaysHide=bench\t%s  (class)\n" % APP_ID)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_CONFIG_DIRS=etc,
               XDG_RUNTIME_DIR=run, BLINDFOLD_LOG="info", BLINDFOLD_LOG_FILE=os.path.join(work, "blindfold.trace"))
    env.pop("DISPLAY", None)
    blindfold = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                 stderr=open(os.path.join(work, "blindfold.log"), "w"))
    trace = os.path.join(work, "blindfold.trace")
    end = time.monotonic() + TIMEOUT
    while time.monotonic() < end:
        if os.path.exists(trace) and "the windows hotkey armed" in open(trace, errors="replace").read():
            return blindfold
        time.sleep(0.1)
    blindfold.kill()
    raise TimeoutError("Blindfold did not arm its keys")


def main():
    program, work = sys.argv[1], sys.argv[2]
    counts = [int(n) for n in sys.argv[3:]] or [1, 5, 20, 200]
    repeats = int(os.environ.get("REPEATS", "9"))
    # The Wayland display by its path: Blindfold gets a runtime folder of its own.
    os.environ["WAYLAND_DISPLAY"] = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"])
    desk = Desk(work)
    desk.bind_floor()
    blindfold = start_blindfold(program, work)
    rows = []
    try:
        for n in counts:
            desk.close_windows()
            desk.open_windows(n)
            taken = {"hide": ([], []), "show": ([], [])}
            for round_ in range(repeats):
                turns = [("blindfold", 0), ("floor", 1)]
                if round_ % 2:
                    turns.reverse()
                for who, column in turns:
                    run = desk.blindfold_pass if who == "blindfold" else desk.floor_pass
                    taken["hide"][column].append(run(True))
                    taken["show"][column].append(run(False))
            for what in ("hide", "show"):
                ours, floor = (statistics.median(values) for values in taken[what])
                rows.append((what, n, ours, floor))
                print("%s %d: %.1f / %.1f ms" % (what, n, ours, floor), file=sys.stderr, flush=True)
    finally:
        blindfold.terminate()
        blindfold.wait()
        desk.close_windows()
        desk.server.terminate()
    print("| What | N | Blindfold (ms) | Floor (ms) | Ratio | Goal: at most (ms) |")
    print("|---|---|---|---|---|---|")
    for what, n, ours, floor in rows:
        print("| %s | %d | %.1f | %.1f | %.2f | %.1f |" % (what, n, ours, floor, ours / floor, 1.3 * floor + 5))


if __name__ == "__main__":
    main()
