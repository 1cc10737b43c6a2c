#include "app/form1.h"

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
    {Control::List1, 120, 480, 7575, 1410},
    {Control::frmWindowList, 120, 360, 7935, 2295},
    {Control::Label1, std::nullopt, 230, std::nullopt, std::nullopt},
    {Control::Label7, std::nullopt, 230, std::nullopt, std::nullopt},
    {Control::frameAlwaysHide, 120, std::nullopt, std::nullopt, std::nullopt},
    {Control::chkTaskbar, 120, 1920, std::nullopt, std::nullopt},
    {Control::chkProgramManager, 1920, 1920, std::nullopt, std::nullopt},
}};

}  // namespace

Form1::Form1(const Platform& platform)
    : hiding(panel, platform.windows, platform.windowWatch, *this),
      VBHotKey3(platform.panelHotkey, 'X'),
      VBHotKey1(platform.windowsHotkey, 'Z'),
      VBHotKey2(platform.panicHotkey, 0),
      passwordGate(platform.loginDialog, platform.registry, platform.crypto, platform.background),
      sound(platform.mixer),
      systray(platform.notificationArea,
              {[this] { return TrayMenuCode(); }, [this] { return panel.lTrayHideWindows; },
               [this] { SysTrayMouseEventHandler(); }, [this] { hiding.KeyTest(); }}),
      recovery(platform.registry, platform.windows),
      platform_(platform) {
  hiding.KeepDurable(&recovery);
  platform.panelHotkey.SetPressedHandler([this] { VBHotKey3_HotKeyPressed(); });
  platform.windowsHotkey.SetPressedHandler([this] { VBHotKey1_HotKeyPressed(); });
  platform.panicHotkey.SetPressedHandler([this] { VBHotKey2_HotKeyPressed(); });
  platform.commands.SetReceivedHandler([this](Command command) { return CommandReceived(command); });
}

// Nothing may reach a main window that has gone.
Form1::~Form1() { platform_.commands.SetReceivedHandler({}); }

void Form1::Form_Load() {
  GetRegistryValues();
  ArmHotkeys();
  panel.List1.tabStops = kListTabStops;
  panel.List2.tabStops = kListTabStops;
  panel.SSTab1 = PanelPage::OpenWindows;

  for (const ControlPlacement& placement : kLoadPlacements) platform_.panelWindow.PlaceControl(placement);
  panel.List2.visible = true;
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
  MarkAlwaysHideByWholeText(panel.List2, panel.List1);
  panel.lblVersion.caption = "Version " + VersionText();
  panel.Label3.caption = std::string(kWebHost);
  RecoverHiddenWindows();
  ReportDamagedPasswordKey(platform_.registry, platform_.messageBoxes);
}

void Form1::RecoverHiddenWindows() {
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
    hiding.ShowHiddenWindows();
  }
  cmdRefresh_Click();
}

void Form1::ShowWindowsBeforeDying() {
  if (!panel.chkShowWindows.IsSet()) hiding.ShowHiddenWindows();
}

bool Form1::Form_QueryUnload(CloseReason reason) {
  if (reason == CloseReason::WindowsEnding || bShuttingDown) return true;
  HidePanelAtRequest();
  return false;
}

// A tray icon that answers no click would be a dead end: with no gesture
// chosen for the menu, a right click opens it, unless a right click hides the
// windows.
std::int32_t Form1::TrayMenuCode() const {
  constexpr std::int32_t kRightClick = 517;  // the stored code of the right button's release
  if (panel.lTrayMenu != 0) return panel.lTrayMenu;
  return panel.lTrayHideWindows == kRightClick ? 0 : kRightClick;
}

bool Form1::PanelHasWayIn() const { return VBHotKey3.Armed() || systray.IconShown(); }

void Form1::ShowPanelWhenThereIsNoWayIn() {
  if (PanelHasWayIn() || platform_.panelWindow.IsVisible()) return;
  panel.SSTab1 = PanelPage::Hotkeys;
  platform_.panelWindow.SetVisible(true);
}

// A user who ticked the tray icon's box asked for that way back, so it is
// shown now rather than at the next start; otherwise the panel stays where the
// user can mend its hotkey.
void Form1::HidePanelAtRequest() {
  if (panel.chkDisplayIcon.IsSet()) ShowTrayIconAsWayIn();
  if (PanelHasWayIn() || !platform_.panelWindow.IsVisible()) return HidePanel();
  log::Warning("panel", "kept open: neither its hotkey nor a tray icon could bring it back");
  panel.SSTab1 = PanelPage::Hotkeys;
  platform_.messageBoxes.Show(std::string(texts::kPanelKeptOpen), std::string(texts::kProgramName),
                              MessageBoxStyle::WarningOk);
}

