#pragma once

#include <windows.h>

#include <random>

#include "platform/random.h"
#include "platform/shell.h"
#include "platform/tips_dialog.h"
#include "platform/win32/owner_window.h"

namespace blindfold::win32 {

// Hands addresses and programs to the shell, which opens them without our
// waiting and without a command line in between.
class Win32Shell final : public Shell {
 public:
  bool OpenAddress(const std::string& address) override;
  bool StartProgram(const std::string& path) override;
};

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
