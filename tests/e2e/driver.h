#pragma once

// Drives the real Blindfold.exe the way a user does: starts it, finds its
// windows and controls by caption, presses keys and clicks with SendInput, and
// reads the registry.

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace blindfold::e2e {

// Polls `done` until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A running Blindfold.exe, ended when this goes out of scope.
class BlindfoldProcess {
 public:
  // The build's Blindfold.exe (BLINDFOLD_EXE).
  BlindfoldProcess();
  // Blindfold.exe from elsewhere, as where it was installed, with what follows
  // its name on the command line.
  explicit BlindfoldProcess(const std::wstring& path, const std::wstring& arguments = {});
  BlindfoldProcess(const BlindfoldProcess&) = delete;
  BlindfoldProcess& operator=(const BlindfoldProcess&) = delete;
  ~BlindfoldProcess();

  DWORD Id() const { return info_.dwProcessId; }
  bool WaitForExit(std::chrono::milliseconds timeout);
  DWORD ExitCode() const;
  // The program's main window, which it has from start to end and never shows.
  HWND MainWindow();
  // The control panel, once it exists: it is made the first time it is shown.
  HWND Panel();
  // The control panel once the program has loaded and shown it; from then on its
  // hotkeys are armed.
  HWND ShownPanel();

 private:
  HWND WindowOfClass(const std::wstring& className);

  PROCESS_INFORMATION info_{};
};

// The build's Blindfold.exe (BLINDFOLD_EXE).
std::wstring BuiltBlindfold();

// Starts the program whose windows the tests hide (BLINDFOLD_TEST_WINDOWS_APP)
// and returns once its windows are open; EndProgram ends it.
PROCESS_INFORMATION StartTestWindowsProgram();
void EndProgram(PROCESS_INFORMATION& program);

// The panel's password box, once its page has been shown.
HWND PasswordBox(HWND panel);

// Top-level windows of a process whose title and class match; an empty class
// matches any.
std::vector<HWND> TopLevelWindows(DWORD process, const std::wstring& title, const std::wstring& className = L"");
// A child control whose text is `text` (or, with `prefix`, starts with it).
HWND FindControl(HWND parent, const std::wstring& text, const std::wstring& className = L"", bool prefix = false);
std::wstring TextOf(HWND window);
bool Visible(HWND window);
// The control with the keyboard focus in the program of `window`.
HWND Focused(HWND window);
// A visible top-level window of `process` titled `title` (in the foreground too,
// with `foreground`), once there is one; null when none comes in time.
HWND WaitForShownWindow(DWORD process, const std::wstring& title, bool foreground = false);

// Shows every taskbar window again, whatever a failed test left behind.
void RestoreTaskbars();

void PressKeys(std::initializer_list<WORD> keys);
// Clicks into an edit box, waits until it has the keyboard focus, types `text`
// (lower-case letters and digits) and waits until the box holds that many
// characters.
bool TypeInto(HWND box, const std::string& text);
// Clicks a check box and waits until its state has changed.
bool ToggleCheckBox(HWND box);
void ClickAt(POINT screen);
void RightClickAt(POINT screen);
// Where our icon sits in the shell's notification area: the right end of the
// taskbar.
POINT TrayIconPoint();
void Click(HWND control);

// Selects a page of the panel's tab control with the keyboard, as a user
// without a mouse would: a click on the first tab, then Right.
void SelectPage(HWND panel, int page);

// The registry as the program sees it (32-bit view).
std::optional<std::wstring> ReadSetting(HKEY root, const std::wstring& key, const std::wstring& name);
void WriteSetting(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text);
void DeleteSettings();
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key);

inline const std::wstring kShortcutKeys = L"Software\\Blindfold\\ShortcutKeys";


}  // namespace blindfold::e2e
