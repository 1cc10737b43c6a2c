
/* exported init */
function init() {
  return new BlindfoldDoor();
}
