#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/panel_model.h"
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
// window: handle, process id and class, separated by commas; before them, the
// line "guarded" when showing them needs the password.
class RecoveryRecord {
 public:
  static constexpr std::string_view kPath = "HKCU\\Software\\Blindfold\\Recovery\\HiddenWindows";

  RecoveryRecord(RegistryBackend& registry, WindowManager& windows) : registry_(registry), windows_(windows) {}

  // Adds the windows about to be hidden to those already recorded.
  void Add(const std::vector<WindowHandle>& hidden);
  // A window left to its program is no longer ours to show.
  void Remove(WindowHandle window);
  // Whether showing the recorded windows needs the password: the guard in
  // force when they were hidden, which Lock may have turned on without saving.
  void SetGuarded(bool guarded);
  bool Guarded();
  // The windows are visible again.
  void Clear();
  // Nothing is recorded: read without parsing, as it is asked often.
  bool Empty();
  std::vector<RecoveredWindow> Load();

  // No more lines are read than the program could ever have written: one per
  // window it can list, the taskbar, the desktop and the guard.
  static constexpr std::size_t kMostLines = ListBox::kMaxRows + 3;
  static std::string Format(const std::vector<RecoveredWindow>& windows, bool guarded = false);
  static std::vector<RecoveredWindow> Parse(std::string_view text);
  static bool ParseGuarded(std::string_view text);

 private:
  std::string Text();
  void Write(const std::vector<RecoveredWindow>& windows, bool guarded);

  RegistryBackend& registry_;
  WindowManager& windows_;
};

// The recorded windows that are still ours to show: they exist and still
// belong to the same process under the same class. One that is on screen may
// still have a hide of ours waiting in its program's queue, so it counts too.
std::vector<WindowHandle> WindowsToRecover(WindowManager& windows, const std::vector<RecoveredWindow>& recorded);

}  // namespace blindfold
