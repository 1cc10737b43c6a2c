#pragma once

#include "app/panel_model.h"
#include "platform/panel_window.h"
#include "platform/program_files.h"
#include "platform/settings_store.h"
#include "platform/window_manager.h"
#include "settings/settings_store.h"
#include "windows/window_toggle.h"

namespace blindfold {

// The platform services the main window works with.
struct Platform {
  WindowManager& windows;
  RegistryBackend& registry;
  PanelWindow& panelWindow;
  ProgramFiles& files;
};

// The main window: owns the panel model and the state behind it, and answers
// the events of the hotkeys, the tray icon and the panel.
class Form1 final : private ToggleHost {
 public:
  explicit Form1(const Platform& platform);

  void GetRegistryValues();

  void VBHotKey1_HotKeyPressed() { hiding.KeyTest(); }

  PanelModel panel;
  WindowHiding hiding;

  // The panel's normal size, restored after the flash.
  static constexpr int kPanelWidthTwips = 8325;
  static constexpr int kPanelHeightTwips = 5955;

 private:
  void CloseLoginDialog() override;
  void HidePanel() override;
  void FlashPanel() override;
  void MuteSound() override;
  void RestoreSound() override;
  bool AskPassword() override;

  Platform platform_;
};

}  // namespace blindfold
