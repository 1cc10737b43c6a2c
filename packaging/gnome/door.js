// Blindfold's hands inside GNOME Shell on Wayland, where no other program may
// hide a window or hear a key meant for it. The build puts this text between
// the imports and the entry point of each extension format (GNOME 43 and 44's,
// and the modules of 45 and later): it needs Gio, GLib, Meta, Shell, Main and
// AppDisplay.
//
// On the session bus, in the Shell's own connection, at
// /example/blindfold/Gnome, interface example.blindfold.Gnome:
//   Register(token, rescue) -> run
//       Makes the caller a Blindfold this extension talks to. While a
//       Blindfold is registered, another is taken only with the token the
//       first registered with (kept in the user's own runtime folder, which
//       no other user can read): a rescue beside a Blindfold that stopped
//       answering has it, a stranger has not. `run` tells this extension's
//       run from another, so that a record of ids outlives neither.
//   Windows() -> json     every window, top of the stack first:
//       [{id, title, wmClass, pid, normal, dialog, dock, desktop,
//         transientFor, minimized, active, hidden}]
//   Hide(ids) -> done     hides each window: minimised, and out of the window
//       switcher, the overview, the dash and the top bar
//   Show(windows) -> done gives each (id, minimized, activate) back: minimised
//       again if it was, the keyboard if asked
//   Activate(id) -> done
//   SetKey(name, accelerator) -> done   an empty accelerator frees the key
//   signal Pressed(name)      to the registered Blindfold alone
//   signal Appeared(ids)      new windows, to every registered Blindfold
// Calls from any other connection are refused, and window data goes to no
// one else.
//
// What this extension hid it keeps until it is shown, for as long as the
// Shell runs: a Blindfold killed and started again finds it hidden still.
// Disabled (the user turns it off, the Shell goes down), it gives every
// window back rather than leave one out of reach.

const kPath = '/example/blindfold/Gnome';
const kInterface = 'example.blindfold.Gnome';
const kIntrospection = `<node><interface name="${kInterface}">
  <method name="Register">
    <arg type="s" name="token" direction="in"/><arg type="b" name="rescue" direction="in"/>
    <arg type="s" name="run" direction="out"/></method>
  <method name="Windows"><arg type="s" name="json" direction="out"/></method>
  <method name="Hide"><arg type="as" name="ids" direction="in"/><arg type="as" name="done" direction="out"/></method>
  <method name="Show"><arg type="a(sbb)" name="windows" direction="in"/>
    <arg type="as" name="done" direction="out"/></method>
  <method name="Activate"><arg type="s" name="id" direction="in"/><arg type="b" name="done" direction="out"/></method>
  <method name="SetKey"><arg type="s" name="name" direction="in"/><arg type="s" name="accelerator" direction="in"/>
    <arg type="b" name="done" direction="out"/></method>
  <signal name="Pressed"><arg type="s" name="name"/></signal>
  <signal name="Appeared"><arg type="as" name="ids"/></signal>
</interface></node>`;

function idOf(window) {
  return String(window.get_id());
}

// What a door turned off left hidden, given back one moment later unless the
// door is turned on again first: the Shell turns an extension off and on
// again whenever another one before it is turned off, and a passer-by must
// not see the windows meanwhile.
let pendingGiveBack = null;

class BlindfoldDoor {
  constructor() {
    this._hidden = new Map();  // id -> {window, minimized, drawn, guards}
    this._clients = new Map();  // unique name -> {watch, rescue}
    this._token = null;
    this._keys = new Map();  // name -> action
    this._run = GLib.uuid_string_random();
    this._signals = [];
    this._patches = [];
  }

