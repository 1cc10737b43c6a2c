#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "platform/command_inbox.h"

namespace blindfold::win32 {

// A message-only window of the running program that takes WM_COPYDATA from
// later starts on this desktop: a command of four bytes, naming as its sender
// a window of another process of the same user.
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

// Sends `command` to the running program of this user on this desktop and
// waits for its answer, as long as the program is not hung; asks again while
// it is busy.
Delivery SendToRunningInstance(Command command);

}  // namespace blindfold::win32
