// Blindfold's hands inside KWin (Plasma 5.27, Wayland), where no other program
// may hide a window. Blindfold puts the unique bus name of its own connection
// (":1.42"), its object path and interface in place of @SERVICE@, @PATH@ and
// @INTERFACE@, and its shortcuts in place of @SHORTCUTS@ (none for a rescue's
// copy, which leaves them to the running Blindfold's), loads the text with
// org.kde.kwin.Scripting.loadScript and runs it with org.kde.kwin.Script.run on
// the path /<number loadScript gave>. A unique name is never handed on: no
// other program can take it, so nothing here reaches anyone but the Blindfold
// that loaded this copy. A Blindfold started later loads a copy of its own.
//
// Towards Blindfold (all calls on the session bus, every argument a string):
//   Windows(json)  a report, at the start, after every change and after each
//                  batch of requests: {done, windows}, where done is the number
//                  of the last batch carried out and windows an array of
//                  {id, caption, resourceClass, resourceName, pid, normal, dialog,
//                   dock, desktop, transientFor, stackingOrder, minimized,
//                   skipTaskbar, skipPager, skipSwitcher, minimizable, opacity,
//                   active, hiddenByBlindfold}
//   Next() -> json a long poll for requests: {batch, requests}, requests an
//                  array of {op: "hide", id, givenBack}, {op: "show", id,
//                  activate, givenBack} or {op: "activate", id}; an empty
//                  array asks for nothing. Blindfold answers within 20
//                  seconds, inside D-Bus's 25.
//   Pressed(name)  a global shortcut, by the name Blindfold gave it.
//
// Blindfold keeps its own record of what it hid and of what each window is to
// be given back, and sends it with each hide and show (givenBack): what it
// says wins over what this copy remembers, which a copy loaded anew (after an
// unload, or a restart of KWin) has forgotten.

var service = "@SERVICE@";
var objectPath = "@PATH@";
var iface = "@INTERFACE@";
// Blindfold's global shortcuts, each [name, shortcut, description]; none in a
// rescue copy, which leaves the keys to the Blindfold that runs.
var shortcuts = @SHORTCUTS@;
// The last batch of requests carried out, told in every report so that
// Blindfold knows which of its requests are done.
var done = 0;

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
    minimizable: !!window.minimizable,
    opacity: Number(window.opacity),
    active: !!window.active,
    hiddenByBlindfold: hidden.hasOwnProperty(idOf(window))
  };
}

function report() {
  var windows = workspace.clientList();
  var list = [];
  for (var i = 0; i < windows.length; i++) list.push(describe(windows[i]));
  callDBus(service, objectPath, iface, "Windows", JSON.stringify({done: done, windows: list}));
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

// What Blindfold's request says the window is to be given back, read as
// plain values; nothing when the request carries none.
function givenBackOf(request) {
  var given = request.givenBack;
  if (!given || typeof given !== "object") return null;
  var opacity = Number(given.opacity);
  return {
    minimized: !!given.minimized,
    skipTaskbar: !!given.skipTaskbar,
    skipPager: !!given.skipPager,
    skipSwitcher: !!given.skipSwitcher,
    opacity: opacity > 0 && opacity <= 1 ? opacity : 1,
    byOpacity: !!given.byOpacity
  };
}

// A window that cannot be minimised (a panel) is made fully transparent
// instead; either way it leaves the taskbar, the pager and Alt+Tab. One entry
// a window, however often it is hidden: the first hide's state is what a show
// gives back, unless Blindfold's record says otherwise.
function hide(window, given) {
  var id = idOf(window);
  if (given) {
    hidden[id] = given;
  } else if (!hidden.hasOwnProperty(id)) {
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

// A window neither Blindfold's record nor this copy knows as hidden is left
// as it is.
function show(window, activate, given) {
  var id = idOf(window);
  var before = given || hidden[id];
  delete hidden[id];
  if (before) {
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
    hide(window, givenBackOf(request));
  } else if (request.op === "show") {
    show(window, !!request.activate, givenBackOf(request));
  } else if (request.op === "activate") {
    workspace.activeClient = window;
  } else {
    print("Blindfold: unknown request " + request.op);
  }
}

function carryOutAll(reply) {
  var answer;
  try {
    answer = JSON.parse(String(reply));
  } catch (error) {
    print("Blindfold: unreadable requests: " + error);
    return;
  }
  if (!answer || !Array.isArray(answer.requests)) return;
  var batch = Number(answer.batch) || 0;
  var requests = answer.requests;
  for (var i = 0; i < requests.length; i++) {
    try {
      carryOut(requests[i]);
    } catch (error) {
      print("Blindfold: request " + JSON.stringify(requests[i]) + " failed: " + error);
    }
  }
  if (batch > done) done = batch;
  if (requests.length > 0 || batch > 0) report();
}

// The long poll. callDBus never calls back when the call fails (Blindfold
// gone, an error answer, no answer within D-Bus's 25 seconds), so the watch
// below starts a new poll whenever the pending one has outlived D-Bus's
// timeout. An answer to an abandoned poll is dropped. Blindfold therefore
// answers Next within 20 seconds and never with an error. Once the Blindfold
// that loaded this copy has left the bus, its unique name never comes back,
// and this copy waits, doing nothing, for the next Blindfold to replace it.
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
        // The first poll: Blindfold hears the list before anything else.
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
for (var s = 0; s < shortcuts.length; s++) {
  registerShortcut(shortcuts[s][1], shortcuts[s][2], "", press(shortcuts[s][0]));
}

watchOwner();
