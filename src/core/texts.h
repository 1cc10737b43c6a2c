#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Every text the program shows, but for the captions of the panel's controls,
// which stand in the control table beside the rest of each control's design.
namespace blindfold::texts {

inline constexpr std::string_view kProgramName = "Blindfold";

// The panel's tabs, in the order of its pages, "&" before each access key.
inline constexpr std::array<std::string_view, 5> kPageCaptions = {"&Open windows", "&Hotkeys", "&Settings",
                                                                  "S&tealth", "&About"};

// The headers of the lists' columns, where a toolkit shows a row's columns
// under headers: a window's title, then its class.
inline constexpr std::array<std::string_view, 2> kListColumnCaptions = {"Title", "Class"};

// "Start Blindfold everytime Windows starts", where programs start when the
// user logs in.
inline constexpr std::string_view kStartAtLogInCaption = "[ Start Blindfold every&time you log in ] ";

// The tray menu.
inline constexpr std::string_view kMenuLock = "Lock";
inline constexpr std::string_view kMenuShowUi = "Show UI";
inline constexpr std::string_view kMenuShutdown = "Shutdown";

// The icon file dialog: Windows icon files, or, where the icon loader reads
// pictures, the picture files it reads (patterns separated by ";").
inline constexpr std::string_view kIconFilter = "Icon Files(*.ico)|*.ico";
inline constexpr std::string_view kIconExtension = "*.ico";
inline constexpr std::string_view kPictureIconFilter = "Icon Files(*.png;*.svg;*.ico)|*.png;*.svg;*.ico";
inline constexpr std::string_view kPictureIconExtension = "*.png";
inline constexpr std::string_view kIconDialogTitle = "Browse for Blindfold tray icon";

// The caption of the open-windows list after each way of filling it.
inline std::string WindowListAfterLoad(std::size_t count) {
  return "Open windows list (" + std::to_string(count) + " windows found.)";
}
inline std::string WindowListAfterHide(std::size_t count) {
  return "Open window list. (Found " + std::to_string(count) + " windows.)";
}
inline std::string WindowListAfterRefresh(std::size_t count) {
  return "Open windows list - (" + std::to_string(count) +
         " windows found). Double click to add a windows to the 'Always hide list.'";
}

// Beside a hotkey the platform did not take.
inline std::string HotkeyUnusableKey(const std::string& keyText) {
  return "Could not be registered: \"" + keyText + "\" is not a key this hotkey can use.";
}
// A hide of the panel that would leave no way back to it.
inline constexpr std::string_view kPanelKeptOpen =
    "The panel stays open: its hotkey does not work and there is no tray icon, so nothing could bring it back.";
inline constexpr std::string_view kTrayIconAsWayIn =
    "The panel's hotkey does not work: this icon stays in the tray as the way back to the panel.";
inline constexpr std::string_view kHotkeyWithoutModifier =
    "Not registered: tick at least one of WinKey, CtrlKey, AltKey or ShiftKey.";
// `command` is what does the hotkey's work from a key binding instead, as
// "blindfold --toggle".
inline std::string HotkeyRefused(const std::string& reason, const std::string& command) {
  const std::string stop = !reason.empty() && reason.back() == '.' ? "" : ".";
  return "Could not be registered: " + reason + stop + " Or bind " + command +
         " in your desktop's keyboard settings instead.";
}
// Why the system did not take a combination.
inline constexpr std::string_view kHotkeyTakenOnWindows =
    "another program, or Windows itself, already uses this combination.";
// Where Windows has no words for its error.
inline std::string HotkeyRefusedByWindows(unsigned long error) { return "error " + std::to_string(error); }
inline constexpr std::string_view kHotkeyTakenOnX11 =
    "another program, or the desktop itself, already uses this combination.";
// icewm with its Win95Keys setting on takes every WinKey combination before
// any other program, though the grab holds.
inline constexpr std::string_view kHotkeyTakenByIcewm =
    "the desktop takes this key before Blindfold (icewm's Win95Keys is on): choose one without WinKey, or set "
    "Win95Keys=0.";
inline std::string HotkeyRefusedByX11(int error) {
  return "the X server refused the combination (error " + std::to_string(error) + ").";
}
inline std::string HotkeyKeptKey(char key) {
  return std::string("The Key box is empty: this hotkey still uses the key \"") + key + "\".";
}

// Beneath the open windows, after a window kept coming back while hidden.
inline std::string NotKeptHidden(const std::string& title) {
  return "Kept coming back, so it is no longer hidden: " + title;
}

// Beside "Set password", after it was pressed.
inline constexpr std::string_view kPasswordBeingSet = "Setting the password...";
inline constexpr std::string_view kPasswordSet = "Password set.";
inline constexpr std::string_view kPasswordRemoved = "Password removed.";
inline constexpr std::string_view kPasswordNotSet = "Not set: try again.";
inline constexpr std::string_view kPasswordTooLong = "Not set: 256 characters at most.";

// At start, when the stored password can never be matched.
inline std::string DamagedPasswordWhere(const std::string& howToDelete) {
  return "The stored password of Blindfold is damaged: no password can pass its guards, so what they guard "
         "stays locked.\r\n\r\nTo get out, " + howToDelete +
         ". Blindfold then asks for no password until you set a new one on its Settings page.";
}
// Where the settings are Windows' registry: the value, under its key. A
// program of 32 bits sees the machine's software settings where 64-bit
// Windows keeps them apart, and the user may be looking at either.
inline std::string DeleteRegistryValue(bool currentUser, const std::string& key, const std::string& name) {
  std::string place = (currentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") + key;
  constexpr std::string_view kSoftware = "Software\\";
  if (!currentUser && key.starts_with(kSoftware)) {
    place += " (on 64-bit Windows: HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\" + key.substr(kSoftware.size()) + ")";
  }
  return "open the Registry Editor and delete the value \"" + name + "\" in " + place;
}
// Where the settings are a text file: its line, under the line of its group.
inline std::string DeleteLineInFile(const std::string& file, const std::string& group, const std::string& key) {
  return "open the file " + file + " in a text editor and delete the line that starts with \"" + key +
         "=\" below the line [" + group + "]";
}

// Beneath the open windows, after a hide that some windows refused, as
// programs running with higher rights do.
inline std::string NotHidden(const std::string& names) { return "Could not be hidden: " + names; }
// On standard error when KWin's door cannot have its bus name, and when it
// has it again: the door works without it all the same.
inline std::string KWinBusNameHeld(std::string_view name) {
  return "Blindfold: another program holds the bus name " + std::string(name) +
         "; Blindfold goes on without it (KWin's script talks to Blindfold's own connection) and takes it back "
         "when it is freed.";
}
inline std::string KWinBusNameTakenBack(std::string_view name) {
  return "Blindfold: the bus name " + std::string(name) + " is Blindfold's again.";
}
// "Hide Taskbar" is ticked, but the desktop's bar is part of its window manager.
inline constexpr std::string_view kNoTaskbarToHide =
    "Hide Taskbar: this desktop's bar belongs to its window manager, which keeps it on screen.";
// Beside greyed "Hide Taskbar" and "Hide desktop icons" boxes, where the
// desktop lets no program hide its bar or its background.
inline std::string NotOnThisDesktop(bool taskbar, bool desktopIcons) {
  if (taskbar && desktopIcons) {
    return "Hide Taskbar and Hide desktop icons: this desktop keeps its bar and its background on screen.";
  }
  return taskbar ? "Hide Taskbar: this desktop keeps its bar on screen."
                 : "Hide desktop icons: this desktop keeps its background on screen.";
}

inline std::string SettingsNotSaved(const std::string& names) {
  return "These settings could not be saved, so they will be lost when Blindfold ends: " + names +
         ".\r\n\r\nCheck that you may write to the registry, then press \"Hide me!\" again.";
}

inline constexpr std::string_view kSecondInstanceTitle = "Blindfold is already running in hidden mode!";
inline std::string SecondInstancePrompt(const std::string& keyDescription) {
  return "Blindfold is already running in hidden mode!\r\n"
         "Use the Blindfold function keys to activate Blindfold.\r\n"
         "Close this message then press the Blindfold hotkey " +
         keyDescription +
         "\r\n\r\n"
         "Do you want to display this message in the future?";
}

inline std::string ConnectionWarning(std::string_view webSiteName) {
  return "Error connecting to " + std::string(webSiteName) + " web site.\r\n" +
         "No Internet connection or a firewall/application blocked access.\r\n\r\n" +
         "Blindfold only tries to connect to the Internet when you initiate a connection.";
}

inline std::string MissingTipsFile(std::string_view fileName) {
  const std::string name(fileName);
  return "That the " + name + " file was not found? " + "\r\n\r\n" + "Create a text file named " + name +
         " using NotePad with 1 tip per line. " + "Then place it in the same directory as the application. ";
}

inline constexpr std::string_view kTipsTitle = "Acknowledgments...";
inline constexpr std::string_view kTipsHeading = "Blindfold acknowledgments...";

// The command line. `program` is the name the program is started by.
// `commands` lists the commands for the running Blindfold, a line each.
inline std::string Usage(std::string_view program, const std::string& commands) {
  const std::string name(program);
  return "Usage: " + name + " [OPTION]\n"
         "Hides the windows you chose, and shows them again, at the press of a hotkey.\n"
         "Without an option, starts Blindfold; with one, tells the running Blindfold:\n"
         "\n" +
         commands +
         "  --restore  show every window Blindfold recorded as hidden, and end;\n"
         "             works when no Blindfold runs\n"
         "  --help     show this help and exit\n"
         "  --version  show the version and exit\n"
         "\n"
         "Exit status: 0 when done, 1 when the password was not given or the command\n"
         "could not be delivered, 2 when no Blindfold runs or the options are wrong.\n";
}
inline std::string UnknownOption(std::string_view program, std::string_view option) {
  return std::string(program) + ": unknown option \"" + std::string(option) + "\"; see " + std::string(program) +
         " --help";
}
inline constexpr std::string_view kNothingRuns = "Blindfold is not running here: start it first.";
inline constexpr std::string_view kCommandRefused = "Blindfold did not do it: the password was not given.";
inline constexpr std::string_view kCommandFailed =
    "Blindfold could not do it: the window manager did not answer, or its answer could not be read. Nothing was "
    "hidden or shown; run Blindfold with BLINDFOLD_LOG=info to learn why.";
inline constexpr std::string_view kCommandNotDelivered =
    "Blindfold is running but did not take the command: it could not be reached.";
inline constexpr std::string_view kCommandNotAnswered =
    "Blindfold did not answer in time: it may still carry the command out.";
inline constexpr std::string_view kRunningWithoutSessionBus =
    "Blindfold is running but cannot be reached: it started without the session bus (D-Bus) that commands "
    "travel on. Quit it and start it again in this session.";
// Another program of the session holds the name the commands are sent to.
inline std::string BusNameHeldByAnother(const std::string& name) {
  return "Blindfold: another program holds its name on the session bus (" + name +
         "), so commands such as \"blindfold --toggle\" cannot reach Blindfold. Blindfold takes the name as soon "
         "as that program lets go of it; \"busctl --user status " + name + "\" tells which program it is.";
}
inline std::string CommandNameHeldByAnother(const std::string& name) {
  return "Blindfold is running, but another program holds its name on the session bus (" + name +
         ") and does not answer as Blindfold: the command was not sent.";
}
inline constexpr std::string_view kCommandsNeedSessionBus =
    "Blindfold is running but cannot be reached: commands travel on the session bus (D-Bus), which this "
    "session does not offer.";

// What the Linux program tells the user about its desktop and its files.
inline constexpr std::string_view kNeedsX11Session =
    "Blindfold needs an X11 session: it hides windows through the X server, which this session does not "
    "offer. Log in to an X11 session (on the login screen, choose one such as Xfce, MATE or Cinnamon on X11) "
    "and start Blindfold again.";
// On GNOME's Wayland, where only the Shell may hide a window: its extension
// is missing, or turned off.
inline constexpr std::string_view kGnomeExtensionOff =
    "Blindfold needs its GNOME Shell extension to hide windows on GNOME: only the Shell itself may hide a window "
    "there. Turn it on in the Extensions app, or with this command:\n\n"
    "    gnome-extensions enable blindfold@blindfold.example\n\n"
    "If you have just installed Blindfold, log out and in again first: GNOME finds a new extension only when you "
    "log in. Then start Blindfold again.";
inline std::string UnreadableSettings(const std::string& path, const std::string& reason) {
  return "Blindfold cannot read its settings in " + path + " (" + reason +
         "), so it starts from its defaults and leaves that file as it is. Let your user read and write it, "
         "and the folder it is in, then start Blindfold again.";
}
inline std::string RecordNotKept(const std::string& recordFile) {
  const std::string where =
      recordFile.empty() ? std::string("the session's runtime folder (XDG_RUNTIME_DIR is not set)") : recordFile;
  return "Blindfold cannot keep its record of hidden windows in " + where +
         ". Hiding still works, but if Blindfold ended without showing them, the windows it hid could stay "
         "hidden until you log out (on an X display the next start finds them by the marks it sealed on them). "
         "Make sure XDG_RUNTIME_DIR names a folder of yours in which Blindfold may "
         "make its own folder \"blindfold\".";
}
inline std::string DamagedSettings(const std::string& path, const std::string& keptAs) {
  return "Blindfold could not read its settings in " + path +
         ", so it starts from its defaults. The damaged file has been kept as " + keptAs + ".";
}

}  // namespace blindfold::texts
