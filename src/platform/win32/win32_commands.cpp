#include "platform/win32/win32_commands.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <sddl.h>

#include "core/log.h"
#include "platform/win32/callback_edge.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {
namespace {

constexpr wchar_t kInboxClass[] = L"BlindfoldCommands";
// Marks our WM_COPYDATA among any other program's.
constexpr ULONG_PTR kCommandMark = 0x42464344;  // "BFCD"
// The answers, as the inbox's window returns them; 0 is "not taken".
constexpr LRESULT kAnswerDone = 1;
constexpr LRESULT kAnswerRefused = 2;
constexpr LRESULT kAnswerBusy = 3;
constexpr LRESULT kAnswerFailed = 4;
// How long a sender waits for a program that still answers other messages:
// the password dialog may stand open a while.
constexpr UINT kLongestWaitMs = 60 * 60 * 1000;
// How long a sender asks again while the program is busy, and how often.
constexpr DWORD kBusyForMs = 30 * 1000;
constexpr DWORD kBusyPauseMs = 50;

// The account a process runs as; empty when it cannot be read.
std::vector<std::uint8_t> UserOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  const UniqueKernelHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<std::uint8_t> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  if (!IsValidSid(sid)) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return std::vector<std::uint8_t>(bytes, bytes + GetLengthSid(sid));
}

// The inbox's title: the user's account in text, so that a start finds the
// inbox of its own user where several share a desktop.
std::wstring InboxTitle() {
  std::vector<std::uint8_t> user = UserOf(GetCurrentProcess());
  std::wstring title = L"Blindfold commands";
  wchar_t* text = nullptr;
  if (!user.empty() && ConvertSidToStringSidW(user.data(), &text)) {
    title += L" ";
    title += text;
    LocalFree(text);
  }
  return title;
}

// Whether `window` belongs to another process of the user this program runs
// as. Windows does not say who sent a message: this is the sender's word, and
// the desktop, as for the hotkeys, is what keeps other programs out. Programs
// of a lower integrity level cannot send to the inbox at all.
bool SentBySameUser(HWND window) {
  DWORD processId = 0;
  if (!window || !GetWindowThreadProcessId(window, &processId) || processId == 0) return false;
  if (processId == GetCurrentProcessId()) return false;
  const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return false;
  const std::vector<std::uint8_t> sender = UserOf(process.Get());
  return !sender.empty() && sender == UserOf(GetCurrentProcess());
}

// On the wire a command is its place among the command words.
std::optional<Command> CommandOf(std::uint32_t code) {
  if (code >= kCommandWords.size()) return std::nullopt;
  return kCommandWords[code].command;
}

std::uint32_t CodeOf(Command command) {
  const auto found = std::ranges::find(kCommandWords, command, &CommandWord::command);
  return static_cast<std::uint32_t>(found - kCommandWords.begin());
}

HWND MakeMessageWindow(const wchar_t* className, const std::wstring& title, WNDPROC procedure, void* self) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(0, className, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  if (window && self) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return window;
}

}  // namespace

Win32CommandInbox::Win32CommandInbox() : window_(MakeMessageWindow(kInboxClass, InboxTitle(), WindowProc, this)) {
  if (!window_) log::Warning("command", "no window for commands: error ", GetLastError());
}

Win32CommandInbox::~Win32CommandInbox() {
  if (window_) DestroyWindow(window_);
}

void Win32CommandInbox::SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) {
  onReceived_ = std::move(onReceived);
}

LRESULT CALLBACK Win32CommandInbox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32CommandInbox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // WM_COPYDATA is only ever sent, never posted, and Windows copies its data
  // into this process.
  if (self && message == WM_COPYDATA && lParam) {
    // A command whose event threw is answered as one that failed.
    return AtTheEdge("a command", static_cast<LRESULT>(kAnswerFailed), [&] {
      return self->Received(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    });
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32CommandInbox::Received(HWND sender, const COPYDATASTRUCT& data) {
  if (data.dwData != kCommandMark || data.cbData != sizeof(std::uint32_t) || !data.lpData) return 0;
  std::uint32_t code = 0;
  std::memcpy(&code, data.lpData, sizeof code);
  const std::optional<Command> command = CommandOf(code);
  if (!command) return 0;
  if (!SentBySameUser(sender)) {
    log::Warning("command", "refused a command that named no window of this user's");
    return 0;
  }
  if (!onReceived_) return kAnswerBusy;
  switch (onReceived_(*command)) {
    case CommandOutcome::Done:
      return kAnswerDone;
    case CommandOutcome::Refused:
      return kAnswerRefused;
    case CommandOutcome::Busy:
      return kAnswerBusy;
    case CommandOutcome::Failed:
      return kAnswerFailed;
  }
  return 0;
}

Delivery SendToRunningInstance(Command command) {
  const std::wstring inboxTitle = InboxTitle();
  // The running program checks who sends through the sender's window.
  const UniqueHandle<WindowTraits> sender(MakeMessageWindow(L"BlindfoldCommandSender", L"", DefWindowProcW, nullptr));
  if (!sender) return Delivery::NotTaken;
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND inbox = FindWindowExW(HWND_MESSAGE, nullptr, kInboxClass, inboxTitle.c_str());
    if (!inbox) return Delivery::NothingRuns;
    // The key that started this start was the user's: the Login dialog the
    // command may open takes the foreground with it.
    DWORD processId = 0;
    if (GetWindowThreadProcessId(inbox, &processId)) AllowSetForegroundWindow(processId);
    std::uint32_t code = CodeOf(command);
    COPYDATASTRUCT data{kCommandMark, sizeof code, &code};
    DWORD_PTR answer = 0;
    SetLastError(ERROR_SUCCESS);
    const LRESULT sent = SendMessageTimeoutW(inbox, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.Get()),
                                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kLongestWaitMs,
                                             &answer);
    if (!sent) {
      // A hung program or the long wait over: it may still do it later.
      const DWORD error = GetLastError();
      if (error == ERROR_TIMEOUT || error == ERROR_SUCCESS) return Delivery::NoAnswer;
      if (!IsWindow(inbox)) continue;  // gone meanwhile: ask whoever runs now
      return Delivery::NotTaken;
    }
    if (answer == kAnswerDone) return Delivery::Done;
    if (answer == kAnswerRefused) return Delivery::Refused;
    if (answer == kAnswerFailed) return Delivery::Failed;
    if (answer != kAnswerBusy) return Delivery::NotTaken;
    if (GetTickCount() - start > kBusyForMs) return Delivery::NoAnswer;
    Sleep(kBusyPauseMs);
  }
}

}  // namespace blindfold::win32
