#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "platform/command_inbox.h"

namespace blindfold::win32 {

// A message-only window of the running program that takes WM_COPYDATA from
// later starts: a command of four bytes, from a window of a process that runs
// as the same user. Nothing outside this desktop can find it.
class Win32CommandInbox final : public CommandInbox {
 public:
  Win32CommandInbox();
  Win32CommandInbox(const Win32CommandInbox&) = delete;
  Win32CommandInbox& operator=(const Win32CommandInbox&) = delete;
  ~Win32CommandInbox() override;

  void SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Received(HWND sender, const COPYDATASTRUCT& data);

  HWND window_ = nullptr;
  std::function<CommandOutcome(Command)> onReceived_;
};

// Sends `command` to the running program of this desktop and waits for its
// answer, as long as the program is not hung.
Delivery SendToRunningInstance(Command command);

}  // namespace blindfold::win32
