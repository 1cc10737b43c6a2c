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

}  // namespace blindfold::e2e
