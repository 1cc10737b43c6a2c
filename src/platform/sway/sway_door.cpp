#include "platform/sway/sway_door.h"

#include <iostream>
#include <utility>

#include "core/texts.h"
#include "platform/linux/door_record.h"
#include "platform/sway/sway_desktop.h"

namespace blindfold::sway {
namespace {

using linux_desktop::DoorRecord;
using linux_desktop::Environment;
using linux_desktop::ListedAdapters;
using linux_desktop::WaylandDoor;

// In a sway session: its IPC for the windows and the keys, and GTK drawing
// on Wayland itself. sway's IPC reaches further than X ever could inside its
// session, where X programs are guests.
class SwayDoor final : public WaylandDoor {
 public:
  explicit SwayDoor(std::function<void()> endRun) : endRun_(std::move(endRun)) {}

  bool Reach() override {
    ipc_ = SwayIpc::Connect(socket_);
    if (ipc_) events_ = SwayEvents::Connect(socket_);
    if (!events_) std::cerr << texts::kProgramName << ": sway does not answer on " << socket_ << '\n';
    return events_ != nullptr;
  }

  WindowManager* Windows(bool) override {
    return &adapters_.windows.emplace(*ipc_, DoorRecord::PathFor("sway", session_));
  }

  SingleInstance& Instance() override { return instance_.emplace(lockFile_); }

  DesktopDoors Doors() override {
    adapters_.hotkeys = MakePerHotkey([this](const HotkeyRow& row) {
      return std::make_unique<SwayHotkey>(*ipc_, *events_, std::string(row.name));
    });
    adapters_.watch.emplace(*events_);
    // sway ending ends the session: the hidden windows end with it.
    events_->SetOnLost(endRun_);
    return adapters_.Doors();
  }

 private:
  std::function<void()> endRun_;
  const std::string socket_ = Environment("SWAYSOCK");
  std::unique_ptr<SwayIpc> ipc_;
  std::unique_ptr<SwayEvents> events_;
  ListedAdapters<SwayWindowManager, SwayHotkey, SwayWindowWatch> adapters_;
};

}  // namespace

// A socket left behind by an earlier sway session (a login manager may keep
// the variable) is passed over for the next door.
bool DetectSway() {
  const std::string socket = Environment("SWAYSOCK");
  return !Environment("WAYLAND_DISPLAY").empty() && !socket.empty() && SwayIpc::Connect(socket);
}

std::unique_ptr<OpenDoor> OpenSway(const DoorNeeds& needs) { return std::make_unique<SwayDoor>(needs.endRun); }

}  // namespace blindfold::sway
