#pragma once

#include <gtest/gtest.h>

#include "driver.h"

namespace blindfold::e2e {

// Every end-to-end test starts and ends with no settings stored and every
// taskbar shown, whatever a failed test before it left behind.
class CleanMachineTest : public testing::Test {
 protected:
  void SetUp() override {
    RestoreTaskbars();
    DeleteSettings();
  }
  void TearDown() override {
    RestoreTaskbars();
    DeleteSettings();
  }
};

// A clean machine with a program whose windows Blindfold is to hide.
class WithTestWindows : public CleanMachineTest {
 protected:
  void SetUp() override {
    CleanMachineTest::SetUp();
    app_ = StartTestWindowsProgram();
    ASSERT_NE(app_.hProcess, nullptr) << "the test windows did not open";
  }
  void TearDown() override {
    EndProgram(app_);
    CleanMachineTest::TearDown();
  }

  HWND AppWindow(const std::wstring& title) {
    const auto found = TopLevelWindows(app_.dwProcessId, title);
    return found.empty() ? nullptr : found.front();
  }

  PROCESS_INFORMATION app_{};
};

}  // namespace blindfold::e2e
