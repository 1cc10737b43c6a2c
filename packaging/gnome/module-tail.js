
export default class BlindfoldExtension extends Extension {
  enable() {
    this._door = new BlindfoldDoor();
    this._door.enable();
  }

  disable() {
    this._door?.disable();
    this._door = null;
  }
}
