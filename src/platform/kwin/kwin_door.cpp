#include "platform/kwin/kwin_door.h"

#include <iostream>
#include <vector>

#include "core/texts.h"
#include "platform/kwin/kwin_desktop.h"
#include "platform/linux/text_rules.h"

namespace blindfold::kwin {
namespace {

using linux_desktop::Environment;
using linux_desktop::ListedAdapters;
using linux_desktop::WaylandDoor;

// In a Plasma session on Wayland: KWin's script for the windows and the keys,
// and GTK drawing on Wayland itself.
class KWinDoor final : public WaylandDoor {
 public:
  explicit KWinDoor(ProgramFiles& files) : files_(files) {}

  // The session is claimed before the bus name, which a second start must
  // not take. The rescue may run beside a Blindfold that stopped answering,
  // whose copy of the script talks to that Blindfold alone: it loads a copy
  // of its own, reads the same record, and takes its copy away at its end.
  WindowManager* Windows(bool rescue) override {
    const std::string runtime = lockFile_.empty() ? std::string() : lockFile_.substr(0, lockFile_.rfind('/'));
    if (!rescue) instance_.emplace(lockFile_);
    bridge_.emplace(linux_desktop::SessionKeyOfDisplay(session_));
    std::vector<ScriptShortcut> shortcuts;
    for (const HotkeyRow& row : kHotkeys) {
      shortcuts.push_back({std::string(row.name), std::string(row.desktopShortcut), std::string(row.desktopDescription)});
    }
    bridge_->SetShortcuts(std::move(shortcuts));
    if (!instance_ || !instance_->AnotherInstanceIsRunning()) {
      std::string problem;
      if (runtime.empty() || !bridge_->Start(files_.ShippedFile("blindfold-kwin.js"), runtime, 10000, rescue, problem)) {
        std::cerr << texts::kProgramName << ": KWin cannot be reached: "
                  << (runtime.empty() ? "the session has no runtime folder" : problem) << '\n';
        return nullptr;
      }
    }
    return &adapters_.windows.emplace(*bridge_);
  }

  SingleInstance& Instance() override { return *instance_; }

  DesktopDoors Doors() override {
    adapters_.hotkeys = MakePerHotkey([this](const HotkeyRow& row) {
      return std::make_unique<KWinHotkey>(*bridge_, std::string(row.name), std::string(row.desktopShortcut));
    });
    adapters_.watch.emplace(*bridge_);
    return adapters_.Doors();
  }

 private:
  ProgramFiles& files_;
  std::optional<KWinBridge> bridge_;
  ListedAdapters<KWinWindowManager, KWinHotkey, KWinWindowWatch> adapters_;
};

}  // namespace

bool DetectKWin() {
  return !Environment("WAYLAND_DISPLAY").empty() &&
         Environment("XDG_CURRENT_DESKTOP").find("KDE") != std::string::npos;
}

std::unique_ptr<OpenDoor> OpenKWin(const DoorNeeds& needs) { return std::make_unique<KWinDoor>(needs.files); }

}  // namespace blindfold::kwin