  enable() {
    this._bus = Gio.DBus.session;
    if (pendingGiveBack) {
      GLib.source_remove(pendingGiveBack.source);
      this._run = pendingGiveBack.run;
      for (const [id, entry] of pendingGiveBack.hidden) {
        this._guard(id, entry);
        this._hidden.set(id, entry);
      }
      pendingGiveBack = null;
    }
    const methods = {};
    for (const method of ['Register', 'Windows', 'Hide', 'Show', 'Activate', 'SetKey']) {
      methods[`${method}Async`] = (args, invocation) => {
        try {
          this._call(invocation.get_sender(), method, args, invocation);
        } catch (error) {
          invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed', String(error));
        }
      };
    }
    this._exported = Gio.DBusExportedObject.wrapJSObject(kIntrospection, methods);
    this._exported.export(this._bus, kPath);
    this._signals.push([global.display, global.display.connect('accelerator-activated', (display, action) => {
      for (const [name, bound] of this._keys) {
        if (bound === action) this._emit(this._primary(), 'Pressed', new GLib.Variant('(s)', [name]));
      }
    })]);
    this._signals.push([global.display, global.display.connect('window-created', (display, window) => {
      // Told once the window has a type and a class.
      GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
        for (const name of this._clients.keys())
          this._emit(name, 'Appeared', new GLib.Variant('(as)', [[idOf(window)]]));
        return GLib.SOURCE_REMOVE;
      });
    })]);
    this._hideTraces();
  }

  disable() {
    const hidden = new Map(this._hidden);
    this._hidden.clear();
    for (const entry of hidden.values()) this._unguard(entry);
    if (hidden.size > 0) {
      const source = GLib.idle_add(GLib.PRIORITY_HIGH, () => {
        pendingGiveBack = null;
        for (const entry of hidden.values()) this._give(entry.window, entry.minimized, false, entry.drawn);
        this._traceChanged();
        return GLib.SOURCE_REMOVE;
      });
      pendingGiveBack = {hidden, source, run: this._run};
    }
    for (const name of [...this._keys.keys()]) this._setKey(name, '');
    for (const [object, id] of this._signals) object.disconnect(id);
    this._signals = [];
    for (const undo of this._patches) undo();
    this._patches = [];
    for (const client of this._clients.values()) Gio.bus_unwatch_name(client.watch);
    this._clients.clear();
    this._exported?.unexport();
    this._exported = null;
  }

  // The Blindfold that hears the keys: the newest that is no rescue.
  _primary() {
    return [...this._clients].reverse().find(([, client]) => !client.rescue)?.[0] ?? null;
  }

  _emit(destination, signal, parameters) {
    if (destination) this._bus.emit_signal(destination, kPath, kInterface, signal, parameters);
  }

  _call(sender, method, args, invocation) {
    if (method === 'Register') {
      const [token, rescue] = args;
      if (this._clients.size > 0 && !this._clients.has(sender) && token !== this._token) {
        invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied', 'Another Blindfold is registered');
        return;
      }
      if (this._clients.size === 0) this._token = token;
      if (!this._clients.has(sender)) {
        const watch = Gio.bus_watch_name_on_connection(this._bus, sender, Gio.BusNameWatcherFlags.NONE, null,
          () => this._forget(sender));
        this._clients.set(sender, {watch, rescue});
      }
      invocation.return_value(new GLib.Variant('(s)', [this._run]));
      return;
    }
    if (!this._clients.has(sender)) {
      invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied', 'Not registered');
      return;
    }
    if (method === 'Windows') {
      invocation.return_value(new GLib.Variant('(s)', [JSON.stringify(this._list())]));
    } else if (method === 'Hide') {
      const windows = this._byId();
      const done = args[0].filter(id => this._hide(windows.get(id), id));
      this._traceChanged();
      invocation.return_value(new GLib.Variant('(as)', [done]));
    } else if (method === 'Show') {
      const windows = this._byId();
      const done = args[0].filter(([id, minimized, activate]) => this._show(windows.get(id), id, minimized, activate))
        .map(([id]) => id);
      this._traceChanged();
      invocation.return_value(new GLib.Variant('(as)', [done]));
    } else if (method === 'Activate') {
      const window = this._byId().get(args[0]);
      if (window && !this._hidden.has(args[0])) window.activate(global.get_current_time());
      invocation.return_value(new GLib.Variant('(b)', [Boolean(window)]));
    } else if (method === 'SetKey') {
      invocation.return_value(new GLib.Variant('(b)', [this._setKey(args[0], args[1])]));
    } else {
      invocation.return_dbus_error('org.freedesktop.DBus.Error.UnknownMethod', method);
    }
  }

  _forget(name) {
    const client = this._clients.get(name);
    if (!client) return;
    Gio.bus_unwatch_name(client.watch);
    this._clients.delete(name);
    // Its keys go with it: a Blindfold started again binds its own.
    if (!client.rescue) {
      for (const key of [...this._keys.keys()]) this._setKey(key, '');
    }
  }

  _windows() {
    const windows = global.display.list_all_windows().filter(w => !w.is_override_redirect());
    return global.display.sort_windows_by_stacking(windows).reverse();
  }

  // Every window by its id, read once for all the windows of a call.
  _byId() {
    return new Map(global.display.list_all_windows().filter(w => !w.is_override_redirect()).map(w => [idOf(w), w]));
  }

  _list() {
    const focus = global.display.focus_window;
    return this._windows().map(w => {
      const type = w.get_window_type();
      const owner = w.get_transient_for();
      const id = idOf(w);
      return {
        id,
        title: w.get_title() ?? '',
        wmClass: w.get_wm_class() ?? '',
        pid: Math.max(0, w.get_pid()),
        normal: type === Meta.WindowType.NORMAL,
        dialog: type === Meta.WindowType.DIALOG || type === Meta.WindowType.MODAL_DIALOG,
        dock: type === Meta.WindowType.DOCK,
        desktop: type === Meta.WindowType.DESKTOP,
        transientFor: owner ? idOf(owner) : '',
        minimized: this._hidden.has(id) ? this._hidden.get(id).minimized : w.minimized,
        active: w === focus,
        hidden: this._hidden.has(id),
      };
    });
  }

  _hide(window, id) {
    if (!window) return false;
    let entry = this._hidden.get(id);
    if (!entry) {
      entry = {window, minimized: window.minimized, drawn: false};
      this._hidden.set(id, entry);
    } else {
      this._unguard(entry);
    }
    // Out of the switcher, the overview and its thumbnails, which leave out a
    // window that keeps out of the taskbar as they open: only its program may
    // say so, so the Shell's scripts are told it here. Never notified: the
    // Shell's own count of a program's windows takes each notification for a
    // change, and a count gone wrong brings the Shell down.
    Object.defineProperty(window, 'skip_taskbar', {configurable: true, get: () => true});
    // Nor does the Shell say it "is ready" when it asks for the user.
    window.is_skip_taskbar = () => true;
    for (const source of Main.messageTray.getSources().filter(source => source._window === window))
      source.destroy();
    if (window.can_minimize()) {
      window.minimize();
    } else {
      // What cannot be minimised is no longer drawn, and leaves the keyboard
      // to another window; the Shell draws it again when the show gives it
      // back.
      const actor = window.get_compositor_private();
      if (actor?.visible) {
        actor.hide();
        entry.drawn = true;
      }
      if (window.has_focus()) {
        global.display.get_tab_list(Meta.TabList.NORMAL, null)
          .find(other => other !== window && !this._hidden.has(idOf(other)))
          ?.activate(global.get_current_time());
      }
    }
    this._guard(id, entry);
    this._followInOverview(window, true);
    return true;
  }

  _show(window, id, minimized, activate) {
    if (!window) {
      this._hidden.delete(id);
      return false;
    }
    const entry = this._hidden.get(id);
    this._hidden.delete(id);
    this._unguard(entry);
    this._give(window, minimized, activate, entry?.drawn ?? false);
    return true;
  }

  // A hidden window stays hidden whatever its program does: one that brings
  // itself back (a call, a download done) is minimised again, or no longer
  // drawn, and one that closes is forgotten.
  _guard(id, entry) {
    const window = entry.window;
    entry.guards = [
      window.connect('notify::minimized', () => {
        if (this._hidden.get(id) === entry && !window.minimized && window.can_minimize()) window.minimize();
      }),
      window.connect('unmanaged', () => {
        if (this._hidden.get(id) === entry) this._hidden.delete(id);
      }),
    ];
    const actor = window.get_compositor_private();
    if (entry.drawn && actor) {
      entry.actor = actor;
      entry.actorGuard = actor.connect('notify::visible', () => {
        if (this._hidden.get(id) === entry && actor.visible) actor.hide();
      });
    }
  }

  _unguard(entry) {
    for (const guard of entry?.guards ?? []) entry.window.disconnect(guard);
    if (entry?.actorGuard) entry.actor.disconnect(entry.actorGuard);
    if (entry) entry.guards = entry.actorGuard = null;
  }

  _give(window, minimized, activate, drawn) {
    delete window.skip_taskbar;
    delete window.is_skip_taskbar;
    if (drawn) window.get_compositor_private()?.show();
    this._followInOverview(window, false);
    if (!minimized) {
      if (activate) window.activate(global.get_current_time());
      else window.unminimize();
    }
  }

  _setKey(name, accelerator) {
    const bound = this._keys.get(name);
    if (bound !== undefined) {
      global.display.ungrab_accelerator(bound);
      Main.wm.allowKeybinding(Meta.external_binding_name_for_action(bound), Shell.ActionMode.NONE);
      this._keys.delete(name);
    }
    if (!accelerator) return true;
    const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.NONE);
    if (action === Meta.KeyBindingAction.NONE) return false;
    Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), Shell.ActionMode.ALL);
    this._keys.set(name, action);
    return true;
  }

  // A program whose every window is hidden is as if it did not run: no dot
  // under its icon in the dash, no place there of its own, its name not in
  // the top bar.
  _allHidden(app) {
    const windows = app.get_windows();
    return windows.length > 0 && windows.every(w => this._hidden.has(idOf(w)));
  }

  _hideTraces() {
    const door = this;
    const patch = (object, name, wrap) => {
      const original = object[name];
      if (typeof original !== 'function') return;
      object[name] = wrap(original);
      this._patches.push(() => { object[name] = original; });
    };
    patch(Shell.AppSystem.prototype, 'get_running', original => function () {
      return original.call(this).filter(app => !door._allHidden(app));
    });
    if (AppDisplay?.AppIcon) {
      patch(AppDisplay.AppIcon.prototype, '_updateRunningStyle', original => function () {
        original.call(this);
        if (door._allHidden(this.app)) this._dot.hide();
      });
    }
  }

  // The overview keeps its workspaces between showings, with a preview of
  // each window taken in before the hide: a hidden window's goes, and comes
  // back with it.
  _overviewWorkspaces() {
    const views = Main.overview._overview?._controls?._workspacesDisplay?._workspacesViews ?? [];
    return views.flatMap(view => view._workspaces ?? []);
  }

  _followInOverview(window, hidden) {
    for (const workspace of this._overviewWorkspaces()) {
      try {
        if (hidden) {
          workspace._doRemoveWindow?.(window);
        } else {
          // Taken in again, the window is followed anew: the workspace's
          // earlier handler on it goes first.
          const earlier = workspace._skipTaskbarSignals?.get(window);
          if (earlier) {
            window.disconnect(earlier);
            workspace._skipTaskbarSignals.delete(window);
          }
          workspace._doAddWindow?.(window);
        }
      } catch (error) {
        logError(error, 'Blindfold: the overview');
      }
    }
  }

  // What the dash shows follows the programs' windows: it is drawn again, as
  // when a program starts or ends, once for all the windows of a call.
  _traceChanged() {
    const dash = Main.overview.dash;
    dash?._queueRedisplay?.();
    for (const item of dash?._box?.get_children() ?? []) item.child?._updateRunningStyle?.();
  }
}
