#pragma once

#include <windows.h>

#include "platform/message_box.h"
#include "platform/program_files.h"
#include "platform/single_instance.h"
#include "platform/win32/owner_window.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {

// A named mutex in this session's namespace, created at construction: a second
// start in the same session finds it at once.
class Win32SingleInstance final : public SingleInstance {
 public:
  Win32SingleInstance();
  bool AnotherInstanceIsRunning() override { return anotherIsRunning_; }

 private:
  UniqueKernelHandle mutex_;
  bool anotherIsRunning_ = false;
};

class Win32MessageBoxes final : public MessageBoxes {
 public:
  MessageBoxAnswer Show(const std::string& prompt, const std::string& title, MessageBoxStyle style) override;
  OwnerWindow owner;
};

class Win32ProgramFiles final : public ProgramFiles {
 public:
  std::string ProgramFolder() override;
  std::string ShippedFile(std::string_view name) override;
  std::string ExecutableBaseName() override;
  bool FileExists(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
};

}  // namespace blindfold::win32
