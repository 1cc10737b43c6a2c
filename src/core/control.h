#pragma once

#include <cstddef>
#include <cstdint>

namespace blindfold {

// Every control of the panel, each named once, in the order of the panel's
// control table (which is also the keyboard's tab order). Where a name carries
// a number, it is the control's traditional name; the panel model offers named
// accessors for them.
enum class Control : std::uint8_t {
  Pages,
  // "Open windows"
  frmWindowList, SelectAllLink, ClearAllLink, OpenWindowsList, chkTaskbar, chkProgramManager, cmdAlwaysHideProgram, cmdRefresh, frameAlwaysHide, AlwaysHideList,
  lblHideStatus, lblHelpOpenWindows_0,
  // "Hotkeys": one frame per hotkey (panel, windows, panic), its four modifier
  // boxes (Win, Ctrl, Alt, Shift), its key and what the platform said of it.
  frmHotkey0, PanelKeyWin, PanelKeyCtrl, PanelKeyAlt, PanelKeyShift, lblKey0, txtBlindfoldShortcutKey, lblHotkeyStatus0,
  frmHotkey1, WindowsKeyWin, WindowsKeyCtrl, WindowsKeyAlt, WindowsKeyShift, lblKey1, txtWindowsShortcutKey, lblHotkeyStatus1,
  frmHotkey2, PanicKeyWin, PanicKeyCtrl, PanicKeyAlt, PanicKeyShift, lblKey2, txtPanicShortcutKey, lblHotkeyStatus2,
  lblHelpOpenWindows_1,
  // "Settings"
  frmPassword, lblPassword, txtPassword, cmdSetPassword, lblPasswordStatus, chkShowBlindfold, chkShowWindows, chkShutdownBlindfold,
  frmSound, chkMute, chkMutePrograms, lblRestoreVolume, Slider1, lblSoundInfo,
  frmStart, chkStartHidden, chkStartWithWindows, frmDecoy, txtDecoy,
  lblHelpOpenWindows_2,
  // "Stealth": the two rows of gestures list the same six gestures.
  frmTrayDisplay, chkDisplayIcon, txtTrayIcon, lblBrowseForIcon, cmdBrowseIcon,
  frmTrayMenu, optTrayMenu_0, optTrayMenu_1, optTrayMenu_2, optTrayMenu_3, optTrayMenu_4, optTrayMenu_5,
  frmTrayTip, lblTrayTip, txtTrayIconTip,
  frmTrayHide, optTrayHideWindows_0, optTrayHideWindows_1, optTrayHideWindows_2, optTrayHideWindows_3,
  optTrayHideWindows_4, optTrayHideWindows_5,
  lblHelpOpenWindows_3,
  // "About"
  Label5, lblVersion, lblCheckForUpdates, Label9, cmdAcknowledgments, cmdShutdown, cmdUpdates, cmdVisitForums,
  cmdSysInfo,
  lblHelpOpenWindows_4,
  // On every page.
  cmdOK, Label3,
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Label3) + 1;

constexpr std::size_t IndexOf(Control control) { return static_cast<std::size_t>(control); }

// The n-th control after `first`, for the controls that come in runs.
constexpr Control Nth(Control first, std::size_t n) {
  return static_cast<Control>(IndexOf(first) + n);
}

}  // namespace blindfold
