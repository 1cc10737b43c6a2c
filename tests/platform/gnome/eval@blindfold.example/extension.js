// The tests read what the Shell shows, and press keys inside it, through
// org.gnome.Shell.Eval, which the Shell opens only in its unsafe mode.
'use strict';
/* exported init */
function init() {
  return {
    enable() { global.context.unsafe_mode = true; },
    disable() { global.context.unsafe_mode = false; },
  };
}
