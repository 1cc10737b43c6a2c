#include "app/dispatch.h"

namespace blindfold {
namespace {

class DispatchedHotkey final : public HotkeyControl {
 public:
  DispatchedHotkey(HotkeyControl& hotkey, Dispatch& dispatch) : hotkey_(hotkey), dispatch_(dispatch) {}
  HotkeyArmResult Arm(const HotkeyCombination& combination) override { return hotkey_.Arm(combination); }
  void Disarm() override { hotkey_.Disarm(); }
  void SetPressedHandler(std::function<void()> onPressed) override {
    hotkey_.SetPressedHandler(dispatch_.Wrap(std::move(onPressed)));
  }

 private:
  HotkeyControl& hotkey_;
  Dispatch& dispatch_;
};

class DispatchedWatch final : public WindowWatch {
 public:
  DispatchedWatch(WindowWatch& watch, Dispatch& dispatch) : watch_(watch), dispatch_(dispatch) {}
  void Start(int intervalMs, Look look) override {
    watch_.Start(intervalMs, [this, look = std::move(look)](std::optional<WindowHandle> shown) {
      dispatch_([&] { look(shown); });
    });
  }
  void Stop() override { watch_.Stop(); }

 private:
  WindowWatch& watch_;
  Dispatch& dispatch_;
};

class DispatchedBackground final : public Background {
 public:
  DispatchedBackground(Background& background, Dispatch& dispatch) : background_(background), dispatch_(dispatch) {}
  void Run(std::function<void()> job, std::function<void()> done) override {
    background_.Run(std::move(job), dispatch_.Wrap(std::move(done)));
  }

 private:
  Background& background_;
  Dispatch& dispatch_;
};

class DispatchedLoginDialog final : public LoginDialogHost {
 public:
  DispatchedLoginDialog(LoginDialogHost& dialog, Dispatch& dispatch) : dialog_(dialog), dispatch_(dispatch) {}
  void ShowModal(LoginForm& form, const std::function<void()>& onOk, const std::function<void()>& onCancel) override {
    const auto open = dispatch_.PasswordDialogOpen();
    dialog_.ShowModal(form, dispatch_.Wrap(onOk), dispatch_.Wrap(onCancel));
  }
  void Hide() override { dialog_.Hide(); }

 private:
  LoginDialogHost& dialog_;
  Dispatch& dispatch_;
};

class DispatchedTrayEvents final : public TrayEvents {
 public:
  explicit DispatchedTrayEvents(Dispatch& dispatch) : dispatch_(dispatch) {}
  void ReportTo(TrayEvents& events) { events_ = &events; }
  void Gestured(TrayGesture gesture) override {
    dispatch_([&] { events_->Gestured(gesture); });
  }
  void TaskbarCreated() override {
    dispatch_([&] { events_->TaskbarCreated(); });
  }

 private:
  Dispatch& dispatch_;
  TrayEvents* events_ = nullptr;
};

class DispatchedNotificationArea final : public NotificationArea {
 public:
  DispatchedNotificationArea(NotificationArea& area, Dispatch& dispatch) : area_(area), events_(dispatch) {}
  bool AddIcon(const TrayIcon& icon) override { return area_.AddIcon(icon); }
  bool DeleteIcon(const TrayIcon& icon) override { return area_.DeleteIcon(icon); }
  bool ShowBalloon(const TrayIcon& icon, const std::string& title, const std::string& text) override {
    return area_.ShowBalloon(icon, title, text);
  }
  void StartReporting(WindowHandle window, TrayEvents& events) override {
    events_.ReportTo(events);
    area_.StartReporting(window, events_);
  }
  void StopReporting() override { area_.StopReporting(); }

 private:
  NotificationArea& area_;
  DispatchedTrayEvents events_;
};

class DispatchedCommandInbox final : public CommandInbox {
 public:
  DispatchedCommandInbox(CommandInbox& inbox, Dispatch& dispatch) : inbox_(inbox), dispatch_(dispatch) {}
  // A command waits, as a hotkey's posted press would, until the logic is
  // between events: on Windows a sent message reaches the program while the
  // logic waits for another program's window to answer, in the middle of a
  // hide or a look at the hidden windows.
  void SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) override {
    if (!onReceived) return inbox_.SetReceivedHandler({});
    inbox_.SetReceivedHandler([this, onReceived = std::move(onReceived)](Command command) {
      if (!dispatch_.MayStartEvent()) return CommandOutcome::Busy;
      CommandOutcome outcome = CommandOutcome::Done;
      dispatch_([&] { outcome = onReceived(command); });
      return outcome;
    });
  }

 private:
  CommandInbox& inbox_;
  Dispatch& dispatch_;
};

}  // namespace

struct DispatchedPlatform::Ports {
  Ports(const Platform& platform, Dispatch& dispatch)
      : hotkeys(MakePerHotkey([&](const HotkeyRow& row) {
          return std::make_unique<DispatchedHotkey>(*platform.hotkeys[row.id], dispatch);
        })),
        loginDialog(platform.loginDialog, dispatch),
        notificationArea(platform.notificationArea, dispatch),
        windowWatch(platform.windowWatch, dispatch),
        background(platform.background, dispatch),
        commands(platform.commands, dispatch) {}

  PerHotkey<std::unique_ptr<DispatchedHotkey>> hotkeys;
  DispatchedLoginDialog loginDialog;
  DispatchedNotificationArea notificationArea;
  DispatchedWatch windowWatch;
  DispatchedBackground background;
  DispatchedCommandInbox commands;
};

DispatchedPlatform::DispatchedPlatform(const Platform& platform, Dispatch& dispatch)
    : ports_(std::make_unique<Ports>(platform, dispatch)) {
  Ports& ports = *ports_;
  platform_.emplace(Platform{
      .windows = platform.windows,
      .registry = platform.registry,
      .panelWindow = platform.panelWindow,
      .files = platform.files,
      .hotkeys = MakePerHotkey([&ports](const HotkeyRow& row) -> HotkeyControl* { return ports.hotkeys[row.id].get(); }),
      .messageBoxes = platform.messageBoxes,
      .loginDialog = ports.loginDialog,
      .crypto = platform.crypto,
      .mixer = platform.mixer,
      .notificationArea = ports.notificationArea,
      .popupMenu = platform.popupMenu,
      .fileDialog = platform.fileDialog,
      .shell = platform.shell,
      .random = platform.random,
      .tipsDialog = platform.tipsDialog,
      .windowWatch = ports.windowWatch,
      .background = ports.background,
      .autostart = platform.autostart,
      .commands = ports.commands,
  });
}

DispatchedPlatform::~DispatchedPlatform() = default;

}  // namespace blindfold
