#include "platform/win32/hidden_main_window.h"

#include "core/texts.h"
#include "platform/win32/callback_edge.h"
#include "platform/win32/panel_controls.h"
#include "platform/win32/resource.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

constexpr wchar_t kMainWindowClass[] = L"BlindfoldMain";

}  // namespace

void SetWindowIcons(HWND window, HICON big, HICON small) {
  if (!big) return;
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));
}

HiddenMainWindow::HiddenMainWindow(MainWindowEvents& events) : events_(events) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kMainWindowClass;
  RegisterClassW(&windowClass);
  // A top-level window, not a message-only one: only top-level windows hear of
  // the shell's restart and of the end of the session. A tool window, so that
  // its instant on screen before the desktop is hidden leaves no taskbar button.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, Widen(texts::kProgramName).c_str(), WS_POPUP, 0, 0,
                            0, 0, nullptr, nullptr, instance, this);
  if (!window_) return;
  // Each size from its own frame: the small frames are drawn for their size.
  SetWindowIcons(window_, LoadIconW(instance, MAKEINTRESOURCEW(IDI_BLINDFOLD)),
                 static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_BLINDFOLD), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED)));
}

HICON HiddenMainWindow::Icon(WPARAM size) const {
  return reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, size, 0));
}

void HiddenMainWindow::Destroy() {
  if (window_) DestroyWindow(window_);
}

// A message whose handling threw is answered as one nobody handled.
LRESULT CALLBACK HiddenMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<HiddenMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && self->window_ == window) {
    const auto result = AtTheEdge("a message of the main window", std::optional<LRESULT>(),
                                  [&] { return self->HandleMessage(message, wParam, lParam); });
    if (result) return *result;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::optional<LRESULT> HiddenMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HOTKEY:
      for (Win32Hotkey* hotkey : hotkeys_) {
        if (hotkey->Id() == static_cast<int>(wParam)) hotkey->Pressed();
      }
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == PanelControls::IdOf(Control::cmdShutdown) && lParam == 0) events_.ShutdownAsked();
      return 0;
    case WM_CLOSE:
      events_.CloseAsked();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) events_.SessionEnding();
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace blindfold::win32
