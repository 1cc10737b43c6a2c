// Blindfold's entry point: wires the real platform to the logic and runs the
// message loop.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/form1.h"
#include "app/restore.h"
#include "app/run.h"
#include "app/startup.h"
#include "core/log_sinks.h"
#include "platform/win32/panel_dialog.h"
#include "platform/win32/posted_messages.h"
#include "platform/win32/win32_background.h"
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

// "Blindfold.exe /restore", the rescue for windows left hidden: shows them and
// ends. It claims no single instance, so it works beside a Blindfold that has
// stopped answering as well as after one that died.
bool IsRestoreCommand(PWSTR commandLine) {
  std::wstring_view text = commandLine ? commandLine : L"";
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return text.size() == 8 && (text[0] == L'/' || text[0] == L'-') &&
         CompareStringOrdinal(text.data() + 1, 7, L"restore", 7, TRUE) == CSTR_EQUAL;
}

int RunRestoreCommand() {
  Win32Registry registry;
  Win32WindowManager windows;
  Win32LoginDialog loginDialog(nullptr);
  Win32Crypto crypto;
  Win32Background background;
  SettingsStore store(registry);
  RecoveryRecord record(registry, windows);
  PasswordGate gate(loginDialog, registry, crypto, background);
  return RestoreRecordedWindows(record, windows, store, gate) ? 0 : 1;
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

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  // BLINDFOLD_LOG=info (or error, warning, debug) writes what the program
  // decided and why to Blindfold\blindfold.log in the user's local
  // application data.
  log::StartWithSetting(std::getenv("BLINDFOLD_LOG"), OpenLogFile);
  if (IsRestoreCommand(commandLine)) return RunRestoreCommand();
  // Claimed before anything else, so that a second start is recognised at once.
  Win32SingleInstance instance;
  const PostedMessageFilter postedMessages;
  Win32Registry registry;
  Win32MessageBoxes messageBoxes;
  SettingsStore store(registry);
  const StartupRoad road = Startup(instance, store, messageBoxes);
  if (road == StartupRoad::SecondInstance) return 0;

  PanelDialog dialog(Form1::kPanelWidthTwips, Form1::kPanelHeightTwips);
  if (!dialog.MainWindow()) return 1;
  const OwnerWindow owner = [&dialog] { return dialog.Owner(); };
  messageBoxes.owner = owner;
  Win32Hotkey windowsHotkey(dialog.MainWindow(), HotkeyId::Windows);
  Win32Hotkey panicHotkey(dialog.MainWindow(), HotkeyId::Panic);
  Win32Hotkey panelHotkey(dialog.MainWindow(), HotkeyId::Panel);
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
  SetUnhandledExceptionFilter(OnUnhandledException);
  DialogFrontEnd frontEnd(dialog, {&windowsHotkey, &panicHotkey, &panelHotkey});
  return RunFirstInstance(Platform{windows, registry, dialog, files, panelHotkey, windowsHotkey, panicHotkey,
                                   messageBoxes, loginDialog, crypto, mixer, notificationArea, popupMenu, fileDialog,
                                   shell, random, tipsDialog, windowWatch, background, autostart},
                          frontEnd, road);
}
