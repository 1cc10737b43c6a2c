#pragma once

#include <array>
#include <string_view>

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

// One stored value: where it lives, its text form, the text written when it is
// missing (empty when nothing is written) and what the program does then.
struct StoredValue {
  std::string_view name;
  std::string_view path;
  TextForm form;
  std::string_view defaultText;
  std::string_view whenMissing;
};

#define BLINDFOLD_KEY "HKLM\\Software\\Blindfold\\ShortcutKeys\\"

inline constexpr StoredValue kBlindfoldShortcutKey{
    "BlindfoldShortcutKey", BLINDFOLD_KEY "BlindfoldShortcutKey", TextForm::HotkeyText,
    "1,0,0,0,X", "the default is written and used"};
inline constexpr StoredValue kWindowsShortcutKey{
    "WindowsShortcutKey", BLINDFOLD_KEY "WindowsShortcutKey", TextForm::HotkeyText,
    "1,0,0,0,Z", "the default is written and used"};
inline constexpr StoredValue kPanicShortcutKey{
    "PanicShortcutKey", BLINDFOLD_KEY "PanicShortcutKey", TextForm::HotkeyText,
    "1,0,0,0,V", "the default is written and used"};
inline constexpr StoredValue kMute{
    "bMute", BLINDFOLD_KEY "bMute", TextForm::CheckState, "", "the mute box stays clear"};
inline constexpr StoredValue kSoundLevel{
    "SoundLevel", BLINDFOLD_KEY "SoundLevel", TextForm::WholeNumber, "",
    "the slider keeps its initial position (100)"};
inline constexpr StoredValue kStartHidden{
    "StartHidden", BLINDFOLD_KEY "StartHidden", TextForm::CheckState, "",
    "the box stays clear and the panel is shown at start"};
inline constexpr StoredValue kShowBlindfoldProtected{
    "PPShowBlindfold", BLINDFOLD_KEY "PPShowBlindfold", TextForm::CheckState, "",
    "the box stays clear"};
inline constexpr StoredValue kShowWindowsProtected{
    "PPShowWindows", BLINDFOLD_KEY "PPShowWindows", TextForm::CheckState, "", "the box stays clear"};
inline constexpr StoredValue kShutdownProtected{
    "PPShutdown", BLINDFOLD_KEY "PPShutdown", TextForm::CheckState, "", "the box stays clear"};
inline constexpr StoredValue kDecoy{
    "Decoy", BLINDFOLD_KEY "Decoy", TextForm::FreeText, "", "the box stays empty"};
inline constexpr StoredValue kTrayMenu{
    "TrayMenu", BLINDFOLD_KEY "TrayMenu", TextForm::GestureCode, "",
    "no gesture opens the menu; a negative code means 516"};
inline constexpr StoredValue kTrayHideWindows{
    "TrayHideWindows", BLINDFOLD_KEY "TrayHideWindows", TextForm::GestureCode, "",
    "no gesture toggles the windows; a negative code means 514"};
inline constexpr StoredValue kTrayIcon{
    "TrayIcon", BLINDFOLD_KEY "TrayIcon", TextForm::FilePath, "",
    "missing or empty: the program's folder followed by \\bf.ico"};
inline constexpr StoredValue kTrayIconTip{
    "TrayIconTip", BLINDFOLD_KEY "TrayIconTip", TextForm::FreeText, "", "empty tip"};
inline constexpr StoredValue kDisplayIcon{
    "DisplayIcon", BLINDFOLD_KEY "DisplayIcon", TextForm::CheckState, "", "no tray icon"};
inline constexpr StoredValue kProgramManager{
    "ProgramManager", BLINDFOLD_KEY "ProgramManager", TextForm::CheckState, "",
    "the desktop is not hidden"};
inline constexpr StoredValue kTaskbar{
    "Taskbar", BLINDFOLD_KEY "Taskbar", TextForm::CheckState, "", "the taskbar is not hidden"};
inline constexpr StoredValue kPassword{
    "PW", BLINDFOLD_KEY "PW", TextForm::PasswordKey, "", "no password"};
// The password functions read the key under the lower-case name they have
// always used; value names match without regard to case, so it is one value.
inline constexpr std::string_view kPasswordReadPath = BLINDFOLD_KEY "pw";
inline constexpr StoredValue kPrevInstWarning{
    "PrevInstWarning", BLINDFOLD_KEY "PrevInstWarning", TextForm::CheckState, "",
    "a second start shows no warning"};
inline constexpr StoredValue kAlwaysHide{
    "AlwaysHide", "HKLM\\Software\\Blindfold\\AlwaysHide", TextForm::EntryList, "",
    "the always-hide list stays empty"};

#undef BLINDFOLD_KEY

// Every stored value, in the order the loader reads them.
inline constexpr std::array<StoredValue, 20> kSchema = {
    kBlindfoldShortcutKey, kWindowsShortcutKey, kPanicShortcutKey, kMute, kSoundLevel,
    kStartHidden,          kShowBlindfoldProtected, kShowWindowsProtected,
    kShutdownProtected,    kAlwaysHide,         kDecoy,             kTrayMenu, kTrayHideWindows,
    kTrayIcon,             kTrayIconTip,        kDisplayIcon,       kProgramManager, kTaskbar,
    kPassword,             kPrevInstWarning};

// The tray icon used when none is stored: a file the program ships with.
inline constexpr std::string_view kDefaultTrayIconFile = "bf.ico";

}  // namespace blindfold
