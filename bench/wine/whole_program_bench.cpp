// The whole-program benchmark: drives the real Blindfold.exe and measures what a
// user feels, against the cheapest the platform can do, in the same run.
//   hide and show latency: from the windows hotkey's key-down to the last of N
//   windows invisible (visible), the top one active before the hide, seen from
//   this process, against the floor:
//   this one process calling ShowWindow over the same windows, SW_HIDE and
//   SW_SHOWNA (shown without activating, as Blindfold shows them);
//   footprint: start-up to a shown panel, start-up to ready when starting
//   hidden to the tray (the load done: hotkeys armed, tray icon shown, the
//   message loop waiting for input), private memory after start-up and after idling, against the
//   minimal window program started in the same rounds.
// Idle cost is measured by scripts/bench-wine.sh from outside Wine.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using namespace blindfold::bench;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Each window is asked about until it has been seen as wanted, then left:
// asking all of them round after round would keep the Wine server busy with
// this process's questions while it carries out the hides being measured.
bool WaitFor(const std::vector<HWND>& windows, bool visible, double timeoutMs = 30000) {
  const auto start = Clock::now();
  for (std::size_t next = 0; next < windows.size();) {
    if ((IsWindowVisible(windows[next]) != FALSE) == visible) {
      ++next;
    } else if (Milliseconds(Clock::now() - start) > timeoutMs) {
      return false;
    }
  }
  return true;
}

// The user works in one of the windows that hide, as when the hotkey is
// pressed for real: the hide takes the activation from it.
void WorkIn(HWND window) {
  SetForegroundWindow(window);
  Sleep(100);
}

void PressWindowsHotkey() {
  INPUT inputs[4] = {};
  const WORD keys[4] = {VK_LWIN, 'Z', 'Z', VK_LWIN};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, inputs, sizeof(INPUT));
}

void SetSetting(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  HKEY opened = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &opened, nullptr);
  RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

HWND WaitForShownWindow(DWORD process, const wchar_t* title) {
  for (;;) {
    HWND found = nullptr;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, title)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == process && IsWindowVisible(window)) found = window;
    }
    if (found) return found;
    Sleep(1);
  }
}

// Waits until another program holds Win+Z, the windows hotkey: until then it
// can be registered here.
bool WaitForWindowsHotkey() {
  for (int i = 0; i < 200; ++i) {
    if (!RegisterHotKey(nullptr, 1, MOD_WIN | MOD_NOREPEAT, 'Z')) return true;
    UnregisterHotKey(nullptr, 1);
    Sleep(50);
  }
  return false;
}

int Failed(const char* why) {
  std::printf("| failed: %s | | | | |\n", why);
  return 1;
}

// Wine reports no current private usage to Windows programs; what it reports
// as the peak is the process's anonymous resident memory at the moment asked.
SIZE_T PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage > 0 ? counters.PrivateUsage : counters.PeakPagefileUsage;
}

double Kib(SIZE_T bytes) { return static_cast<double>(bytes) / 1024.0; }

// How long a started program is left to settle before its memory is read.
constexpr DWORD kSettleMs = 500;
// The Shutdown button's command, which the main window takes from others too.
constexpr WPARAM kShutdownCommand = 1079;

bool HotkeyHeld(UINT key) {
  constexpr int kProbe = 0x7000;
  if (!RegisterHotKey(nullptr, kProbe, MOD_WIN | MOD_NOREPEAT, key)) return true;
  UnregisterHotKey(nullptr, kProbe);
  return false;
}

