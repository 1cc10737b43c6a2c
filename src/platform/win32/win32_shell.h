#pragma once

#include <windows.h>

#include <random>

#include "platform/program_files.h"
#include "platform/random.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/tips_dialog.h"
#include "platform/win32/owner_window.h"

namespace blindfold::win32 {

// Hands addresses and programs to the shell, which opens them without our
// waiting and without a command line in between.
// The shell. System Information is found where Windows registers it: first
// its full path, then the folder that holds it.
class Win32Shell final : public Shell {
 public:
  Win32Shell(RegistryBackend& registry, ProgramFiles& files) : registry_(registry), files_(files) {}
  bool OpenAddress(const std::string& address) override;
  bool StartProgram(const std::string& path) override;
  // The registered path as it stands, without testing that it exists; the
  // folder only counts when it really holds the program. Machine-wide only.
  std::optional<std::string> SystemInformationProgram() override;

 private:
  RegistryBackend& registry_;
  ProgramFiles& files_;
};

// The text of one registry value; an existing empty value counts as read.
// The registry reader hands over string values as they are, numbers as their
// decimal text, and reports values of any other kind as missing.
std::optional<std::string> GetKeyValue(RegistryBackend& registry, const RegistryLocation& where);

class Win32Random final : public RandomSource {
 public:
  void SeedFromClock() override { generator_.seed(static_cast<unsigned>(GetTickCount64())); }
  float Next() override { return std::uniform_real_distribution<float>(0.0f, 1.0f)(generator_); }

 private:
  std::mt19937 generator_;
};

// "Acknowledgments...": a modal dialog of the resources.
class Win32TipsDialog final : public TipsDialogHost {
 public:
  explicit Win32TipsDialog(OwnerWindow owner) : owner_(std::move(owner)) {}
  void ShowModal(TipsDialogEvents& tips) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void Render(HWND dialog);

  OwnerWindow owner_;
  TipsDialogEvents* tips_ = nullptr;
  HBRUSH white_ = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
};

}  // namespace blindfold::win32
