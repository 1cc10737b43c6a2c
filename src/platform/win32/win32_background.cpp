#include "platform/win32/win32_background.h"

#include <utility>

#include "platform/win32/callback_edge.h"

namespace blindfold::win32 {
namespace {

constexpr UINT kJobEnded = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"BlindfoldBackground";

}  // namespace

Win32Background::Win32Background() = default;

// The window is made with the first job: most runs never have one.
HWND Win32Background::Window() {
  if (window_) return window_;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return window_;
}

Win32Background::~Win32Background() {
  for (const auto& [id, running] : running_) {
    WaitForSingleObject(running.thread, INFINITE);
    CloseHandle(running.thread);
  }
  if (window_) DestroyWindow(window_);
}

void Win32Background::Run(std::function<void()> job, std::function<void()> done) {
  auto work = std::make_shared<Work>();
  work->job = std::move(job);
  work->window = Window();
  work->id = nextId_++;
  auto* handedOver = new std::shared_ptr<Work>(work);
  HANDLE thread = work->window ? CreateThread(nullptr, 0, ThreadMain, handedOver, 0, nullptr) : nullptr;
  if (!thread) {
    // Without a thread the job still has to run: late rather than never.
    delete handedOver;
    work->job();
    done();
    return;
  }
  running_.emplace(work->id, Running{work, std::move(done), thread});
}

DWORD WINAPI Win32Background::ThreadMain(void* handedOver) {
  const std::shared_ptr<Work> work = std::move(*static_cast<std::shared_ptr<Work>*>(handedOver));
  delete static_cast<std::shared_ptr<Work>*>(handedOver);
  // A job that throws has ended all the same: its end runs, and finds no result.
  AtTheEdge("a job in the background", [&] { work->job(); });
  work->finished = true;
  PostMessageW(work->window, kJobEnded, 0, static_cast<LPARAM>(work->id));
  return 0;
}

LRESULT CALLBACK Win32Background::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kJobEnded) {
    auto* self = reinterpret_cast<Win32Background*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      AtTheEdge("the end of a job in the background", [&] { self->Deliver(static_cast<std::uint64_t>(lParam)); });
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Anyone may post to the window; only a job that has really ended is taken.
void Win32Background::Deliver(std::uint64_t id) {
  const auto found = running_.find(id);
  if (found == running_.end() || !found->second.work->finished) return;
  const std::function<void()> done = std::move(found->second.done);
  // Finished but for its return: the wait is short.
  WaitForSingleObject(found->second.thread, INFINITE);
  CloseHandle(found->second.thread);
  running_.erase(found);
  done();
}

}  // namespace blindfold::win32
