#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <optional>

#include "platform/hotkey.h"
#include "platform/x11/x11_connection.h"

namespace blindfold::x11 {

// One system-wide hotkey: a passive grab of its key on the root window, taken
// once for every state of the lock keys.
class X11Hotkey final : public HotkeyControl {
 public:
  explicit X11Hotkey(X11Connection& connection);
  X11Hotkey(const X11Hotkey&) = delete;
  X11Hotkey& operator=(const X11Hotkey&) = delete;
  ~X11Hotkey() override;

  HotkeyArmResult Arm(const HotkeyCombination& combination) override;
  void Disarm() override { Release(); }
  void SetPressedHandler(std::function<void()> onPressed) override { onPressed_ = std::move(onPressed); }

 private:
  struct Grab {
    int keycode = 0;
    unsigned int modifiers = 0;
  };

  void Release();
  void OnEvent(const XEvent& event);
  unsigned int ModifierMaskOf(unsigned long keysym);
  // Whether the window manager takes every combination with the Windows key
  // for itself, before any grab of another program sees it.
  bool DesktopTakesWindowsKey();

  X11Connection& x_;
  int listener_ = 0;
  std::optional<Grab> grab_;
  bool down_ = false;
  std::function<void()> onPressed_;
};

}  // namespace blindfold::x11
