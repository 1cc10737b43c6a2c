#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/win32/win32_hotkey.h"

namespace blindfold::win32 {

// What the main window hears of that the panel answers.
class MainWindowEvents {
 public:
  virtual ~MainWindowEvents() = default;
  // The setup program asks a running Blindfold to shut down as the Shutdown
  // button would, password and all; it may never have shown its panel.
  virtual void ShutdownAsked() = 0;
  // A close asked for (WM_CLOSE), as the panel's close box would.
  virtual void CloseAsked() = 0;
  // The Windows session ends.
  virtual void SessionEnding() = 0;
};

// The program's main window: made at start and alive for the whole run
// without ever being shown. The hotkeys, the tray icon and its menu, the
// shell's restart and the end of the session all come to it, and it is the
// handle the logic knows. Its end ends the message loop.
class HiddenMainWindow {
 public:
  explicit HiddenMainWindow(MainWindowEvents& events);
  HiddenMainWindow(const HiddenMainWindow&) = delete;
  HiddenMainWindow& operator=(const HiddenMainWindow&) = delete;
  ~HiddenMainWindow() { Destroy(); }

  // Null once it has gone.
  HWND Get() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }
  // The hotkeys whose presses arrive as WM_HOTKEY.
  void SetHotkeys(std::vector<Win32Hotkey*> hotkeys) { hotkeys_ = std::move(hotkeys); }
  HICON Icon(WPARAM size) const;
  void Destroy();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  MainWindowEvents& events_;
  HWND window_ = nullptr;
  std::vector<Win32Hotkey*> hotkeys_;
};

// A window's icons, the small one standing in where there is none.
void SetWindowIcons(HWND window, HICON big, HICON small);

}  // namespace blindfold::win32