// Ready, for a Blindfold started hidden to the tray: it waits for input in its
// message loop, which it enters only after its load has armed the hotkeys and
// added the tray icon (the shell takes the icon before Shell_NotifyIcon
// returns). The hotkeys are probed only then: a probe any earlier could take
// one from Blindfold. Returns the main window, or null when Blindfold is not
// ready within 30 s or does not hold its three hotkeys.
HWND WaitUntilReady(const Process& program) {
  if (WaitForInputIdle(program.info.hProcess, 30000) != 0) return nullptr;
  const auto windowOf = [&](const wchar_t* className) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, L"Blindfold")) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == program.info.dwProcessId) return window;
    }
    return window;
  };
  // A Blindfold older than its main window, for comparison, has its panel.
  HWND main = windowOf(L"BlindfoldMain");
  if (!main) main = windowOf(L"#32770");
  return main && HotkeyHeld('X') && HotkeyHeld('Z') && HotkeyHeld('V') ? main : nullptr;
}

bool FailedRound(const char* why) {
  Failed(why);
  return false;
}

// Hide and show latency of `count` windows against the floor, taken turn about
// in each round. False, with the reason printed, when a round failed.
bool MeasureLatency(const std::wstring& blindfold, int count, int repeats, bool panelShownAtStart) {
  Process windows;
  if (!StartWindows(windows, count)) return FailedRound("the windows to hide did not open");
  const auto targets = BenchWindows(windows.info.dwProcessId);

  // Blindfold hides every window of the class through the always-hide list.
  SetSetting(L"Software\\Blindfold", L"AlwaysHide", L"x\tBlindfoldBenchWindow  (class)");
  SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"StartHidden", panelShownAtStart ? L"0" : L"1");
  Process program;
  if (!Start(program, L"\"" + blindfold + L"\"")) return FailedRound("Blindfold did not start");
  WaitForInputIdle(program.info.hProcess, 30000);
  if (!WaitForWindowsHotkey()) return FailedRound("Blindfold did not register its windows hotkey");
  Sleep(300);

  // Each round the floor first (the same windows, hidden and shown in a tight
  // loop), then Blindfold: a change of the machine's load meets both alike.
  std::vector<double> floorHide, floorShow, hide, show;
  for (int r = 0; r < repeats; ++r) {
    WorkIn(targets.front());
    auto start = Clock::now();
    for (HWND window : targets) ShowWindow(window, SW_HIDE);
    WaitFor(targets, false);
    floorHide.push_back(Milliseconds(Clock::now() - start));
    start = Clock::now();
    for (HWND window : targets) ShowWindow(window, SW_SHOWNA);
    WaitFor(targets, true);
    floorShow.push_back(Milliseconds(Clock::now() - start));
    Sleep(300);

    WorkIn(targets.front());
    start = Clock::now();
    PressWindowsHotkey();
    if (!WaitFor(targets, false)) return FailedRound("the windows were not hidden within 30 s");
    hide.push_back(Milliseconds(Clock::now() - start));
    Sleep(300);
    start = Clock::now();
    PressWindowsHotkey();
    if (!WaitFor(targets, true)) return FailedRound("the windows were not shown within 30 s");
    show.push_back(Milliseconds(Clock::now() - start));
    Sleep(300);
  }
  const char* setup = panelShownAtStart ? ", panel shown at start" : "";
  std::printf("| hide latency (ms, median of %d%s) | %d | %.1f | %.1f | %.2f |\n", repeats, setup, count,
              Median(hide), Median(floorHide), Median(hide) / Median(floorHide));
  std::printf("| show latency (ms, median of %d%s) | %d | %.1f | %.1f | %.2f |\n", repeats, setup, count,
              Median(show), Median(floorShow), Median(show) / Median(floorShow));
  std::fflush(stdout);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring blindfold = argc > 1 ? argv[1] : Here() + L"..\\..\\Blindfold.exe";
  const int repeats = argc > 2 ? _wtoi(argv[2]) : 5;
  // "startup" as the third argument measures the footprint alone; the fourth
  // is how long to idle before memory is read again (20 s by default).
  // "latency" measures hide and show alone.
  const bool footprintOnly = argc > 3 && std::wstring(argv[3]) == L"startup";
  const bool latencyOnly = argc > 3 && std::wstring(argv[3]) == L"latency";
  const int idleSeconds = argc > 4 ? _wtoi(argv[4]) : 20;

  std::printf("| What | N | Blindfold | Floor | Ratio |\n|---|---|---|---|---|\n");
  // A handful of windows is what the hotkey is pressed for; a fixed cost shows
  // there first.
  // Two set-ups: Blindfold started hidden, and Blindfold started with its
  // panel shown, which the first hide takes away; the panel made at start
  // stays made.
  for (const bool panelShownAtStart : {false, true}) {
    for (const int count : {1, 5, 20, 200}) {
      if (footprintOnly) break;
      if (!MeasureLatency(blindfold, count, repeats, panelShownAtStart)) return 1;
    }
  }

  if (latencyOnly) return 0;

  // Footprint, against the minimal window program started in the same rounds:
  // start-up to a shown panel (a first start), start-up to ready when starting
  // hidden to the tray, and private memory after start-up and after idling.
  std::vector<double> shownStart, shownMemory, hiddenStart, hiddenMemory, hiddenIdleMemory;
  std::vector<double> minimalStart, minimalMemory, minimalIdleMemory;
  SetSetting(L"Software\\Blindfold", L"AlwaysHide", L"");
  for (int r = 0; r < repeats; ++r) {
    SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"StartHidden", L"0");
    SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"DisplayIcon", L"0");
    {
      Process program;
      const auto start = Clock::now();
      Start(program, L"\"" + blindfold + L"\"");
      WaitForShownWindow(program.info.dwProcessId, L"Blindfold");
      shownStart.push_back(Milliseconds(Clock::now() - start));
      Sleep(kSettleMs);
      shownMemory.push_back(Kib(PrivateBytes(program.info.hProcess)));
    }
    SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"StartHidden", L"1");
    SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"DisplayIcon", L"1");
    Process program;
    auto start = Clock::now();
    Start(program, L"\"" + blindfold + L"\"");
    const HWND main = WaitUntilReady(program);
    if (!main) return Failed("Blindfold, started hidden, did not arm its hotkeys and show its tray icon");
    hiddenStart.push_back(Milliseconds(Clock::now() - start));
    Sleep(kSettleMs);
    hiddenMemory.push_back(Kib(PrivateBytes(program.info.hProcess)));

    Process minimal;
    start = Clock::now();
    Start(minimal, L"\"" + Here() + L"bench_windows.exe\" 1 none minimal");
    WaitForShownWindow(minimal.info.dwProcessId, L"Minimal");
    minimalStart.push_back(Milliseconds(Clock::now() - start));
    Sleep(kSettleMs);
    minimalMemory.push_back(Kib(PrivateBytes(minimal.info.hProcess)));

    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    hiddenIdleMemory.push_back(Kib(PrivateBytes(program.info.hProcess)));
    minimalIdleMemory.push_back(Kib(PrivateBytes(minimal.info.hProcess)));
    // Shut down as the tray menu would, taking the tray icon away with it.
    PostMessageW(main, WM_COMMAND, kShutdownCommand, 0);
    WaitForSingleObject(program.info.hProcess, 10000);
  }
  const auto row = [&](const char* what, const std::vector<double>& ours, const std::vector<double>& theirs) {
    std::printf("| %s, median of %d | | %.1f | %.1f | %.2f |\n", what, repeats, Median(ours), Median(theirs),
                Median(ours) / Median(theirs));
  };
  row("start-up to a shown panel (ms)", shownStart, minimalStart);
  row("start-up to ready, starting hidden to the tray (ms)", hiddenStart, minimalStart);
  // Wine reports no current private usage (0 for every program); its peak
  // figure is the process's anonymous resident memory at the moment asked.
  row("private memory after start-up, panel shown (KiB)", shownMemory, minimalMemory);
  row("private memory after start-up, started hidden (KiB)", hiddenMemory, minimalMemory);
  const std::string idleRow = "private memory after idling " + std::to_string(idleSeconds) + " s, started hidden (KiB)";
  row(idleRow.c_str(), hiddenIdleMemory, minimalIdleMemory);
  return 0;
}
