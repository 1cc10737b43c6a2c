#include "driver.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace blindfold::e2e {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::wstring BuiltBlindfold() {
  const char* path = std::getenv("BLINDFOLD_EXE");
  return path ? std::wstring(path, path + std::strlen(path)) : std::wstring();
}

BlindfoldProcess::BlindfoldProcess() : BlindfoldProcess(BuiltBlindfold()) {}

BlindfoldProcess::BlindfoldProcess(const std::wstring& path, const std::wstring& arguments) {
  if (path.empty()) return;
  std::wstring commandLine = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
  WaitForInputIdle(info_.hProcess, 10000);
}

BlindfoldProcess::~BlindfoldProcess() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 10000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool BlindfoldProcess::WaitForExit(std::chrono::milliseconds timeout) {
  return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD BlindfoldProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

// The program's top-level window of a class, titled Blindfold, once there is one.
HWND BlindfoldProcess::WindowOfClass(const std::wstring& className) {
  HWND window = nullptr;
  WaitUntil([&] {
    const auto found = TopLevelWindows(Id(), L"Blindfold", className);
    window = found.empty() ? nullptr : found.front();
    return window != nullptr;
  });
  return window;
}

HWND BlindfoldProcess::MainWindow() { return WindowOfClass(L"BlindfoldMain"); }

HWND BlindfoldProcess::Panel() { return WindowOfClass(L"#32770"); }

HWND BlindfoldProcess::ShownPanel() {
  HWND panel = Panel();
  if (!panel || !WaitUntil([&] { return IsWindowVisible(panel) != FALSE; })) return nullptr;
  return panel;
}

bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

HWND Focused(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND WaitForShownWindow(DWORD process, const std::wstring& title, bool foreground) {
  HWND shown = nullptr;
  WaitUntil([&] {
    shown = nullptr;
    for (HWND window : TopLevelWindows(process, title)) {
      if (Visible(window) && (!foreground || GetForegroundWindow() == window)) shown = window;
    }
    return shown != nullptr;
  });
  return shown;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct Search {
  DWORD process;
  std::wstring text;
  std::wstring className;
  bool prefix;
  std::vector<HWND> found;
};

// A caption as it reads, without the & that marks its Alt+letter.
std::wstring WithoutMnemonic(const std::wstring& caption) {
  std::wstring text;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    text += caption[i];
  }
  return text;
}

// A caption matches as it is written or as it reads.
bool Matches(HWND window, const Search& search) {
  const std::wstring written = TextOf(window);
  const auto same = [&](const std::wstring& text) {
    return search.prefix ? text.starts_with(search.text) : text == search.text;
  };
  const bool textMatches = same(written) || same(WithoutMnemonic(written));
  return textMatches && (search.className.empty() || ClassOf(window) == search.className);
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD process, const std::wstring& title, const std::wstring& className) {
  Search search{process, title, className, false, {}};
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s.process && Matches(window, s)) s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindControl(HWND parent, const std::wstring& text, const std::wstring& className, bool prefix) {
  Search search{0, text, className, prefix, {}};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        if (Matches(window, s)) s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found.empty() ? nullptr : search.found.front();
}

void RestoreTaskbars() {
  EnumWindows(
      [](HWND window, LPARAM) {
        if (ClassOf(window) == L"Shell_TrayWnd" && !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNA);
        return TRUE;
      },
      0);
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (const WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--it;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

namespace {

// One batch: move there, press, release, so that nothing can come between.
void MouseClickAt(POINT screen, DWORD down, DWORD up) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
  }
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].mi.dwFlags = down | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[2].mi.dwFlags = up | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(3, inputs, sizeof(INPUT));
}

}  // namespace

void ClickAt(POINT screen) { MouseClickAt(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }

void RightClickAt(POINT screen) { MouseClickAt(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

POINT TrayIconPoint() {
  HWND shell = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT rect{};
  GetWindowRect(shell, &rect);
  return {rect.right - 10, (rect.top + rect.bottom) / 2};
}

// Clicks the middle of a control once it is on the screen, in place and not
// covered, as a user would wait to see it before clicking.
void Click(HWND control) {
  POINT middle{};
  WaitUntil([&] {
    RECT rect{};
    GetWindowRect(control, &rect);
    middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return IsWindowVisible(control) && WindowFromPoint(middle) == control;
  }, std::chrono::seconds(3));
  ClickAt(middle);
}

bool TypeInto(HWND box, const std::string& text) {
  const DWORD thread = GetWindowThreadProcessId(box, nullptr);
  const auto focused = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) && info.hwndFocus == box;
  };
  // A user clicks again when the first click did not put the caret there.
  for (int attempt = 0; attempt < 3 && !focused(); ++attempt) {
    Click(box);
    WaitUntil(focused, std::chrono::seconds(1));
  }
  if (!focused()) return false;
  const LRESULT before = SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
  for (const char c : text) PressKeys({static_cast<WORD>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c)});
  return WaitUntil([&] {
    return SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) == before + static_cast<LRESULT>(text.size());
  }, std::chrono::seconds(3));
}

