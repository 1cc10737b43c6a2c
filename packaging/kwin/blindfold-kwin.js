// Blindfold's hands inside KWin (Plasma 5.27, Wayland), where no other program
// may hide a window. Blindfold puts its D-Bus name, path and interface in place
// of @SERVICE@, @PATH@ and @INTERFACE@, loads the text with
// org.kde.kwin.Scripting.loadScript and runs it with org.kde.kwin.Script.run on
// the path /<number loadScript gave>.
//
// Towards Blindfold (all calls on the session bus, every argument a string):
//   Windows(json)  the window list, at the start, after every change and after
//                  each batch of requests: an array of
//                  {id, caption, resourceClass, resourceName, pid, normal, dialog,
//                   dock, desktop, transientFor, stackingOrder, minimized,
//                   skipTaskbar, skipPager, skipSwitcher, active, hiddenByBlindfold}
//   Next() -> json a long poll for requests: an array of {op: "hide", id},
//                  {op: "show", id, activate}, {op: "activate", id} or
//                  {op: "list"}; an empty array asks for nothing. Blindfold
//                  answers within 20 seconds, inside D-Bus's 25.
//   Pressed(name)  a global shortcut: "toggle", "panic" or "panel".
//
// The windows this script hid are kept here, not in Blindfold, so that a
// Blindfold started after one that died can still show them.

var service = "@SERVICE@";
var objectPath = "@PATH@";
var iface = "@INTERFACE@";

// What a hidden window was before the hide, by id, to be given back exactly.
var hidden = {};

function idOf(window) {
  return String(window.internalId);
}

function findWindow(id) {
  var windows = workspace.clientList();
  for (var i = 0; i < windows.length; i++) {
    if (idOf(windows[i]) === id) return windows[i];
  }
  return null;
}

function describe(window) {
  var owner = window.transientFor;
  return {
    id: idOf(window),
    caption: String(window.caption),
    resourceClass: String(window.resourceClass),
    resourceName: String(window.resourceName),
    pid: window.pid,
    normal: !!window.normalWindow,
    dialog: !!window.dialog,
    dock: !!window.dock,
    desktop: !!window.desktopWindow,
    transientFor: owner ? idOf(owner) : "",
    stackingOrder: window.stackingOrder,
    minimized: !!window.minimized,
    skipTaskbar: !!window.skipTaskbar,
    skipPager: !!window.skipPager,
    skipSwitcher: !!window.skipSwitcher,
    active: !!window.active,
    hiddenByBlindfold: hidden.hasOwnProperty(idOf(window))
  };
}

function report() {
  var windows = workspace.clientList();
  var list = [];
  for (var i = 0; i < windows.length; i++) list.push(describe(windows[i]));
  callDBus(service, objectPath, iface, "Windows", JSON.stringify(list));
}

// A burst of changes (a window mapping changes its caption, class and
// activation at once) becomes one report, sent when KWin is next idle.
var reportTimer = new QTimer();
reportTimer.singleShot = true;
reportTimer.interval = 0;
reportTimer.timeout.connect(report);
function reportSoon() {
  if (!reportTimer.active) reportTimer.start();
}

// A window that cannot be minimised (a panel) is made fully transparent
// instead; either way it leaves the taskbar, the pager and Alt+Tab.
function hide(window) {
  var id = idOf(window);
  if (!hidden.hasOwnProperty(id)) {
    hidden[id] = {
      minimized: !!window.minimized,
      skipTaskbar: !!window.skipTaskbar,
      skipPager: !!window.skipPager,
      skipSwitcher: !!window.skipSwitcher,
      opacity: window.opacity,
      byOpacity: !window.minimizable
    };
  }
  window.skipTaskbar = true;
  window.skipPager = true;
  window.skipSwitcher = true;
  if (hidden[id].byOpacity) {
    window.opacity = 0;
  } else {
    window.minimized = true;
  }
}