void Form1::ShowTrayIconAsWayIn() {
  if (PanelHasWayIn()) return;
  log::Warning("panel", "its hotkey does not work: the tray icon is shown as the way back");
  InstallTrayIcon();
  systray.ShowBalloon(std::string(texts::kProgramName), std::string(texts::kTrayIconAsWayIn));
}

void Form1::Form_Unload() {
  systray.UnhookTrayWindow();
  systray.RemoveTrayIcon();
}

void Form1::ShutdownBlindfold_Click() {
  if (!PassGate(panel.chkShutdownBlindfold.IsSet())) return;
  hiding.ShowHiddenWindows();
  cmdRefresh_Click();
  bShuttingDown = true;
  Form_Unload();
  platform_.panelWindow.Unload();
}

void Form1::mnuSysTrayShow_Click() {
  if (!PassGate(panel.chkShowBlindfold.IsSet())) return;
  hiding.ShowHiddenWindows();
  cmdRefresh_Click();
  ShowPanelOnFirstPage();
}

void Form1::SysTrayMouseEventHandler() {
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
  if (chosen == Lock) mnuLock_Click();
  if (chosen == ShowUi) mnuSysTrayShow_Click();
  if (chosen == Shutdown) ShutdownBlindfold_Click();
}

void Form1::lblBrowseForIcon_Click() {
  const IconFileKinds& kinds = platform_.panelWindow.IconFiles();
  const std::string file = platform_.fileDialog.OpenFile(std::string(kinds.filter), std::string(kinds.defaultExtension),
                                                         std::string(texts::kIconDialogTitle));
  if (!file.empty()) panel.txtTrayIcon.text = file;
}

void Form1::cmdAcknowledgments_Click() {
  frmTip tips(TipsPlatform{platform_.registry, platform_.files, platform_.random});
  tips.Form_Load();
  if (!tips.dialog.unloaded) platform_.tipsDialog.ShowModal(tips);
}

void Form1::Help() { blindfold::Help(LinkPlatform()); }
void Form1::CheckForUpdates() { blindfold::CheckForUpdates(LinkPlatform()); }
void Form1::VisitForum() { blindfold::VisitForum(LinkPlatform()); }
void Form1::VisitKestrel() { blindfold::VisitKestrel(LinkPlatform()); }
void Form1::StartSysInfo() { blindfold::StartSysInfo(LinkPlatform()); }

InfoPlatform Form1::LinkPlatform() const {
  return InfoPlatform{platform_.shell, platform_.messageBoxes};
}

void Form1::InstallTrayIcon() {
  const std::string& path = panel.txtTrayIcon.text;
  if (platform_.panelWindow.IconFiles().Loads(path)) platform_.panelWindow.LoadIconFile(path);
  PanelWindow& window = platform_.panelWindow;
  systray.HookTrayWindow(window.Handle());
  systray.AddTrayIcon(window.Handle(), window.IconHandle(), window.IconHandle(), panel.txtTrayIconTip.text);
}

void Form1::VBHotKey3_HotKeyPressed() {
  if (platform_.panelWindow.IsVisible()) {
    cmdOK_Click();
    if (!panel.chkShowBlindfold.IsSet()) cmdRefresh_Click();
    return;
  }
  if (!panel.chkShowBlindfold.IsSet()) {
    if (hiding.WindowsHidden()) {
      if (!PassGate(false)) return;
      hiding.ShowHiddenWindows();
    }
    ShowPanelOnFirstPage();
    cmdRefresh_Click();
    return;
  }
  const bool passed = AskPassword();
  panel.SSTab1 = PanelPage::OpenWindows;
  if (!passed) return;
  if (hiding.WindowsHidden()) {
    hiding.ShowHiddenWindows();
    cmdRefresh_Click();
  }
  platform_.panelWindow.SetVisible(true);
}

void Form1::cmdOK_Click() {
  MarkAlwaysHideByWholeText(panel.List2, panel.List1);
  std::vector<WindowHandle> marked;
  for (const ListRow& row : panel.List1.Rows()) {
    if (row.marked) marked.push_back(row.itemData);
  }
  hiding.Choose(marked);
  ReenableLock(panel);
  if (hiding.WindowsHidden()) recovery.SetGuarded(panel.chkShowWindows.IsSet());
  if (!SaveRegistrySettings()) return;
  HidePanelAtRequest();
}

void Form1::cmdSetPassword_Click() {
  blindfold::cmdSetPassword_Click(panel, platform_.registry, platform_.crypto, platform_.background);
}

void Form1::GetRegistryValues() {
  SettingsStore store(platform_.registry);
  blindfold::GetRegistryValues(store, panel, platform_.files.ShippedFile(kDefaultTrayIconFile));
  panel.chkStartWithWindows.value = platform_.autostart.IsOn() ? 1 : 0;
}

