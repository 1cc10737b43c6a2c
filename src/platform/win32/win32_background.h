#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/background.h"

namespace blindfold::win32 {

// Each job on a thread of its own; its end is posted to a message-only window
// of the user-interface thread, which runs what follows it.
class Win32Background final : public Background {
 public:
  Win32Background();
  Win32Background(const Win32Background&) = delete;
  Win32Background& operator=(const Win32Background&) = delete;
  // Waits for the jobs still running: they may use what is destroyed next.
  ~Win32Background() override;

  void Run(std::function<void()> job, std::function<void()> done) override;

 private:
  struct Work {
    std::function<void()> job;
    std::atomic<bool> finished{false};
    HWND window = nullptr;
    std::uint64_t id = 0;
  };
  HWND Window();
  static DWORD WINAPI ThreadMain(void* work);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(std::uint64_t id);

  HWND window_ = nullptr;
  std::uint64_t nextId_ = 1;
  struct Running {
    std::shared_ptr<Work> work;
    std::function<void()> done;
    HANDLE thread = nullptr;
  };
  std::map<std::uint64_t, Running> running_;
};

}  // namespace blindfold::win32