function show(window, activate) {
  var id = idOf(window);
  var before = hidden[id];
  if (before) {
    delete hidden[id];
    if (before.byOpacity) {
      window.opacity = before.opacity;
    } else {
      window.minimized = before.minimized;
    }
    window.skipTaskbar = before.skipTaskbar;
    window.skipPager = before.skipPager;
    window.skipSwitcher = before.skipSwitcher;
  }
  if (activate) workspace.activeClient = window;
}

function carryOut(request) {
  if (request.op === "list") return;
  var window = findWindow(String(request.id));
  if (!window) {
    print("Blindfold: no window " + request.id + " to " + request.op);
    return;
  }
  if (request.op === "hide") {
    hide(window);
  } else if (request.op === "show") {
    show(window, !!request.activate);
  } else if (request.op === "activate") {
    workspace.activeClient = window;
  } else {
    print("Blindfold: unknown request " + request.op);
  }
}

function carryOutAll(reply) {
  var requests;
  try {
    requests = JSON.parse(String(reply));
  } catch (error) {
    print("Blindfold: unreadable requests: " + error);
    return;
  }
  if (!Array.isArray(requests) || requests.length === 0) return;
  for (var i = 0; i < requests.length; i++) {
    try {
      carryOut(requests[i]);
    } catch (error) {
      print("Blindfold: request " + JSON.stringify(requests[i]) + " failed: " + error);
    }
  }
  report();
}

// The long poll. callDBus never calls back when the call fails (no owner, the
// owner died, an error answer, no answer within D-Bus's 25 seconds), so the
// watch below starts a new poll whenever the name's owner is not the one the
// pending poll went to, or that poll has outlived D-Bus's timeout. An answer to
// an abandoned poll is dropped. Blindfold therefore answers Next within 20
// seconds and never with an error.
var pollSerial = 0;
var pollOwner = "";
var pollSent = 0;
var pollPending = false;
var kPollGiveUpMs = 26000;

function poll(owner) {
  var serial = ++pollSerial;
  pollOwner = owner;
  pollSent = Date.now();
  pollPending = true;
  callDBus(service, objectPath, iface, "Next", function (reply) {
    if (serial !== pollSerial) return;
    pollPending = false;
    carryOutAll(reply);
    poll(pollOwner);
  });
}

function watchOwner() {
  var bus = "org.freedesktop.DBus";
  callDBus(bus, "/org/freedesktop/DBus", bus, "NameHasOwner", service, function (hasOwner) {
    if (!hasOwner) {
      pollOwner = "";
      return;
    }
    callDBus(bus, "/org/freedesktop/DBus", bus, "GetNameOwner", service, function (owner) {
      owner = String(owner);
      if (owner !== pollOwner) {
        // A Blindfold that just started: it hears the list before anything else.
        pollOwner = owner;
        report();
        poll(owner);
      } else if (!pollPending || Date.now() - pollSent > kPollGiveUpMs) {
        poll(owner);
      }
    });
  });
}

var ownerTimer = new QTimer();
ownerTimer.interval = 1000;
ownerTimer.timeout.connect(watchOwner);
ownerTimer.start();

function watchWindow(window) {
  window.captionChanged.connect(reportSoon);
  window.minimizedChanged.connect(reportSoon);
  window.activeChanged.connect(reportSoon);
  window.skipTaskbarChanged.connect(reportSoon);
  window.windowClassChanged.connect(reportSoon);
  window.transientChanged.connect(reportSoon);
}

var windows = workspace.clientList();
for (var i = 0; i < windows.length; i++) watchWindow(windows[i]);
workspace.clientAdded.connect(function (window) {
  watchWindow(window);
  reportSoon();
});
workspace.clientRemoved.connect(function (window) {
  delete hidden[idOf(window)];
  reportSoon();
});
workspace.clientActivated.connect(reportSoon);

function press(name) {
  return function () {
    callDBus(service, objectPath, iface, "Pressed", name);
  };
}
registerShortcut("Blindfold toggle", "Blindfold: hide or show the chosen windows", "", press("toggle"));
registerShortcut("Blindfold panic", "Blindfold: hide everything", "", press("panic"));
registerShortcut("Blindfold panel", "Blindfold: show or hide the control panel", "", press("panel"));

watchOwner();
