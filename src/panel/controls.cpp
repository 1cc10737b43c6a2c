#include "panel/controls.h"

#include <algorithm>
#include <array>
#include <utility>

namespace blindfold {
namespace {

// Binds a row to its part of the model.
#define MODEL(member) [](PanelModel& panel) -> ModelField { return &panel.member; }

constexpr int kOpenWindows = static_cast<int>(PanelPage::OpenWindows);
constexpr int kHotkeysPage = static_cast<int>(PanelPage::Hotkeys);
constexpr int kSettings = static_cast<int>(PanelPage::Settings);
constexpr int kStealth = static_cast<int>(PanelPage::Stealth);
constexpr int kAbout = static_cast<int>(PanelPage::About);

using enum Control;
using K = ControlKind;

// The third column is each control's name in the original design ("List1",
// "Check2(0)", "SSTab1"): with the number beside it, it is how the design's
// documents and the tests' messages know a control, so it is kept as it is.
// Code names the controls by what they are (first column).
// clang-format off
constexpr std::array<ControlInfo, kControlCount> kControls = {{
    {Pages, 1001, "SSTab1", kEveryPage, K::Tabs, "", {60, 60, 8100, 4950}},

    {frmWindowList, 1002, "frmWindowList", kOpenWindows, K::Frame, "Open windows list", {180, 420, 7935, 2295}, MODEL(frmWindowList)},
    {SelectAllLink, 1003, "Label1", kOpenWindows, K::Link, "[ Select All ]", {5180, 650, 1300, 240}},
    {ClearAllLink, 1004, "Label7", kOpenWindows, K::Link, "[ Clear All ]", {6580, 650, 1300, 240}},
    {OpenWindowsList, 1005, "List1", kOpenWindows, K::MultiList, "", {300, 900, 7575, 1410}, MODEL(openWindows)},
    {chkTaskbar, 1006, "chkTaskbar", kOpenWindows, K::CheckBox, "[ Hide &Taskbar ]", {300, 2340, 1750, 300}, MODEL(chkTaskbar)},
    {chkProgramManager, 1007, "chkProgramManager", kOpenWindows, K::CheckBox, "[ Hide &desktop icons ]", {2100, 2340, 2400, 300}, MODEL(chkProgramManager)},
    // Not in the original design: the current row's program goes in the always-hide list.
    {cmdAlwaysHideProgram, 1092, "cmdAlwaysHideProgram", kOpenWindows, K::Button, "Always hide &program", {4560, 2310, 2160, 345}, MODEL(cmdAlwaysHideProgram)},
    {cmdRefresh, 1008, "cmdRefresh", kOpenWindows, K::Button, "&Refresh", {6780, 2310, 1095, 345}, MODEL(cmdRefresh)},
    {frameAlwaysHide, 1009, "frameAlwaysHide", kOpenWindows, K::Frame, "Always hide list - Double click to remove an item from the 'Always hide list.'", {180, 2820, 7935, 1740}, MODEL(frameAlwaysHide)},
    {AlwaysHideList, 1010, "List2", kOpenWindows, K::List, "", {300, 3120, 7695, 1320}, MODEL(alwaysHide)},
    {lblHideStatus, 1090, "lblHideStatus", kOpenWindows, K::Label, "", {300, 4620, 6300, 250}, MODEL(lblHideStatus)},
    {lblHelpOpenWindows_0, 1083, "lblHelpOpenWindows(0)", kOpenWindows, K::Link, "Online Help!", {6760, 4680, 1300, 250}},

    {frmHotkey0, 1011, "frmHotkey(0)", kHotkeysPage, K::Frame, "Blindfold hide/display hotkey (Toggles Blindfold UI between hidden/visible)", {180, 420, 7935, 1320}},
    {PanelKeyWin, 1012, "Check2(0)", kHotkeysPage, K::CheckBox, "[ &WinKey ]", {420, 780, 1400, 300}, MODEL(hotkeys[HotkeyId::Panel].modifiers[0])},
    {PanelKeyCtrl, 1013, "Check2(1)", kHotkeysPage, K::CheckBox, "[ &CtrlKey ]", {1870, 780, 1400, 300}, MODEL(hotkeys[HotkeyId::Panel].modifiers[1])},
    {PanelKeyAlt, 1014, "Check2(2)", kHotkeysPage, K::CheckBox, "[ &AltKey ]", {3320, 780, 1400, 300}, MODEL(hotkeys[HotkeyId::Panel].modifiers[2])},
    {PanelKeyShift, 1015, "Check2(3)", kHotkeysPage, K::CheckBox, "[ &ShiftKey ]", {4770, 780, 1400, 300}, MODEL(hotkeys[HotkeyId::Panel].modifiers[3])},
    {lblKey0, 1016, "lblKey(0)", kHotkeysPage, K::Label, "&Key:", {6280, 820, 500, 250}},
    {txtBlindfoldShortcutKey, 1017, "txtBlindfoldShortcutKey", kHotkeysPage, K::KeyBox, "", {6830, 750, 600, 330}, MODEL(hotkeys[HotkeyId::Panel].key)},
    {lblHotkeyStatus0, 1018, "lblHotkeyStatus(0)", kHotkeysPage, K::Label, "", {420, 1260, 7500, 450}, MODEL(hotkeys[HotkeyId::Panel].status)},
    {frmHotkey1, 1019, "frmHotkey(1)", kHotkeysPage, K::Frame, "Windows hide/display hotkey (Toggles windows between hidden and visible)", {180, 1860, 7935, 1320}},
    {WindowsKeyWin, 1020, "Check2(4)", kHotkeysPage, K::CheckBox, "[ W&inKey ]", {420, 2220, 1400, 300}, MODEL(hotkeys[HotkeyId::Windows].modifiers[0])},
    {WindowsKeyCtrl, 1021, "Check2(5)", kHotkeysPage, K::CheckBox, "[ Ct&rlKey ]", {1870, 2220, 1400, 300}, MODEL(hotkeys[HotkeyId::Windows].modifiers[1])},
    {WindowsKeyAlt, 1022, "Check2(6)", kHotkeysPage, K::CheckBox, "[ A&ltKey ]", {3320, 2220, 1400, 300}, MODEL(hotkeys[HotkeyId::Windows].modifiers[2])},
    {WindowsKeyShift, 1023, "Check2(7)", kHotkeysPage, K::CheckBox, "[ S&hiftKey ]", {4770, 2220, 1400, 300}, MODEL(hotkeys[HotkeyId::Windows].modifiers[3])},
    {lblKey1, 1024, "lblKey(1)", kHotkeysPage, K::Label, "K&ey:", {6280, 2260, 500, 250}},
    {txtWindowsShortcutKey, 1025, "txtWindowsShortcutKey", kHotkeysPage, K::KeyBox, "", {6830, 2190, 600, 330}, MODEL(hotkeys[HotkeyId::Windows].key)},
    {lblHotkeyStatus1, 1026, "lblHotkeyStatus(1)", kHotkeysPage, K::Label, "", {420, 2700, 7500, 450}, MODEL(hotkeys[HotkeyId::Windows].status)},
    {frmHotkey2, 1027, "frmHotkey(2)", kHotkeysPage, K::Frame, "Panic hide hotkey (Makes all visible windows hidden)", {180, 3300, 7935, 1320}},
    {PanicKeyWin, 1028, "Check2(8)", kHotkeysPage, K::CheckBox, "[ Wi&nKey ]", {420, 3660, 1400, 300}, MODEL(hotkeys[HotkeyId::Panic].modifiers[0])},
    {PanicKeyCtrl, 1029, "Check2(9)", kHotkeysPage, K::CheckBox, "[ C&trlKey ]", {1870, 3660, 1400, 300}, MODEL(hotkeys[HotkeyId::Panic].modifiers[1])},
    {PanicKeyAlt, 1030, "Check2(10)", kHotkeysPage, K::CheckBox, "[ &AltKey ]", {3320, 3660, 1400, 300}, MODEL(hotkeys[HotkeyId::Panic].modifiers[2])},
    {PanicKeyShift, 1031, "Check2(11)", kHotkeysPage, K::CheckBox, "[ Shi&ftKey ]", {4770, 3660, 1400, 300}, MODEL(hotkeys[HotkeyId::Panic].modifiers[3])},
    {lblKey2, 1032, "lblKey(2)", kHotkeysPage, K::Label, "Ke&y:", {6280, 3700, 500, 250}},
    {txtPanicShortcutKey, 1033, "txtPanicShortcutKey", kHotkeysPage, K::KeyBox, "", {6830, 3630, 600, 330}, MODEL(hotkeys[HotkeyId::Panic].key)},
    {lblHotkeyStatus2, 1034, "lblHotkeyStatus(2)", kHotkeysPage, K::Label, "", {420, 4140, 7500, 450}, MODEL(hotkeys[HotkeyId::Panic].status)},
    {lblHelpOpenWindows_1, 1084, "lblHelpOpenWindows(1)", kHotkeysPage, K::Link, "Online Help!", {6760, 4680, 1300, 250}},

    {frmPassword, 1035, "frmPassword", kSettings, K::Frame, "Password protection", {180, 420, 7935, 1800}},
    {lblPassword, 1036, "lblPassword", kSettings, K::Label, "&Password:", {420, 810, 1000, 250}},
    {txtPassword, 1037, "txtPassword", kSettings, K::PasswordBox, "", {1480, 750, 3000, 330}, MODEL(txtPassword)},
    {cmdSetPassword, 1038, "cmdSetPassword", kSettings, K::Button, "S&et password", {4600, 720, 1400, 375}},
    {lblPasswordStatus, 1091, "lblPasswordStatus", kSettings, K::Label, "(256 characters at most)", {6080, 810, 2000, 250}, MODEL(lblPasswordStatus)},
    {chkShowBlindfold, 1039, "chkShowBlindfold", kSettings, K::CheckBox, "[ Password protect 'Show &Blindfold' ]", {420, 1200, 5000, 300}, MODEL(chkShowBlindfold)},
    {chkShowWindows, 1040, "chkShowWindows", kSettings, K::CheckBox, "[ Password protect 'Show &windows' ]", {420, 1530, 5000, 300}, MODEL(chkShowWindows)},
    {chkShutdownBlindfold, 1041, "chkShutdownBlindfold", kSettings, K::CheckBox, "[ Password protect 'Sh&utdown Blindfold' ]", {420, 1860, 5000, 300}, MODEL(chkShutdownBlindfold)},
    {frmSound, 1042, "frmSound", kSettings, K::Frame, "Sound (volume) control", {180, 2340, 7935, 1200}},
    {chkMute, 1043, "chkMute", kSettings, K::CheckBox, "[ Mute &sound when hiding windows ]", {420, 2670, 3600, 300}, MODEL(chkMute)},
    // Not in the original design: the hidden windows' programs muted, not the speakers.
    {chkMutePrograms, 1093, "chkMutePrograms", kSettings, K::CheckBox, "[ Mute &only the hidden programs ]", {4080, 2670, 3900, 300}, MODEL(chkMutePrograms)},
    {lblRestoreVolume, 1044, "lblRestoreVolume", kSettings, K::Label, "&Restore volume level (0-100%):", {420, 3120, 2900, 250}},
    {Slider1, 1045, "Slider1", kSettings, K::Slider, "", {3380, 3030, 4500, 420}, MODEL(Slider1)},
    {lblSoundInfo, 1046, "lblSoundInfo", kSettings, K::Label, "SoundInfo", {5180, 2670, 2500, 250}, MODEL(lblSoundInfo)},
    {frmStart, 1047, "frmStart", kSettings, K::Frame, "Start options", {180, 3660, 7935, 900}},
    {chkStartHidden, 1048, "chkStartHidden", kSettings, K::CheckBox, "[ Start Blindfold in &hidden mode ] ", {420, 3930, 5000, 300}, MODEL(chkStartHidden)},
    {chkStartWithWindows, 1049, "chkStartWithWindows", kSettings, K::CheckBox, "[ Start Blindfold every&time Windows starts ] ", {420, 4230, 5000, 300}, MODEL(chkStartWithWindows)},
    {frmDecoy, 1050, "frmDecoy", kSettings, K::Frame, "Decoy", {180, 3660, 100, 100}, MODEL(frmDecoy), true},
    {txtDecoy, 1051, "txtDecoy", kSettings, K::TextBox, "", {180, 3660, 100, 100}, MODEL(txtDecoy), true},
    {lblHelpOpenWindows_2, 1085, "lblHelpOpenWindows(2)", kSettings, K::Link, "Online Help!", {6760, 4680, 1300, 250}},

    {frmTrayDisplay, 1052, "frmTrayDisplay", kStealth, K::Frame, "Blindfold Tray Icon display", {180, 420, 7935, 1080}},
    {chkDisplayIcon, 1053, "chkDisplayIcon", kStealth, K::CheckBox, "[ Display Blindfold icon in the &system tray ]", {420, 720, 5000, 300}, MODEL(chkDisplayIcon)},
    {txtTrayIcon, 1054, "txtTrayIcon", kStealth, K::TextBox, "", {420, 1080, 5600, 330}, MODEL(txtTrayIcon)},
    {lblBrowseForIcon, 1055, "lblBrowseForIcon", kStealth, K::Link, "[ Browse for Icon ]", {6180, 1120, 1800, 250}},
    {cmdBrowseIcon, 1056, "cmdBrowseIcon", kStealth, K::Button, "Browse...", {6180, 670, 1200, 345}, nullptr, true},
    {frmTrayMenu, 1057, "frmTrayMenu", kStealth, K::Frame, "Display Menu - Blindfold Tray Icon", {180, 1560, 7935, 1080}},
    {optTrayMenu_0, 1058, "optTrayMenu(0)", kStealth, K::OptionButton, "[Dbl l&eft click]", {420, 1890, 2450, 300}, MODEL(optTrayMenu[0])},
    {optTrayMenu_1, 1059, "optTrayMenu(1)", kStealth, K::OptionButton, "[Left cl&ick]", {2970, 1890, 2450, 300}, MODEL(optTrayMenu[1])},
    {optTrayMenu_2, 1060, "optTrayMenu(2)", kStealth, K::OptionButton, "[&Dbl right click]", {5520, 1890, 2450, 300}, MODEL(optTrayMenu[2])},
    {optTrayMenu_3, 1061, "optTrayMenu(3)", kStealth, K::OptionButton, "[Rig&ht click]", {420, 2220, 2450, 300}, MODEL(optTrayMenu[3])},
    {optTrayMenu_4, 1062, "optTrayMenu(4)", kStealth, K::OptionButton, "[Db&l mid click]", {2970, 2220, 2450, 300}, MODEL(optTrayMenu[4])},
    {optTrayMenu_5, 1063, "optTrayMenu(5)", kStealth, K::OptionButton, "[Mid clic&k]", {5520, 2220, 2450, 300}, MODEL(optTrayMenu[5])},
    {frmTrayTip, 1064, "frmTrayTip", kStealth, K::Frame, "Blindfold Tray Icon Tip", {180, 2700, 7935, 720}},
    {lblTrayTip, 1065, "lblTrayTip", kStealth, K::Label, "Blindfold Tray Icon Ti&p:", {420, 3060, 2000, 250}},
    {txtTrayIconTip, 1066, "txtTrayIconTip", kStealth, K::TextBox, "", {2480, 3000, 5400, 330}, MODEL(txtTrayIconTip)},
    {frmTrayHide, 1067, "frmTrayHide", kStealth, K::Frame, "Hide Windows - Blindfold Tray Icon", {180, 3480, 7935, 1080}},
    {optTrayHideWindows_0, 1068, "optTrayHideWindows(0)", kStealth, K::OptionButton, "[Dbl le&ft click]", {420, 3810, 2450, 300}, MODEL(optTrayHideWindows[0])},
    {optTrayHideWindows_1, 1069, "optTrayHideWindows(1)", kStealth, K::OptionButton, "[Lef&t click]", {2970, 3810, 2450, 300}, MODEL(optTrayHideWindows[1])},
    {optTrayHideWindows_2, 1070, "optTrayHideWindows(2)", kStealth, K::OptionButton, "[Dbl ri&ght click]", {5520, 3810, 2450, 300}, MODEL(optTrayHideWindows[2])},
    {optTrayHideWindows_3, 1071, "optTrayHideWindows(3)", kStealth, K::OptionButton, "[&Right click]", {420, 4140, 2450, 300}, MODEL(optTrayHideWindows[3])},
    {optTrayHideWindows_4, 1072, "optTrayHideWindows(4)", kStealth, K::OptionButton, "[D&bl mid click]", {2970, 4140, 2450, 300}, MODEL(optTrayHideWindows[4])},
    {optTrayHideWindows_5, 1073, "optTrayHideWindows(5)", kStealth, K::OptionButton, "[Mid &click]", {5520, 4140, 2450, 300}, MODEL(optTrayHideWindows[5])},
    {lblHelpOpenWindows_3, 1086, "lblHelpOpenWindows(3)", kStealth, K::Link, "Online Help!", {6760, 4680, 1300, 250}},

    {Label5, 1074, "Label5", kAbout, K::Link, "Blindfold", {300, 480, 4000, 660}},
    {lblVersion, 1075, "lblVersion", kAbout, K::Label, "Version", {300, 1260, 4000, 250}, MODEL(lblVersion)},
    {lblCheckForUpdates, 1076, "lblCheckForUpdates", kAbout, K::Link, "[ Check for Updates ]", {300, 1680, 3000, 250}},
    {Label9, 1077, "Label9", kAbout, K::Link, "[Visit Blindfold forum ]", {300, 2040, 3000, 250}},
    {cmdAcknowledgments, 1078, "cmdAcknowledgments", kAbout, K::Button, "&Acknowledgments", {300, 2520, 2000, 375}},
    {cmdShutdown, 1079, "cmdShutdown", kAbout, K::Button, "&Shutdown", {300, 3060, 2000, 375}, MODEL(cmdShutdown)},
    {cmdUpdates, 1080, "cmdUpdates", kAbout, K::Button, "Updates", {4560, 2520, 1500, 375}, nullptr, true},
    {cmdVisitForums, 1081, "cmdVisitForums", kAbout, K::Button, "Visit Forum", {4560, 3060, 1500, 375}, nullptr, true},
    {cmdSysInfo, 1082, "cmdSysInfo", kAbout, K::Button, "&System Info...", {4560, 3600, 1500, 375}, nullptr, true},
    {lblHelpOpenWindows_4, 1087, "lblHelpOpenWindows(4)", kAbout, K::Link, "Online Help!", {6760, 4680, 1300, 250}},

    {cmdOK, 1088, "cmdOK", kEveryPage, K::DefaultButton, "Hide &me!", {6840, 5100, 1320, 375}, MODEL(cmdOK)},
    {Label3, 1089, "Label3", kEveryPage, K::Link, "https://blindfold.example", {120, 5160, 4000, 250}, MODEL(Label3)},
}};
// clang-format on

#undef MODEL

constexpr bool RowsFollowTheControls() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (IndexOf(kControls[i].control) != i) return false;
  }
  return true;
}
static_assert(RowsFollowTheControls(), "the control table lists every control once, in the order of Control");

}  // namespace