void Form1::ArmHotkeys() {
  const std::string program = platform_.files.ExecutableBaseName();
  for (const HotkeyId hotkey : kHotkeyIds) HotkeyFor(hotkey).ArmFrom(panel, hotkey, program);
}

VBHotKey& Form1::HotkeyFor(HotkeyId hotkey) {
  switch (hotkey) {
    case HotkeyId::Panel:
      return VBHotKey3;
    case HotkeyId::Windows:
      return VBHotKey1;
    case HotkeyId::Panic:
      break;
  }
  return VBHotKey2;
}

bool Form1::SaveRegistrySettings() {
  SettingsStore store(platform_.registry);
  const SaveActions actions{&platform_.autostart,
                            [this] { ArmHotkeys(); },
                            [this] {
                              systray.UnhookTrayWindow();
                              systray.RemoveTrayIcon();
                              InstallTrayIcon();
                            }};
  const std::vector<std::string> failed = blindfold::SaveRegistrySettings(store, panel, actions);
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

void Form1::ShowPanelOnFirstPage() {
  platform_.panelWindow.SetVisible(true);
  panel.SSTab1 = PanelPage::OpenWindows;
}

// Every way of showing the panel or ending the program shows the hidden
// windows too, so while the show-windows guard holds them, the action asks for
// the password even where its own guard is off; once is enough.
bool Form1::PassGate(bool actionGuarded) {
  const bool windowsGuarded = hiding.WindowsHidden() && panel.chkShowWindows.IsSet();
  return !(actionGuarded || windowsGuarded) || AskPassword();
}

void Form1::CloseLoginDialog() { passwordGate.CloseLoginDialog(); }

// The panel goes whatever comes: hiding windows must not leave their titles on
// screen in its list. When nothing else could bring it back, the tray icon
// stays as the way in.
void Form1::HidePanel() {
  if (platform_.panelWindow.IsVisible()) ShowTrayIconAsWayIn();
  platform_.panelWindow.SetVisible(false);
}

// Just before the desktop window is hidden, the panel becomes for an instant a
// visible borderless window of 1 by 1 twip, so that the shell hands the
// foreground to a window of ours rather than to the desktop being hidden.
void Form1::FlashPanel() {
  PanelWindow& window = platform_.panelWindow;
  window.SetBorderStyle(BorderStyle::None);
  window.SetSizeTwips(1, 1);
  window.SetVisible(true);
  window.SetVisible(false);
  window.SetBorderStyle(BorderStyle::FixedSingle);
  window.SetSizeTwips(kPanelWidthTwips, kPanelHeightTwips);
}

void Form1::MuteSound() {
  FindSound();
  sound.MuteSound(panel);
}

void Form1::RestoreSound() {
  FindSound();
  sound.RestoreSound(panel);
}

// The audio device is looked for when it is first needed: when the sound is
// first muted, or the page that shows its controls is first shown. Finding it
// costs start-up time and memory (the platform's audio libraries), and until
// then the mute box shows the stored choice, which is what a save keeps.
void Form1::FindSound() {
  if (soundFound_) return;
  soundFound_ = true;
  sound.SoundInit(panel);
}

bool Form1::AskPassword() {
  const bool given = passwordGate.AskPassword();
  if (!given) ++passwordRefusals_;
  return given;
}

CommandOutcome Form1::CommandReceived(Command command) {
  if (bShuttingDown) return CommandOutcome::Busy;
  const int refusalsBefore = passwordRefusals_;
  log::Info("command", "received ", OptionOf(command));
  switch (command) {
    case Command::Toggle:
      VBHotKey1_HotKeyPressed();
      break;
    case Command::Panic:
      VBHotKey2_HotKeyPressed();
      break;
    case Command::Panel:
      VBHotKey3_HotKeyPressed();
      break;
    case Command::Quit:
      ShutdownBlindfold_Click();
      break;
  }
  if (passwordRefusals_ != refusalsBefore) return CommandOutcome::Refused;
  if (const std::optional<std::string> why = platform_.windows.Unreachable()) {
    log::Warning("command", OptionOf(command), " did nothing: ", *why);
    return CommandOutcome::Failed;
  }
  return CommandOutcome::Done;
}

WindowHandle Form1::PanelHandle() { return platform_.panelWindow.Handle(); }

// The panel is usually hidden while windows are, so the tray icon, when it is
// shown, says it where the user will see it.
void Form1::ReportNotHidden(const std::string& line) { systray.ShowBalloon(std::string(texts::kProgramName), line); }

void Form1::mnuLock_Click() {
  blindfold::mnuLock_Click(panel);
  // The lock holds for the windows hidden now even if Blindfold dies.
  if (hiding.WindowsHidden()) recovery.SetGuarded(true);
}

}  // namespace blindfold
