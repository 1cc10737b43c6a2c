// The whole-program benchmark: drives the real Blindfold.exe and measures what a
// user feels, against the cheapest the platform can do, in the same run.
//   hide and show latency: from the windows hotkey's key-down to the last of N
//   windows invisible (visible), seen from this process, against the floor:
//   this one process calling ShowWindow over the same windows, SW_HIDE and
//   SW_SHOWNA (shown without activating, as Blindfold shows them);
//   footprint: start-up time to a shown window, private memory, against the
//   minimal window program.
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

bool WaitFor(const std::vector<HWND>& windows, bool visible, double timeoutMs = 30000) {
  const auto start = Clock::now();
  while (!All(windows, visible)) {
    if (Milliseconds(Clock::now() - start) > timeoutMs) return false;
  }
  return true;
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

SIZE_T PrivateBytes(HANDLE process, bool peak) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return peak ? counters.PeakPagefileUsage : counters.PrivateUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring blindfold = argc > 1 ? argv[1] : Here() + L"..\\..\\Blindfold.exe";
  const int repeats = argc > 2 ? _wtoi(argv[2]) : 5;
  // "startup" as the third argument measures the footprint alone.
  const bool footprintOnly = argc > 3 && std::wstring(argv[3]) == L"startup";

  std::printf("| What | N | Blindfold | Floor | Ratio |\n|---|---|---|---|---|\n");
  for (const int count : {20, 200, 1000}) {
    if (footprintOnly) break;
    Process windows;
    if (!StartWindows(windows, count)) return Failed("the windows to hide did not open");
    const auto targets = BenchWindows(windows.info.dwProcessId);

    // The floor: the same windows, hidden and shown in a tight loop.
    std::vector<double> floorHide, floorShow;
    for (int r = 0; r < repeats; ++r) {
      auto start = Clock::now();
      for (HWND window : targets) ShowWindow(window, SW_HIDE);
      WaitFor(targets, false);
      floorHide.push_back(Milliseconds(Clock::now() - start));
      start = Clock::now();
      for (HWND window : targets) ShowWindow(window, SW_SHOWNA);
      WaitFor(targets, true);
      floorShow.push_back(Milliseconds(Clock::now() - start));
    }

    // Blindfold, hiding every window of the class through the always-hide list.
    SetSetting(L"Software\\Blindfold", L"AlwaysHide", L"x\tBlindfoldBenchWindow  (class)");
    SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"StartHidden", L"1");
    Process program;
    if (!Start(program, L"\"" + blindfold + L"\"")) return Failed("Blindfold did not start");
    WaitForInputIdle(program.info.hProcess, 30000);
    if (!WaitForWindowsHotkey()) return Failed("Blindfold did not register its windows hotkey");
    Sleep(300);
    std::vector<double> hide, show;
    for (int r = 0; r < repeats; ++r) {
      auto start = Clock::now();
      PressWindowsHotkey();
      if (!WaitFor(targets, false)) return Failed("the windows were not hidden within 30 s");
      hide.push_back(Milliseconds(Clock::now() - start));
      Sleep(300);
      start = Clock::now();
      PressWindowsHotkey();
      if (!WaitFor(targets, true)) return Failed("the windows were not shown within 30 s");
      show.push_back(Milliseconds(Clock::now() - start));
      Sleep(300);
    }
    std::printf("| hide latency (ms, median of %d) | %d | %.1f | %.1f | %.2f |\n", repeats, count, Median(hide),
                Median(floorHide), Median(hide) / Median(floorHide));
    std::printf("| show latency (ms, median of %d) | %d | %.1f | %.1f | %.2f |\n", repeats, count, Median(show),
                Median(floorShow), Median(show) / Median(floorShow));
    std::fflush(stdout);
  }

  // Footprint: start-up to a shown window, and private memory, against the
  // minimal window program.
  SetSetting(L"Software\\Blindfold\\ShortcutKeys", L"StartHidden", L"0");
  std::vector<double> startBlindfold, startMinimal;
  SIZE_T idleBlindfold = 0, peakBlindfold = 0, idleMinimal = 0, peakMinimal = 0;
  for (int r = 0; r < repeats; ++r) {
    {
      Process program;
      const auto start = Clock::now();
      Start(program, L"\"" + blindfold + L"\"");
      WaitForShownWindow(program.info.dwProcessId, L"Blindfold");
      startBlindfold.push_back(Milliseconds(Clock::now() - start));
      Sleep(500);
      idleBlindfold = PrivateBytes(program.info.hProcess, false);
      peakBlindfold = PrivateBytes(program.info.hProcess, true);
    }
    {
      Process minimal;
      const auto start = Clock::now();
      Start(minimal, L"\"" + Here() + L"bench_windows.exe\" 1 none minimal");
      WaitForShownWindow(minimal.info.dwProcessId, L"Minimal");
      startMinimal.push_back(Milliseconds(Clock::now() - start));
      Sleep(500);
      idleMinimal = PrivateBytes(minimal.info.hProcess, false);
      peakMinimal = PrivateBytes(minimal.info.hProcess, true);
    }
  }
  std::printf("| start-up to a shown window (ms, median of %d) | | %.1f | %.1f | %.2f |\n", repeats,
              Median(startBlindfold), Median(startMinimal), Median(startBlindfold) / Median(startMinimal));
  // Wine reports no current private usage (0 for every program); its peak
  // figure is the process's anonymous resident memory at the moment asked.
  if (idleBlindfold > 0 && idleMinimal > 0) {
    std::printf("| private memory, idle (KiB) | | %zu | %zu | %.2f |\n", idleBlindfold / 1024, idleMinimal / 1024,
                static_cast<double>(idleBlindfold) / static_cast<double>(idleMinimal));
  }
  std::printf("| private memory, peak (KiB) | | %zu | %zu | %.2f |\n", peakBlindfold / 1024, peakMinimal / 1024,
              static_cast<double>(peakBlindfold) / static_cast<double>(peakMinimal));
  return 0;
}