std::span<const ControlInfo> Controls() { return kControls; }

const ControlInfo& InfoOf(Control control) { return kControls[IndexOf(control)]; }

ModelField FieldOf(PanelModel& panel, Control control) {
  const ControlInfo& info = InfoOf(control);
  return info.field ? info.field(panel) : ModelField{};
}

// The controls of the open-windows list sit in its frame; every frame, and
// everything else, sits on the tabs.
Control ContainerOf(Control control) {
  switch (control) {
    case Control::OpenWindowsList:
    case Control::SelectAllLink:
    case Control::ClearAllLink:
    case Control::chkTaskbar:
    case Control::chkProgramManager:
      return Control::frmWindowList;
    default:
      return Control::Pages;
  }
}

namespace {

constexpr std::array kTrayMenuOptions = {optTrayMenu_0, optTrayMenu_1, optTrayMenu_2,
                                         optTrayMenu_3, optTrayMenu_4, optTrayMenu_5};
constexpr std::array kTrayHideOptions = {optTrayHideWindows_0, optTrayHideWindows_1, optTrayHideWindows_2,
                                         optTrayHideWindows_3, optTrayHideWindows_4, optTrayHideWindows_5};
constexpr std::array<std::span<const Control>, 2> kOptionGroups = {kTrayMenuOptions, kTrayHideOptions};

}  // namespace

std::span<const std::span<const Control>> OptionGroups() { return kOptionGroups; }

std::span<const Control> OptionGroupOf(Control control) {
  for (const std::span<const Control> group : kOptionGroups) {
    if (std::find(group.begin(), group.end(), control) != group.end()) return group;
  }
  return {};
}

PanelModel::PanelModel() {
  for (const ControlInfo& info : kControls) {
    const ModelField field = FieldOf(*this, info.control);
    if (auto* frame = std::get_if<Frame*>(&field)) (*frame)->caption = info.caption;
    if (auto* label = std::get_if<Label*>(&field)) (*label)->caption = info.caption;
  }
  for (const HotkeyRow& row : kHotkeys) hotkeys[row.id].key.text = row.initialKeyText;
}


}  // namespace blindfold
