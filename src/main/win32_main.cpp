// Blindfold's entry point: wires the real platform to the logic and runs the
// message loop.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/restore.h"
#include "app/run.h"
#include "app/startup.h"
#include "core/log_sinks.h"
#include "core/texts.h"
#include "core/version.h"
#include "platform/win32/panel_dialog.h"
#include "platform/win32/posted_messages.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_background.h"
#include "platform/win32/win32_commands.h"
#include "platform/win32/win32_crypto.h"
#include "platform/win32/win32_login_dialog.h"
#include "platform/win32/win32_mixer.h"
#include "platform/win32/win32_hotkey.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_tray.h"
#include "platform/win32/win32_window_manager.h"

using namespace blindfold;
using namespace blindfold::win32;

namespace {

// %LOCALAPPDATA%\Blindfold\blindfold.log, appended to, its folder made when
// missing; none when there is no such folder.
std::FILE* OpenLogFile() {
  wchar_t* folder = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder))) return nullptr;
  std::wstring path = std::wstring(folder) + L"\\Blindfold";
  CoTaskMemFree(folder);
  CreateDirectoryW(path.c_str(), nullptr);
  path += L"\\blindfold.log";
  return _wfopen(path.c_str(), L"a");
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS*) {
  ShowWindowsBeforeDying();
  return EXCEPTION_CONTINUE_SEARCH;
}

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  struct ArgumentsTraits {
    using Handle = wchar_t**;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle arguments) { LocalFree(arguments); }
  };
  int count = 0;
  const UniqueHandle<ArgumentsTraits> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> texts;
  for (int i = 1; arguments && i < count; ++i) texts.push_back(Narrow(arguments.Get()[i]));
  return texts;
}

// Says `text` where the user who gave the command will read it: on the
// standard stream given to the program, else on the console it was started
// from, else in a message box (started from a shortcut or a key binding).
void Say(std::string_view text, bool error) {
  const DWORD stream = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
  HANDLE handle = GetStdHandle(stream);
  UniqueFileHandle console;
  if ((!handle || handle == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    // Read access too, or the console would not say that it is one.
    console.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    handle = console.Get();
  }
  if (handle && handle != INVALID_HANDLE_VALUE) {
    std::string line(text);
    if (!line.ends_with('\n')) line += '\n';
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
      const std::wstring wide = Widen(line);
      WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
      WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    return;
  }
  MessageBoxW(nullptr, Widen(text).c_str(), Widen(texts::kProgramName).c_str(),
              error ? MB_OK | MB_ICONEXCLAMATION : MB_OK);
}

// "Blindfold.exe --restore", the rescue for windows left hidden: shows them
// and ends. It claims no single instance, so it works beside a Blindfold that
// has stopped answering as well as after one that died.
int RunRestoreCommand() {
  Win32Registry registry;
  Win32WindowManager windows;
  Win32LoginDialog loginDialog(nullptr);
  Win32Crypto crypto;
  Win32Background background;
  Win32Mixer mixer;
  if (blindfold::RunRestoreCommand(registry, windows, mixer, loginDialog, crypto, background)) return kExitDone;
  Say(texts::kCommandRefused, true);
  return kExitFailed;
}

}  // namespace

