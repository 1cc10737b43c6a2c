#pragma once

#include <functional>
#include <string>
#include <vector>

#include "windows/window_toggle.h"

namespace blindfold {

// A toggle host whose password gate and panel can be scripted and inspected.
class ToggleHostStub : public ToggleHost {
 public:
  void CloseLoginDialog() override { calls.push_back("close login"); }
  void HidePanel() override {
    calls.push_back("hide panel");
    if (onHidePanel) onHidePanel();
  }
  void FlashPanel() override {
    calls.push_back("flash panel");
    if (onFlash) onFlash();
  }
  void MuteSound() override {
    calls.push_back("mute");
    if (onSound) onSound();
  }
  void RestoreSound() override {
    calls.push_back("restore");
    if (onSound) onSound();
  }
  bool AskPassword() override {
    calls.push_back("ask password");
    return passwordAccepted;
  }
  WindowHandle PanelHandle() override { return panel; }
  void ReportNotHidden(const std::string& line) override { calls.push_back("report " + line); }

  bool passwordAccepted = true;
  WindowHandle panel;
  std::function<void()> onFlash;
  std::function<void()> onHidePanel;
  std::function<void()> onSound;
  std::vector<std::string> calls;
};

}  // namespace blindfold
