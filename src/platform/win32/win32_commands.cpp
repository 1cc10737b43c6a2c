#include "platform/win32/win32_commands.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/log.h"
#include "platform/win32/unique_handle.h"

namespace blindfold::win32 {
namespace {

constexpr wchar_t kInboxClass[] = L"BlindfoldCommands";
// Marks our WM_COPYDATA among any other program's.
constexpr ULONG_PTR kCommandMark = 0x42464344;  // "BFCD"
// The answers, as the inbox's window returns them; 0 is "not taken".
constexpr LRESULT kAnswerDone = 1;
constexpr LRESULT kAnswerRefused = 2;
// How long a sender waits for a program that still answers other messages:
// the password dialog may stand open a while.
constexpr UINT kLongestWaitMs = 60 * 60 * 1000;

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

// Whether `window` belongs to a process of the user this program runs as.
bool SentBySameUser(HWND window) {
  DWORD processId = 0;
  if (!window || !GetWindowThreadProcessId(window, &processId) || processId == 0) return false;
  const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return false;
  const std::vector<std::uint8_t> sender = UserOf(process.Get());
  return !sender.empty() && sender == UserOf(GetCurrentProcess());
}

std::optional<Command> CommandOf(std::uint32_t code) {
  switch (code) {
    case 0:
      return Command::Toggle;
    case 1:
      return Command::Panic;
    case 2:
      return Command::Panel;
    case 3:
      return Command::Quit;
    default:
      return std::nullopt;
  }
}

std::uint32_t CodeOf(Command command) {
  switch (command) {
    case Command::Toggle:
      return 0;
    case Command::Panic:
      return 1;
    case Command::Panel:
      return 2;
    case Command::Quit:
      return 3;
  }
  return 0;
}

HWND MakeMessageWindow(const wchar_t* className, WNDPROC procedure, void* self) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  if (window && self) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return window;
}

}  // namespace

Win32CommandInbox::Win32CommandInbox() : window_(MakeMessageWindow(kInboxClass, WindowProc, this)) {
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
    return self->Received(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32CommandInbox::Received(HWND sender, const COPYDATASTRUCT& data) {
  if (data.dwData != kCommandMark || data.cbData != sizeof(std::uint32_t) || !data.lpData) return 0;
  std::uint32_t code = 0;
  std::memcpy(&code, data.lpData, sizeof code);
  const std::optional<Command> command = CommandOf(code);
  if (!command || !onReceived_) return 0;
  if (!SentBySameUser(sender)) {
    log::Warning("command", "refused a command from another user's window");
    return 0;
  }
  return onReceived_(*command) == CommandOutcome::Done ? kAnswerDone : kAnswerRefused;
}

Delivery SendToRunningInstance(Command command) {
  const HWND inbox = FindWindowExW(HWND_MESSAGE, nullptr, kInboxClass, nullptr);
  if (!inbox) return Delivery::NothingRuns;
  // The running program checks who sends through the sender's window.
  const UniqueHandle<WindowTraits> sender(MakeMessageWindow(L"BlindfoldCommandSender", DefWindowProcW, nullptr));
  if (!sender) return Delivery::NotTaken;
  std::uint32_t code = CodeOf(command);
  COPYDATASTRUCT data{kCommandMark, sizeof code, &code};
  DWORD_PTR answer = 0;
  const LRESULT sent = SendMessageTimeoutW(inbox, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.Get()),
                                           reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kLongestWaitMs, &answer);
  if (!sent) return Delivery::NotTaken;
  if (answer == kAnswerDone) return Delivery::Done;
  if (answer == kAnswerRefused) return Delivery::Refused;
  return Delivery::NotTaken;
}

}  // namespace blindfold::win32