// The panel dialog and the message loop.
class DialogFrontEnd final : public FrontEnd {
 public:
  DialogFrontEnd(PanelDialog& dialog, std::vector<Win32Hotkey*> hotkeys)
      : dialog_(dialog), hotkeys_(std::move(hotkeys)) {}
  void Attach(PanelModel& panel, PanelEvents& events) override { dialog_.Attach(panel, events, hotkeys_); }
  void Render() override { dialog_.Render(); }
  void RunLoop() override {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (dialog_.TranslateDialogMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  bool SessionEnded() override { return dialog_.SessionEnded(); }

 private:
  PanelDialog& dialog_;
  std::vector<Win32Hotkey*> hotkeys_;
};

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // BLINDFOLD_LOG=info (or error, warning, debug) writes what the program
  // decided and why to Blindfold\blindfold.log in the user's local
  // application data.
  log::StartWithSetting(std::getenv("BLINDFOLD_LOG"), OpenLogFile);
  const CommandLine command = ReadCommandLine(Arguments());
  switch (command.kind) {
    case CommandLine::Kind::Start:
      break;
    case CommandLine::Kind::Help:
      Say(texts::Usage("Blindfold.exe", CommandsHelp()), false);
      return kExitDone;
    case CommandLine::Kind::Version:
      Say(std::string(texts::kProgramName) + " " + VersionText(), false);
      return kExitDone;
    case CommandLine::Kind::Usage:
      Say(texts::UnknownOption("Blindfold.exe", command.wrong), true);
      return kExitUsage;
    case CommandLine::Kind::Restore:
      return RunRestoreCommand();
    case CommandLine::Kind::Send: {
      const CommandEnd end = EndOfCommand(SendToRunningInstance(command.command));
      if (!end.message.empty()) Say(end.message, true);
      return end.exitCode;
    }
  }
  // Claimed before anything else, so that a second start is recognised at once.
  Win32SingleInstance instance;
  const PostedMessageFilter postedMessages;
  Win32Registry registry;
  Win32MessageBoxes messageBoxes;
  SettingsStore store(registry);
  const StartupRoad road = Startup(instance, store, messageBoxes);
  if (road == StartupRoad::SecondInstance) return 0;

  PanelDialog dialog(MainWindow::kPanelWidthTwips, MainWindow::kPanelHeightTwips);
  if (!dialog.MainWindow()) return 1;
  const OwnerWindow owner = [&dialog] { return dialog.Owner(); };
  messageBoxes.owner = owner;
  const PerHotkey<std::unique_ptr<Win32Hotkey>> hotkeys = MakePerHotkey(
      [&dialog](const HotkeyRow& row) { return std::make_unique<Win32Hotkey>(dialog.MainWindow(), row.id); });
  std::vector<Win32Hotkey*> hotkeyWindows;
  for (const auto& hotkey : hotkeys) hotkeyWindows.push_back(hotkey.get());
  Win32WindowManager windows;
  Win32ProgramFiles files;
  Win32LoginDialog loginDialog(owner);
  Win32Crypto crypto;
  Win32Mixer mixer;
  Win32NotificationArea notificationArea;
  Win32PopupMenu popupMenu(dialog.MainWindow());
  Win32FileDialog fileDialog(owner);
  Win32Shell shell(registry, files);
  Win32Random random;
  Win32TipsDialog tipsDialog(owner);
  Win32WindowWatch windowWatch;
  Win32Background background;
  Win32Autostart autostart(registry, files.ProgramFolder() + "\\" + files.ExecutableBaseName() + ".exe");
  Win32CommandInbox commands;
  SetUnhandledExceptionFilter(OnUnhandledException);
  DialogFrontEnd frontEnd(dialog, hotkeyWindows);
  return RunFirstInstance(Platform{.windows = windows,
                                   .registry = registry,
                                   .panelWindow = dialog,
                                   .files = files,
                                   .hotkeys = MakePerHotkey([&hotkeys](const HotkeyRow& row) -> HotkeyControl* {
                                     return hotkeys[row.id].get();
                                   }),
                                   .messageBoxes = messageBoxes,
                                   .loginDialog = loginDialog,
                                   .crypto = crypto,
                                   .mixer = mixer,
                                   .notificationArea = notificationArea,
                                   .popupMenu = popupMenu,
                                   .fileDialog = fileDialog,
                                   .shell = shell,
                                   .random = random,
                                   .tipsDialog = tipsDialog,
                                   .windowWatch = windowWatch,
                                   .background = background,
                                   .autostart = autostart,
                                   .commands = commands},
                          frontEnd, road);
}
