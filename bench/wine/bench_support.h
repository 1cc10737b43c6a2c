// What the whole-program benchmark and the call costs share: starting the
// program that opens the windows to hide, and finding and watching them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace blindfold::bench {

// The folder of the running program, with its trailing separator.
inline std::wstring Here() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// A started program, ended with the object.
struct Process {
  PROCESS_INFORMATION info{};
  ~Process() {
    if (!info.hProcess) return;
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

inline bool Start(Process& process, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process.info) != FALSE;
}

// Opens `count` windows of class "BlindfoldBenchWindow" in a program of their
// own and waits until they are all shown.
inline bool StartWindows(Process& process, int count, const wchar_t* mode = L"") {
  const std::wstring event = L"BlindfoldBench" + std::to_wstring(GetTickCount64());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event.c_str());
  const bool started = Start(process, L"\"" + Here() + L"bench_windows.exe\" " + std::to_wstring(count) + L" " +
                                          event + L" " + mode);
  const bool signalled = started && WaitForSingleObject(ready, 60000) == WAIT_OBJECT_0;
  CloseHandle(ready);
  return signalled;
}

// The windows of class "BlindfoldBenchWindow" of `process`.
inline std::vector<HWND> BenchWindows(DWORD process) {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (owner == s.process && std::wstring(name) == L"BlindfoldBenchWindow") s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Whether every one of `windows` is visible (or, with false, hidden).
inline bool All(const std::vector<HWND>& windows, bool visible) {
  return std::all_of(windows.begin(), windows.end(),
                     [&](HWND window) { return (IsWindowVisible(window) != FALSE) == visible; });
}

}  // namespace blindfold::bench