bool ToggleCheckBox(HWND box) {
  const LRESULT before = SendMessageW(box, BM_GETCHECK, 0, 0);
  Click(box);
  return WaitUntil([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) != before; }, std::chrono::seconds(3));
}

// A click on the tab strip gives it the keyboard; the arrow keys then walk to
// the page. (Once the arrow keys have moved between tabs, Wine's tab control
// takes a later click on another tab for a change of a multiple selection and
// selects nothing; the click still gives it the focus.)
void SelectPage(HWND panel, int page) {
  SetForegroundWindow(panel);
  HWND tab = FindControl(panel, L"", L"SysTabControl32");
  RECT rect{};
  GetWindowRect(tab, &rect);
  const auto current = [&] { return static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)); };
  // Under Wine the first click after Alt and a letter can be lost; a user
  // clicks again.
  for (int click = 0; click < 3 && (click == 0 || current() != 0); ++click) {
    ClickAt({rect.left + 20, rect.top + 10});
    WaitUntil([&] { return current() == 0; }, std::chrono::milliseconds(300));
  }
  while (current() != page) {
    const int from = current();
    PressKeys({static_cast<WORD>(from < page ? VK_RIGHT : VK_LEFT)});
    if (!WaitUntil([&] { return current() != from; }, std::chrono::seconds(3))) return;
  }
}

std::optional<std::wstring> ReadSetting(HKEY root, const std::wstring& key, const std::wstring& name) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_SUBKEY_WOW6432KEY, nullptr, text,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(text);
}

void WriteSetting(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
  HKEY opened = nullptr;
  RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &opened, nullptr);
  RegSetValueExW(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

void DeleteSettings() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY software = nullptr;
    if (RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &software) == ERROR_SUCCESS) {
      RegDeleteTreeW(software, L"Blindfold");
      RegCloseKey(software);
    }
  }
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumValueW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name);
  }
  RegCloseKey(opened);
  return names;
}

PROCESS_INFORMATION StartTestWindowsProgram() {
  PROCESS_INFORMATION program{};
  const char* path = std::getenv("BLINDFOLD_TEST_WINDOWS_APP");
  if (!path) return program;
  const std::wstring eventName = L"BlindfoldE2EWindowsReady" + std::to_wstring(GetCurrentProcessId());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  std::wstring commandLine = L"\"" + std::wstring(path, path + std::strlen(path)) + L"\" " + eventName;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &program) &&
      WaitForSingleObject(ready, 30000) != WAIT_OBJECT_0) {
    EndProgram(program);
  }
  CloseHandle(ready);
  return program;
}

void EndProgram(PROCESS_INFORMATION& program) {
  if (!program.hProcess) return;
  TerminateProcess(program.hProcess, 0);
  WaitForSingleObject(program.hProcess, 10000);
  CloseHandle(program.hThread);
  CloseHandle(program.hProcess);
  program = {};
}

HWND PasswordBox(HWND panel) {
  HWND box = nullptr;
  EnumChildWindows(
      panel,
      [](HWND child, LPARAM found) {
        if (GetWindowLongPtrW(child, GWL_STYLE) & ES_PASSWORD) *reinterpret_cast<HWND*>(found) = child;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&box));
  return box;
}

}  // namespace blindfold::e2e
