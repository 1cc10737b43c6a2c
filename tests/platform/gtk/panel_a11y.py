#!/usr/bin/python3
"""The Blindfold panel as a screen reader finds it, through AT-SPI.

  panel_a11y.py check            every control of the five pages (each page
                                 shown once before) found by its accessible
                                 name, in its frame; the missing ones listed
  panel_a11y.py focused          the focused control: "ROLE|NAME|FRAME"
  panel_a11y.py where NAME [FRAME]   the middle of that control on the screen,
                                 "X Y", for a click
  panel_a11y.py cell LIST ROW COLUMN  the middle of a list's cell, "X Y"; LIST
                                 is the start of the list's name
  panel_a11y.py shows TEXT       succeeds when a label shown starts with TEXT
  panel_a11y.py chosen FRAME     the option buttons chosen in that frame, one a
                                 line
  panel_a11y.py login            succeeds when the Login dialog's password box
                                 is named by its label
  panel_a11y.py answer PASSWORD  types PASSWORD into the Login dialog's box and
                                 presses its OK, as a screen reader's user would

A frame is named by the start of its caption. Runs on the session's D-Bus.
"""
import sys

import pyatspi

OPEN_WINDOWS = "Open windows list"
ALWAYS_HIDE = "Always hide list"
HOTKEY_FRAMES = ("Blindfold hide/display hotkey", "Windows hide/display hotkey", "Panic hide hotkey")
TRAY_MENU = "Display Menu - Blindfold Tray Icon"
TRAY_HIDE = "Hide Windows - Blindfold Tray Icon"
GESTURES = ("[Dbl left click]", "[Left click]", "[Dbl right click]", "[Right click]", "[Dbl mid click]",
            "[Mid click]")

# (frame, role, name): every control a user reaches, by the name a screen
# reader says.
EXPECTED = [
    (OPEN_WINDOWS, "table", OPEN_WINDOWS),
    (OPEN_WINDOWS, "push button", "[ Select All ]"),
    (OPEN_WINDOWS, "push button", "[ Clear All ]"),
    (OPEN_WINDOWS, "check box", "[ Hide Taskbar ]"),
    (OPEN_WINDOWS, "check box", "[ Hide desktop icons ]"),
    (OPEN_WINDOWS, "push button", "Always hide program"),
    (OPEN_WINDOWS, "push button", "Refresh"),
    (ALWAYS_HIDE, "table", ALWAYS_HIDE),
    ("Password protection", "password text", "Password:"),
    ("Password protection", "push button", "Set password"),
    ("Password protection", "check box", "[ Password protect 'Show Blindfold' ]"),
    ("Password protection", "check box", "[ Password protect 'Show windows' ]"),
    ("Password protection", "check box", "[ Password protect 'Shutdown Blindfold' ]"),
    ("Sound (volume) control", "check box", "[ Mute sound when hiding windows ]"),
    ("Sound (volume) control", "slider", "Restore volume level (0-100%):"),
    ("Start options", "check box", "[ Start Blindfold in hidden mode ]"),
    ("Start options", "check box", "[ Start Blindfold everytime you log in ]"),
    ("Blindfold Tray Icon display", "check box", "[ Display Blindfold icon in the system tray ]"),
    ("Blindfold Tray Icon display", "text", "Blindfold Tray Icon display"),
    ("Blindfold Tray Icon display", "push button", "[ Browse for Icon ]"),
    (TRAY_MENU, None, TRAY_MENU),
    ("Blindfold Tray Icon Tip", "text", "Blindfold Tray Icon Tip:"),
    (TRAY_HIDE, None, TRAY_HIDE),
    (None, "push button", "Acknowledgments"),
    (None, "push button", "Shutdown"),
    (None, "push button", "Hide me!"),
]
for frame in HOTKEY_FRAMES:
    EXPECTED += [(frame, "check box", f"[ {key}Key ]") for key in ("Win", "Ctrl", "Alt", "Shift")]
    EXPECTED.append((frame, "text", "Key:"))
