#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_manager.h"
#include "settings/settings_store.h"

namespace blindfold {

// What makes a hidden window recognisable after Blindfold has died: handles
// are reused, so the process and class must still match.
struct RecoveredWindow {
  WindowHandle handle;
  std::uint32_t processId = 0;
  std::string className;

  bool operator==(const RecoveredWindow&) const = default;
};

// The hidden windows, kept durable in the per-user store for as long as they
// are hidden, so that no window is lost when Blindfold dies. One line per
// window: handle, process id and class, separated by commas.
class RecoveryRecord {
 public:
  static constexpr std::string_view kPath = "HKCU\\Software\\Blindfold\\Recovery\\HiddenWindows";

  RecoveryRecord(RegistryBackend& registry, WindowManager& windows) : registry_(registry), windows_(windows) {}

  // Adds the windows about to be hidden to those already recorded.
  void Add(const std::vector<WindowHandle>& hidden);
  // The windows are visible again.
  void Clear();
  std::vector<RecoveredWindow> Load();

  static std::string Format(const std::vector<RecoveredWindow>& windows);
  static std::vector<RecoveredWindow> Parse(std::string_view text);

 private:
  RegistryBackend& registry_;
  WindowManager& windows_;
};

// The recorded windows that are still ours to show: they exist, are hidden, and
// still belong to the same process under the same class.
std::vector<WindowHandle> WindowsToRecover(WindowManager& windows, const std::vector<RecoveredWindow>& recorded);

}  // namespace blindfold
