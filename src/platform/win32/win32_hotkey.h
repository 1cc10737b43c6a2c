#pragma once

#include <windows.h>

#include "panel/panel_model.h"
#include "platform/hotkey.h"

namespace blindfold::win32 {

// One system-wide hotkey registered on the panel's window; the panel's window
// procedure calls Pressed() on WM_HOTKEY.
class Win32Hotkey final : public HotkeyControl {
 public:
  // Registered under an id of its own: ids start at 1.
  Win32Hotkey(HWND owner, HotkeyId hotkey) : owner_(owner), id_(static_cast<int>(hotkey) + 1) {}
  Win32Hotkey(const Win32Hotkey&) = delete;
  Win32Hotkey& operator=(const Win32Hotkey&) = delete;
  ~Win32Hotkey() override;

  HotkeyArmResult Arm(const HotkeyCombination& combination) override;
  void Disarm() override;
  void SetPressedHandler(std::function<void()> onPressed) override { onPressed_ = std::move(onPressed); }

  int Id() const { return id_; }
  void Pressed() {
    if (onPressed_) onPressed_();
  }

 private:
  HWND owner_;
  int id_;
  bool registered_ = false;
  std::function<void()> onPressed_;
};

}  // namespace blindfold::win32