for frame in (TRAY_MENU, TRAY_HIDE):
    EXPECTED += [(frame, "radio button", gesture) for gesture in GESTURES]


def window(role="frame", name="Blindfold"):
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "blindfold":
            continue
        for found in app:
            if found is not None and found.getRoleName() == role and found.name == name:
                return found
    sys.exit(f"no Blindfold {role} {name!r} on the accessibility bus")


def panel():
    return window()


def controls(node, frame=None):
    """Every accessible under node, with the caption of the frame it is in."""
    try:
        role, name = node.getRoleName(), (node.name or "").strip()
    except Exception:
        return
    yield node, role, name, frame
    if role == "panel" and name:
        frame = name
    for i in range(node.childCount):
        yield from controls(node.getChildAtIndex(i), frame)


def middle(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return f"{box.x + box.width // 2} {box.y + box.height // 2}"


def named(found, wanted):
    """A name, or a caption that goes on with what the program adds (a count)."""
    return found == wanted or found.startswith(wanted + " ")


def in_frame(found, wanted):
    return wanted is None or (found or "").startswith(wanted)


def check():
    everything = list(controls(panel()))
    missing = []
    for frame, role, name in EXPECTED:
        if not any(named(n, name) and (role is None or r == role) and in_frame(f, frame) for _, r, n, f in everything):
            missing.append(f"{role} {name!r} in {frame!r}")
    # The unnamed: every field a screen reader would announce by its kind alone.
    for _, role, name, frame in everything:
        if role in ("text", "password text", "table", "slider") and not name:
            missing.append(f"a {role} without a name in {frame!r}")
    for line in missing:
        print("not found:", line)
    return 1 if missing else 0


def focused():
    for node, role, name, frame in controls(panel()):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            print(f"{role}|{name}|{frame or ''}")
            return 0
    return 1


def where(name, frame=None):
    for node, _, found, found_frame in controls(panel()):
        if found == name and in_frame(found_frame, frame) and node.getState().contains(pyatspi.STATE_SHOWING):
            print(middle(node))
            return 0
    return 1


def cell(list_name, row, column):
    for node, role, name, _ in controls(panel()):
        if role == "table" and name.startswith(list_name):
            table = node.queryTable()
            if int(row) >= table.nRows:
                return 1
            print(middle(table.getAccessibleAt(int(row), int(column))))
            return 0
    return 1


def shows(text):
    for node, role, name, _ in controls(panel()):
        if role == "label" and name.startswith(text) and node.getState().contains(pyatspi.STATE_SHOWING):
            return 0
    return 1


def chosen(frame):
    for node, role, name, found_frame in controls(panel()):
        if role == "radio button" and in_frame(found_frame, frame) and node.getState().contains(pyatspi.STATE_CHECKED):
            print(name)
    return 0


def login():
    """A named password box, and the buttons in GNOME's order: Cancel, then OK."""
    nodes = {(role, name): node for node, role, name, _ in controls(window("dialog", "Login"))}
    buttons = [nodes.get(("push button", name)) for name in ("Cancel", "OK")]
    if ("password text", "Password:") not in nodes or None in buttons:
        return 1
    left = [button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).x for button in buttons]
    return 0 if left[0] < left[1] else 1


def answer(password):
    nodes = {(role, name): node for node, role, name, _ in controls(window("dialog", "Login"))}
    box = nodes.get(("password text", "Password:"))
    ok = nodes.get(("push button", "OK"))
    if box is None or ok is None:
        sys.exit("the Login dialog has no password box or no OK")
    box.queryEditableText().setTextContents(password)
    ok.queryAction().doAction(0)
    return 0


if __name__ == "__main__":
    commands = {"check": check, "focused": focused, "where": where, "cell": cell, "shows": shows, "chosen": chosen,
                "login": login, "answer": answer}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    sys.exit(commands[sys.argv[1]](*sys.argv[2:]))
