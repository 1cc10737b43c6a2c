#include "app/main_window.h"

#include <array>

#include "app/command_line.h"
#include "core/log.h"
#include "core/version.h"
#include "info/links.h"
#include "info/tips.h"
#include "core/texts.h"
#include "settings/registry_loader.h"
#include "settings/save_settings.h"
#include "settings/schema.h"
#include "windows/always_hide.h"

namespace blindfold {
namespace {

// Tab stops of both lists, in dialog units: three columns per row.
const std::vector<std::int32_t> kListTabStops = {240, 400};

// Where the load puts the controls of the "Open windows" page, in twips.
constexpr std::array<ControlPlacement, 7> kLoadPlacements = {{
    {Control::OpenWindowsList, 120, 480, 7575, 1410},
    {Control::frmWindowList, 120, 360, 7935, 2295},
    {Control::SelectAllLink, std::nullopt, 230, std::nullopt, std::nullopt},
    {Control::ClearAllLink, std::nullopt, 230, std::nullopt, std::nullopt},
    {Control::frameAlwaysHide, 120, std::nullopt, std::nullopt, std::nullopt},
    {Control::chkTaskbar, 120, 1920, std::nullopt, std::nullopt},
    {Control::chkProgramManager, 1920, 1920, std::nullopt, std::nullopt},
}};

}  // namespace

MainWindow::MainWindow(const Platform& platform)
    : hiding(panel, platform.windows, platform.windowWatch, *this),
      hotkeys(MakePerHotkey([&platform](const HotkeyRow& row) { return ArmedHotkey(*platform.hotkeys[row.id], row.initialKey); })),
      passwordGate(platform.loginDialog, platform.registry, platform.crypto, platform.background),
      sound(platform.mixer),
      systray(platform.notificationArea,
              {[this] { return TrayMenuCode(); }, [this] { return panel.trayToggleCode; },
               [this] { OpenTrayMenu(); }, [this] { hiding.ToggleChosenWindows(); }}),
      recovery(platform.registry, platform.windows),
      platform_(platform) {
  hiding.KeepDurable(&recovery);
  for (const HotkeyRow& row : kHotkeys) {
    platform.hotkeys[row.id]->SetPressedHandler([this, command = row.command] { Do(command); });
  }
  platform.commands.SetReceivedHandler([this](Command command) { return CommandReceived(command); });
}

// Nothing may reach a main window that has gone.
MainWindow::~MainWindow() { platform_.commands.SetReceivedHandler({}); }

void MainWindow::Load() {
  LoadSettings();
  ArmHotkeys();
  panel.openWindows.tabStops = kListTabStops;
  panel.alwaysHide.tabStops = kListTabStops;
  panel.page = PanelPage::OpenWindows;

  for (const ControlPlacement& placement : kLoadPlacements) platform_.panelWindow.PlaceControl(placement);
  panel.alwaysHide.visible = true;
  panel.frameAlwaysHide.visible = true;
  panel.chkTaskbar.visible = true;
  panel.chkProgramManager.visible = true;

  if (panel.chkDisplayIcon.value == 1) {
    InstallTrayIcon();
    HidePanel();
    // With a tray icon, shutting down is the tray menu's business.
    panel.cmdShutdown.visible = false;
  }
  hiding.FillOpenWindowsList();
  MarkAlwaysHideByWholeText(panel.alwaysHide, panel.openWindows);
  panel.lblVersion.caption = "Version " + VersionText();
  panel.Label3.caption = std::string(kWebHost);
  RecoverHiddenWindows();
  ReportDamagedPasswordKey(platform_.registry, platform_.messageBoxes);
}

void MainWindow::RecoverHiddenWindows() {
  std::vector<WindowHandle> ours = WindowsToRecover(platform_.windows, recovery.Load());
  bool guarded = recovery.Guarded();
  if (ours.empty()) {
    // No record (none could be kept): the windows' own marks tell which are
    // ours, but not whether showing them was guarded. Any password set keeps
    // them until it is given: a Lock left unsaved guarded them too.
    ours = platform_.windows.LeftHiddenByThisProgram();
    guarded = !SettingsStore(platform_.registry).ReadAsSaved(kPassword.path).value_or("").empty();
    if (!ours.empty()) log::Warning("recovery", ours.size(), " windows left hidden found by their marks alone");
  }
  if (ours.empty()) {
    recovery.Clear();
    return;
  }
  // Guarded when they were hidden (by the stored switch or by Lock), they stay
  // guarded now: the switch is on for this run, as Lock would have left it.
  if (guarded) panel.chkShowWindows.value = 1;
  hiding.TakeOverHidden(ours);
  recovery.Clear();
  recovery.Add(ours);
  recovery.SetGuarded(panel.chkShowWindows.IsSet());
  // Without the guard they come back at once; with it they stay hidden, and
  // the next press of the windows hotkey asks for the password first.
  if (panel.chkShowWindows.IsSet()) {
    for (const WindowHandle window : ours) hiding.HideOneWindow(window);
    hiding.KeepHidden();
  } else {
    // As a show does: the Blindfold that died may have left the sound muted.
    hiding.ShowHiddenWindows();
    RestoreSound();
  }
  RefreshWindowList();
}

void MainWindow::ShowWindowsBeforeDying() {
  if (!panel.chkShowWindows.IsSet()) hiding.ShowHiddenWindows();
}

bool MainWindow::MayUnload(CloseReason reason) {
  if (reason == CloseReason::WindowsEnding || shuttingDown) return true;
  HidePanelAtRequest();
  return false;
}

// A tray icon that answers no click would be a dead end: with no gesture
// chosen for the menu, a right click opens it, unless a right click hides the
// windows.
std::int32_t MainWindow::TrayMenuCode() const {
  constexpr std::int32_t kRightClick = 517;  // the stored code of the right button's release
  if (panel.trayMenuCode != 0) return panel.trayMenuCode;
  return panel.trayToggleCode == kRightClick ? 0 : kRightClick;
}

bool MainWindow::PanelHasWayIn() const { return hotkeys[HotkeyId::Panel].Armed() || systray.IconShown(); }

void MainWindow::ShowPanelWhenThereIsNoWayIn() {
  if (PanelHasWayIn() || platform_.panelWindow.IsVisible()) return;
  panel.page = PanelPage::Hotkeys;
  platform_.panelWindow.SetVisible(true);
}

// A user who ticked the tray icon's box asked for that way back, so it is
// shown now rather than at the next start; otherwise the panel stays where the
// user can mend its hotkey.
void MainWindow::HidePanelAtRequest() {
  if (panel.chkDisplayIcon.IsSet()) ShowTrayIconAsWayIn();
  if (PanelHasWayIn() || !platform_.panelWindow.IsVisible()) return HidePanel();
  log::Warning("panel", "kept open: neither its hotkey nor a tray icon could bring it back");
  panel.page = PanelPage::Hotkeys;
  platform_.messageBoxes.Show(std::string(texts::kPanelKeptOpen), std::string(texts::kProgramName),
                              MessageBoxStyle::WarningOk);
}

void MainWindow::ShowTrayIconAsWayIn() {
  if (PanelHasWayIn()) return;
  log::Warning("panel", "its hotkey does not work: the tray icon is shown as the way back");
  InstallTrayIcon();
  systray.ShowBalloon(std::string(texts::kProgramName), std::string(texts::kTrayIconAsWayIn));
}

void MainWindow::Unload() {
  systray.UnhookTrayWindow();
  systray.RemoveTrayIcon();
}

void MainWindow::ShutDown() {
  if (!PassGate(panel.chkShutdownBlindfold.IsSet())) return;
  hiding.ShowHiddenWindows();
  RefreshWindowList();
  shuttingDown = true;
  Unload();
  platform_.panelWindow.Unload();
}

void MainWindow::ShowPanelFromTray() {
  if (!PassGate(panel.chkShowBlindfold.IsSet())) return;
  hiding.ShowHiddenWindows();
  RefreshWindowList();
  ShowPanelOnFirstPage();
}

void MainWindow::OpenTrayMenu() {
  platform_.popupMenu.SetForegroundWindow(platform_.panelWindow.Handle());
  using enum TrayMenuItem;
  // Without a password, Lock would lock nothing: any text opens it.
  const bool passwordSet = !SettingsStore(platform_.registry).ReadAsSaved(kPassword.path).value_or("").empty();
  const std::vector<MenuEntry> entries = {{Lock, std::string(texts::kMenuLock), panel.mnuLock.enabled && passwordSet},
                                          {Separator, "", true},
                                          {ShowUi, std::string(texts::kMenuShowUi)},
                                          {Separator, "", true},
                                          {Shutdown, std::string(texts::kMenuShutdown)}};
  const auto chosen = platform_.popupMenu.Pop(entries);
  if (chosen == Lock) LockEverything();
  if (chosen == ShowUi) ShowPanelFromTray();
  if (chosen == Shutdown) ShutDown();
}

void MainWindow::BrowseForTrayIcon() {
  const IconFileKinds& kinds = platform_.panelWindow.IconFiles();
  const std::string file = platform_.fileDialog.OpenFile(std::string(kinds.filter), std::string(kinds.defaultExtension),
                                                         std::string(texts::kIconDialogTitle));
  if (!file.empty()) panel.txtTrayIcon.text = file;
}

void MainWindow::ShowAcknowledgments() {
  AcknowledgmentsDialog tips(TipsPlatform{platform_.registry, platform_.files, platform_.random});
  tips.Load();
  if (!tips.dialog.unloaded) platform_.tipsDialog.ShowModal(tips);
}

void MainWindow::Help() { blindfold::Help(LinkPlatform()); }
void MainWindow::CheckForUpdates() { blindfold::CheckForUpdates(LinkPlatform()); }
void MainWindow::VisitForum() { blindfold::VisitForum(LinkPlatform()); }
void MainWindow::VisitHomePage() { blindfold::VisitHomePage(LinkPlatform()); }
void MainWindow::StartSysInfo() { blindfold::StartSysInfo(LinkPlatform()); }

InfoPlatform MainWindow::LinkPlatform() const {
  return InfoPlatform{platform_.shell, platform_.messageBoxes};
}

void MainWindow::InstallTrayIcon() {
  const std::string& path = panel.txtTrayIcon.text;
  if (platform_.panelWindow.IconFiles().Loads(path)) platform_.panelWindow.LoadIconFile(path);
  PanelWindow& window = platform_.panelWindow;
  systray.HookTrayWindow(window.Handle());
  systray.AddTrayIcon(window.Handle(), window.IconHandle(), window.IconHandle(), panel.txtTrayIconTip.text);
}

void MainWindow::TogglePanel() {
  if (platform_.panelWindow.IsVisible()) {
    cmdOK_Click();
    if (!panel.chkShowBlindfold.IsSet()) RefreshWindowList();
    return;
  }
  if (!panel.chkShowBlindfold.IsSet()) {
    if (hiding.WindowsHidden()) {
      if (!PassGate(false)) return;
      hiding.ShowHiddenWindows();
    }
    ShowPanelOnFirstPage();
    RefreshWindowList();
    return;
  }
  const bool passed = AskPassword();
  panel.page = PanelPage::OpenWindows;
  if (!passed) return;
  if (hiding.WindowsHidden()) {
    hiding.ShowHiddenWindows();
    RefreshWindowList();
  }
  platform_.panelWindow.SetVisible(true);
}

void MainWindow::cmdOK_Click() {
  MarkAlwaysHideByWholeText(panel.alwaysHide, panel.openWindows);
  std::vector<WindowHandle> marked;
  for (const ListRow& row : panel.openWindows.Rows()) {
    if (row.marked) marked.push_back(row.itemData);
  }
  hiding.Choose(marked);
  ReenableLock(panel);
  if (hiding.WindowsHidden()) recovery.SetGuarded(panel.chkShowWindows.IsSet());
  if (!SaveSettings()) return;
  HidePanelAtRequest();
}

void MainWindow::SetPasswordFromPanel() {
  blindfold::SetPasswordFromPanel(panel, platform_.registry, platform_.crypto, platform_.background);
}

void MainWindow::LoadSettings() {
  SettingsStore store(platform_.registry);
  blindfold::LoadSettings(store, panel, platform_.files.ShippedFile(kDefaultTrayIconFile));
  panel.chkStartWithWindows.value = platform_.autostart.IsOn() ? 1 : 0;
}

void MainWindow::ArmHotkeys() {
  const std::string program = platform_.files.ExecutableBaseName();
  for (const HotkeyRow& row : kHotkeys) hotkeys[row.id].ArmFrom(panel, row.id, program);
}

bool MainWindow::SaveSettings() {
  SettingsStore store(platform_.registry);
  const SaveActions actions{&platform_.autostart,
                            [this] { ArmHotkeys(); },
                            [this] {
                              systray.UnhookTrayWindow();
                              systray.RemoveTrayIcon();
                              InstallTrayIcon();
                            }};
  const std::vector<std::string> failed = blindfold::SaveSettings(store, panel, actions);
  if (failed.empty()) {
    log::Info("settings", "saved");
    return true;
  }
  std::string names;
  for (const std::string& name : failed) names += (names.empty() ? "" : ", ") + name;
  log::Warning("settings", "not stored: ", names);
  platform_.messageBoxes.Show(texts::SettingsNotSaved(names), std::string(texts::kProgramName),
                              MessageBoxStyle::WarningOk);
  return false;
}

void MainWindow::ShowPanelOnFirstPage() {
  platform_.panelWindow.SetVisible(true);
  panel.page = PanelPage::OpenWindows;
}

// Every way of showing the panel or ending the program shows the hidden
// windows too, so while the show-windows guard holds them, the action asks for
// the password even where its own guard is off; once is enough.
bool MainWindow::PassGate(bool actionGuarded) {
  const bool windowsGuarded = hiding.WindowsHidden() && panel.chkShowWindows.IsSet();
  return !(actionGuarded || windowsGuarded) || AskPassword();
}

void MainWindow::CloseLoginDialog() { passwordGate.CloseLoginDialog(); }

// The panel goes whatever comes: hiding windows must not leave their titles on
// screen in its list. When nothing else could bring it back, the tray icon
// stays as the way in.
void MainWindow::HidePanel() {
  if (platform_.panelWindow.IsVisible()) ShowTrayIconAsWayIn();
  platform_.panelWindow.SetVisible(false);
}

// Just before the desktop window is hidden, the panel becomes for an instant a
// visible borderless window of 1 by 1 twip, so that the shell hands the
// foreground to a window of ours rather than to the desktop being hidden.
void MainWindow::FlashPanel() {
  PanelWindow& window = platform_.panelWindow;
  window.SetBorderStyle(BorderStyle::None);
  window.SetSizeTwips(1, 1);
  window.SetVisible(true);
  window.SetVisible(false);
  window.SetBorderStyle(BorderStyle::FixedSingle);
  window.SetSizeTwips(kPanelWidthTwips, kPanelHeightTwips);
}

void MainWindow::MuteSound() {
  FindSound();
  sound.MuteSound(panel);
}

void MainWindow::RestoreSound() {
  FindSound();
  sound.RestoreSound(panel);
}

// The audio device is looked for when it is first needed: when the sound is
// first muted, or the page that shows its controls is first shown. Finding it
// costs start-up time and memory (the platform's audio libraries), and until
// then the mute box shows the stored choice, which is what a save keeps.
void MainWindow::FindSound() {
  if (soundFound_) return;
  soundFound_ = true;
  sound.SoundInit(panel);
}

bool MainWindow::AskPassword() {
  const bool given = passwordGate.AskPassword();
  if (!given) ++passwordRefusals_;
  return given;
}

void MainWindow::Do(Command command) {
  switch (command) {
    case Command::Toggle:
      return hiding.ToggleChosenWindows();
    case Command::Panic:
      return hiding.PanicHide();
    case Command::Panel:
      return TogglePanel();
    case Command::Quit:
      return ShutDown();
  }
}

CommandOutcome MainWindow::CommandReceived(Command command) {
  if (shuttingDown) return CommandOutcome::Busy;
  const int refusalsBefore = passwordRefusals_;
  log::Info("command", "received ", OptionOf(command));
  Do(command);
  if (passwordRefusals_ != refusalsBefore) return CommandOutcome::Refused;
  if (const std::optional<std::string> why = platform_.windows.Unreachable()) {
    log::Warning("command", OptionOf(command), " did nothing: ", *why);
    return CommandOutcome::Failed;
  }
  return CommandOutcome::Done;
}

WindowHandle MainWindow::PanelHandle() { return platform_.panelWindow.Handle(); }

// The panel is usually hidden while windows are, so the tray icon, when it is
// shown, says it where the user will see it.
void MainWindow::ReportNotHidden(const std::string& line) { systray.ShowBalloon(std::string(texts::kProgramName), line); }

void MainWindow::LockEverything() {
  blindfold::LockEverything(panel);
  // The lock holds for the windows hidden now even if Blindfold dies.
  if (hiding.WindowsHidden()) recovery.SetGuarded(true);
}

}  // namespace blindfold
