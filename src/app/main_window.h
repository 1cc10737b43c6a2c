#pragma once

#include <string>

#include "panel/panel_events.h"
#include "panel/panel_model.h"
#include "app/password.h"
#include "platform/autostart.h"
#include "platform/background.h"
#include "platform/command_inbox.h"
#include "platform/crypto.h"
#include "platform/hotkey.h"
#include "platform/login_dialog.h"
#include "platform/message_box.h"
#include "platform/mixer.h"
#include "platform/notification_area.h"
#include "platform/random.h"
#include "platform/shell.h"
#include "platform/tips_dialog.h"
#include "platform/panel_window.h"
#include "platform/program_files.h"
#include "platform/settings_store.h"
#include "platform/window_manager.h"
#include "platform/window_watch.h"
#include "settings/hotkey_arming.h"
#include "sound/program_mute.h"
#include "sound/sound_control.h"
#include "info/links.h"
#include "tray/systray.h"
#include "windows/window_toggle.h"

namespace blindfold {

// The platform services the main window works with.
struct Platform {
  WindowManager& windows;
  RegistryBackend& registry;
  PanelWindow& panelWindow;
  ProgramFiles& files;
  // One port per row of kHotkeys.
  PerHotkey<HotkeyControl*> hotkeys;
  MessageBoxes& messageBoxes;
  LoginDialogHost& loginDialog;
  Crypto& crypto;
  Mixer& mixer;
  NotificationArea& notificationArea;
  PopupMenu& popupMenu;
  FileDialog& fileDialog;
  Shell& shell;
  RandomSource& random;
  TipsDialogHost& tipsDialog;
  WindowWatch& windowWatch;
  Background& background;
  Autostart& autostart;
  CommandInbox& commands;
};

// The main window: owns the panel model and the state behind it, and answers
// the events of the hotkeys, the tray icon and the panel.
class MainWindow final : public PanelEvents, private ToggleHost {
 public:
  explicit MainWindow(const Platform& platform);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow() override;

  // Loading: every setting into the panel, hotkeys armed, the list filled.
  void Load();
  // A close request: true when the window may unload. Anything but the end of
  // the Windows session or our own shut-down only hides the panel.
  bool MayUnload(CloseReason reason);

  // Windows that a Blindfold which died left hidden: shown again, or, when
  // showing windows needs the password, taken over as hidden.
  void RecoverHiddenWindows();
  // The program is dying: the hidden windows are shown while that is still
  // possible, unless showing them needs the password.
  void ShowWindowsBeforeDying();

  // The window is going: the tray icon and its hook go with it.
  void Unload();

  // With neither the panel's hotkey armed nor a tray icon, a hidden panel
  // could never be shown again: it shows at once, on the page that says why.
  void ShowPanelWhenThereIsNoWayIn();
  // Whether a hidden panel could be shown again by the user: its hotkey works
  // or the tray icon is there.
  bool PanelHasWayIn() const;

  // The only way for the user to end the program.
  void ShutDown();
  void ShutDownClicked() { ShutDown(); }

  // A command from a later start: what its hotkey or menu item does. Refused
  // when a password it asked for was not given; Busy once shutting down, so
  // that the sender asks again and finds the program gone.
  CommandOutcome CommandReceived(Command command);

  // What `command` does, as its hotkey or menu item does it.
  void Do(Command command);

  // "Hide me!": applies and saves the panel, then hides it.
  void cmdOK_Click();
  void RefreshWindowList() { hiding.RefreshWindowList(); }
  // The hidden windows shown, and the sound of their programs given back.
  void ShowHiddenWindows();
  // "Always hide program": the current open window's program joins the
  // always-hide list.
  void AlwaysHideProgramOfCurrentWindow();
  // The tray menu's "Show UI".
  void ShowPanelFromTray();
  // The tray menu, on its gesture.
  void OpenTrayMenu();
  // "[ Browse for Icon ]".
  void BrowseForTrayIcon();

  // The About page and the links.
  void ShowAcknowledgments();
  void Help();
  void CheckForUpdates();
  void VisitForum();
  void VisitHomePage();
  void StartSysInfo();

  void SetPasswordFromPanel();
  void LockEverything();

  void LoadSettings();
  void ArmHotkeys();

  // What the user does to the panel.
  void Clicked(Control control) override;
  void TextChanged(Control control, const std::string& text) override;
  void ValueChanged(Control control, int value) override;
  void PageSelected(PanelPage page) override;
  void RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) override;
  void RowDoubleClicked(Control list) override;
  bool CloseRequested(CloseReason reason) override;

  PanelModel panel;
  WindowHiding hiding;
  PerHotkey<ArmedHotkey> hotkeys;
  bool shuttingDown = false;
  PasswordGate passwordGate;
  SoundControl sound;
  // The hidden windows' programs' sound, when that alone is muted.
  ProgramMute programMute;
  Tray systray;
  RecoveryRecord recovery;

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
  WindowHandle PanelHandle() override;
  void ReportNotHidden(const std::string& line) override;

  // The panel's hotkey: hides a shown panel, or shows it (and the hidden
  // windows) behind the password where one guards it.
  void TogglePanel();
  void ShowPanelOnFirstPage();
  // Hides the panel at the user's request (Hide me!, Esc, the close box),
  // unless nothing could bring it back: then it stays, and says why.
  void HidePanelAtRequest();
  // The tray icon, shown for this run only, as the way back to a panel that
  // must go while its hotkey does not work.
  void ShowTrayIconAsWayIn();
  void FindSound();
  std::int32_t TrayMenuCode() const;
  // The password gate for an action guarded by its own switch when
  // `actionGuarded`; true when the action may go on.
  bool PassGate(bool actionGuarded);
  // Takes the main window's icon from the icon file when its name has an
  // ending the platform loads (".ico" on Windows), then hooks the window and
  // adds the tray icon.
  void InstallTrayIcon();
  InfoPlatform LinkPlatform() const;
  // Saves the panel; false (after telling the user) when a setting could be
  // stored nowhere.
  bool SaveSettings();

  Platform platform_;
  bool soundFound_ = false;
  // The last hide muted the hidden programs' streams, not the speakers.
  bool mutedPrograms_ = false;
  // How many times the password was asked for and not given.
  int passwordRefusals_ = 0;
};

}  // namespace blindfold
