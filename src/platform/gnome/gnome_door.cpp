#include "platform/gnome/gnome_door.h"

#include <iostream>

#include "core/texts.h"
#include "platform/gnome/gnome_desktop.h"
#include "platform/linux/text_rules.h"

namespace blindfold::gnome {
namespace {

using linux_desktop::Environment;
using linux_desktop::ListedAdapters;
using linux_desktop::WaylandDoor;

// In a GNOME session on Wayland: the extension for the windows and the keys,
// and GTK drawing on Wayland itself.
class GnomeDoor final : public WaylandDoor {
 public:
  // The session is claimed before the extension is asked for. The rescue may
  // run beside a Blindfold that stopped answering: it registers beside it,
  // with the token of the record they share.
  WindowManager* Windows(bool rescue) override {
    if (!rescue) instance_.emplace(lockFile_);
    bridge_.emplace(linux_desktop::SessionKeyOfDisplay(session_));
    if (!instance_ || !instance_->AnotherInstanceIsRunning()) {
      std::string problem;
      bool extensionMissing = false;
      if (!bridge_->Start(10000, rescue, problem, extensionMissing)) {
        if (extensionMissing) whyNot_ = std::string(texts::kGnomeExtensionOff);
        std::cerr << texts::kProgramName << ": GNOME Shell cannot be reached: " << problem << '\n';
        if (!whyNot_.empty()) std::cerr << whyNot_ << '\n';
        return nullptr;
      }
    }
    return &adapters_.windows.emplace(*bridge_);
  }

  std::string WhyNoWindows() const override { return whyNot_; }

  SingleInstance& Instance() override { return *instance_; }

  DesktopDoors Doors() override {
    adapters_.hotkeys = MakePerHotkey(
        [this](const HotkeyRow& row) { return std::make_unique<GnomeHotkey>(*bridge_, std::string(row.name)); });
    adapters_.watch.emplace(*bridge_);
    return adapters_.Doors();
  }

 private:
  std::optional<GnomeBridge> bridge_;
  std::string whyNot_;
  ListedAdapters<GnomeWindowManager, GnomeHotkey, GnomeWindowWatch> adapters_;
};

}  // namespace

bool DetectGnome() {
  return !Environment("WAYLAND_DISPLAY").empty() &&
         Environment("XDG_CURRENT_DESKTOP").find("GNOME") != std::string::npos;
}

std::unique_ptr<OpenDoor> OpenGnome(const DoorNeeds&) { return std::make_unique<GnomeDoor>(); }

}  // namespace blindfold::gnome
