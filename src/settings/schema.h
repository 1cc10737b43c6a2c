#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "panel/panel_model.h"
#include "settings/tray_gestures.h"

namespace blindfold {

// How a stored value's text is to be read.
enum class TextForm {
  HotkeyText,      // "W,C,A,S,key"
  CheckState,      // "0", "1" or "2"
  WholeNumber,     // decimal
  GestureCode,     // decimal mouse-message code, 0 for none
  FreeText,
  FilePath,
  PasswordKey,     // the self-describing one-way key of the password
  EntryList,       // always-hide entries joined with ","
};

// What in the panel a stored value fills when the settings are read, and is
// written from when they are saved.
struct HotkeyField {  // "W,C,A,S,key" from and to the hotkey's boxes
  HotkeyId id;
};
struct CheckField {  // a check box's state
  CheckBox PanelModel::*box;
  // A disabled box shows the program's state, not the user's choice, and is
  // then not saved (the mute box without an audio device).
  bool savedOnlyWhenEnabled = false;
};
struct SwitchField {  // a password switch: on or off, a stored grey state counts as on
  CheckBox PanelModel::*box;
};
struct SliderField {
  Slider PanelModel::*slider;
};
struct TextField {  // free text, taken only when not empty
  TextBox PanelModel::*box;
};
struct TrayTextField {  // the tray icon's file or tip: kept, shown in its box, re-installs the icon when changed
  std::string PanelModel::*kept;
  TextBox PanelModel::*box;
  bool shippedIconWhenEmpty = false;
};
struct ListField {  // the entries of a list, joined with ","
  ListBox PanelModel::*list;
};
struct GestureField {  // the gesture selected in a row of option buttons
  TrayOptionRow PanelModel::*row;
  std::int32_t PanelModel::*code;
  std::int32_t negativeCode;  // what a negative stored code means
  void (*select)(PanelModel&, std::size_t);
};
struct PasswordField {  // the password's key, read only: setting a password writes it
  TextBox PanelModel::*box;
};
struct NormalisedFlag {};  // read where it is used; a save keeps it as "1" or "0"
using Binding = std::variant<HotkeyField, CheckField, SwitchField, SliderField, TextField, TrayTextField, ListField,
                             GestureField, PasswordField, NormalisedFlag>;

// One stored value: where it lives, its text form, the text written when it is
// missing (empty when nothing is written), what the program does then, and
// what in the panel it is bound to.
struct StoredValue {
  std::string_view name;
  std::string_view path;
  TextForm form;
  std::string_view defaultText;
  std::string_view whenMissing;
  Binding binding;
};

#define BLINDFOLD_KEY "HKLM\\Software\\Blindfold\\ShortcutKeys\\"

// Value names are a contract with the settings users already have.
inline constexpr StoredValue kBlindfoldShortcutKey{
    "BlindfoldShortcutKey", BLINDFOLD_KEY "BlindfoldShortcutKey", TextForm::HotkeyText,
    "1,0,0,0,X", "the default is written and used", HotkeyField{HotkeyId::Panel}};
inline constexpr StoredValue kWindowsShortcutKey{
    "WindowsShortcutKey", BLINDFOLD_KEY "WindowsShortcutKey", TextForm::HotkeyText,
    "1,0,0,0,Z", "the default is written and used", HotkeyField{HotkeyId::Windows}};
inline constexpr StoredValue kPanicShortcutKey{
    "PanicShortcutKey", BLINDFOLD_KEY "PanicShortcutKey", TextForm::HotkeyText,
    "1,0,0,0,V", "the default is written and used", HotkeyField{HotkeyId::Panic}};
inline constexpr StoredValue kMute{
    "bMute", BLINDFOLD_KEY "bMute", TextForm::CheckState, "", "the mute box stays clear",
    CheckField{&PanelModel::chkMute, true}};
inline constexpr StoredValue kMuteHiddenPrograms{
    "bMuteHiddenPrograms", BLINDFOLD_KEY "bMuteHiddenPrograms", TextForm::CheckState, "",
    "the box stays clear: hiding mutes the master volume, if at all", CheckField{&PanelModel::chkMutePrograms, true}};
inline constexpr StoredValue kSoundLevel{
    "SoundLevel", BLINDFOLD_KEY "SoundLevel", TextForm::WholeNumber, "",
    "the slider keeps its initial position (100)", SliderField{&PanelModel::Slider1}};
inline constexpr StoredValue kStartHidden{
    "StartHidden", BLINDFOLD_KEY "StartHidden", TextForm::CheckState, "",
    "the box stays clear and the panel is shown at start", CheckField{&PanelModel::chkStartHidden}};
// A program's path that earlier versions kept in a box never shown. Nothing
// reads it any more; it is carried through every save so that it is not lost.
inline constexpr StoredValue kDecoy{
    "Decoy", BLINDFOLD_KEY "Decoy", TextForm::FreeText, "", "the box stays empty", TextField{&PanelModel::txtDecoy}};
inline constexpr StoredValue kShutdownProtected{
    "PPShutdown", BLINDFOLD_KEY "PPShutdown", TextForm::CheckState, "", "the box stays clear",
    SwitchField{&PanelModel::chkShutdownBlindfold}};
inline constexpr StoredValue kShowWindowsProtected{
    "PPShowWindows", BLINDFOLD_KEY "PPShowWindows", TextForm::CheckState, "", "the box stays clear",
    SwitchField{&PanelModel::chkShowWindows}};
inline constexpr StoredValue kShowBlindfoldProtected{
    "PPShowBlindfold", BLINDFOLD_KEY "PPShowBlindfold", TextForm::CheckState, "",
    "the box stays clear", SwitchField{&PanelModel::chkShowBlindfold}};
inline constexpr StoredValue kAlwaysHide{
    "AlwaysHide", "HKLM\\Software\\Blindfold\\AlwaysHide", TextForm::EntryList, "",
    "the always-hide list stays empty", ListField{&PanelModel::alwaysHide}};
inline constexpr StoredValue kTrayMenu{
    "TrayMenu", BLINDFOLD_KEY "TrayMenu", TextForm::GestureCode, "",
    "no gesture opens the menu; a negative code means 516",
    GestureField{&PanelModel::optTrayMenu, &PanelModel::trayMenuCode, kNegativeTrayMenuCode, &SelectMenuGesture}};
inline constexpr StoredValue kTrayHideWindows{
    "TrayHideWindows", BLINDFOLD_KEY "TrayHideWindows", TextForm::GestureCode, "",
    "no gesture toggles the windows; a negative code means 514",
    GestureField{&PanelModel::optTrayHideWindows, &PanelModel::trayToggleCode, kNegativeTrayHideWindowsCode,
                 &SelectToggleGesture}};
inline constexpr StoredValue kTrayIcon{
    "TrayIcon", BLINDFOLD_KEY "TrayIcon", TextForm::FilePath, "",
    "missing or empty: the program's folder followed by \\bf.ico",
    TrayTextField{&PanelModel::trayIconFile, &PanelModel::txtTrayIcon, true}};
inline constexpr StoredValue kTrayIconTip{
    "TrayIconTip", BLINDFOLD_KEY "TrayIconTip", TextForm::FreeText, "", "empty tip",
    TrayTextField{&PanelModel::trayIconTip, &PanelModel::txtTrayIconTip}};
inline constexpr StoredValue kPrevInstWarning{
    "PrevInstWarning", BLINDFOLD_KEY "PrevInstWarning", TextForm::CheckState, "",
    "a second start shows no warning", NormalisedFlag{}};
inline constexpr StoredValue kDisplayIcon{
    "DisplayIcon", BLINDFOLD_KEY "DisplayIcon", TextForm::CheckState, "", "no tray icon",
    CheckField{&PanelModel::chkDisplayIcon}};
inline constexpr StoredValue kProgramManager{
    "ProgramManager", BLINDFOLD_KEY "ProgramManager", TextForm::CheckState, "",
    "the desktop is not hidden", CheckField{&PanelModel::chkProgramManager}};
inline constexpr StoredValue kTaskbar{
    "Taskbar", BLINDFOLD_KEY "Taskbar", TextForm::CheckState, "", "the taskbar is not hidden",
    CheckField{&PanelModel::chkTaskbar}};
inline constexpr StoredValue kPassword{
    "PW", BLINDFOLD_KEY "PW", TextForm::PasswordKey, "", "no password", PasswordField{&PanelModel::txtPassword}};
// The password functions read the key under the lower-case name they have
// always used; value names match without regard to case, so it is one value.
inline constexpr std::string_view kPasswordReadPath = BLINDFOLD_KEY "pw";

#undef BLINDFOLD_KEY

// Every stored value, in the order the settings are read and saved: loading
// and saving walk this table.
inline constexpr auto kSchema = std::to_array<StoredValue>({
    kBlindfoldShortcutKey, kWindowsShortcutKey, kPanicShortcutKey, kMute, kMuteHiddenPrograms, kSoundLevel, kStartHidden, kDecoy,
    kShutdownProtected, kShowWindowsProtected, kShowBlindfoldProtected, kAlwaysHide, kTrayMenu, kTrayHideWindows,
    kTrayIcon, kTrayIconTip, kPrevInstWarning, kDisplayIcon, kProgramManager, kTaskbar, kPassword});

// The tray icon used when none is stored: a file the program ships with.
inline constexpr std::string_view kDefaultTrayIconFile = "bf.ico";

}  // namespace blindfold
