#include "platform/win32/win32_shell.h"

#include <objbase.h>
#include <shellapi.h>

#include "platform/win32/callback_edge.h"
#include "platform/win32/late_bound.h"
#include "platform/win32/resource.h"
#include "platform/win32/text_conversion.h"

namespace blindfold::win32 {
namespace {

// The shell may hand an address to an extension that uses COM, so the thread
// joins a single-threaded apartment before the first one; COM is loaded then
// rather than at every start.
void StartCom() {
  static const bool started = [] {
    const auto initialize = LateBound<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    return initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  (void)started;
}

bool ShellOpen(const std::string& target, int show) {
  StartCom();
  const std::wstring wide = Widen(target);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = wide.c_str();
  info.nShow = show;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace

bool Win32Shell::OpenAddress(const std::string& address) { return ShellOpen(address, SW_SHOWNORMAL); }

bool Win32Shell::StartProgram(const std::string& path) { return ShellOpen(path, SW_SHOWNORMAL); }

std::optional<std::string> Win32Shell::SystemInformationProgram() {
  const RegistryLocation path{RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"};
  if (auto registered = GetKeyValue(registry_, path)) return registered;
  const RegistryLocation location{RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"};
  const auto folder = GetKeyValue(registry_, location);
  if (!folder) return std::nullopt;
  std::string program = *folder + "\\MSINFO32.EXE";
  if (!files_.FileExists(program)) return std::nullopt;
  return program;
}

std::optional<std::string> GetKeyValue(RegistryBackend& registry, const RegistryLocation& where) {
  return registry.ReadValue(where);
}

void Win32TipsDialog::ShowModal(TipsDialogEvents& tips) {
  tips_ = &tips;
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TIP), OwnerOf(owner_), DialogProc,
                  reinterpret_cast<LPARAM>(this));
  tips_ = nullptr;
}

void Win32TipsDialog::Render(HWND dialog) {
  SetDlgItemTextW(dialog, IDC_TIP_TEXT, Widen(tips_->Content().text).c_str());
  if (tips_->Closed()) EndDialog(dialog, 0);
}

INT_PTR CALLBACK Win32TipsDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<Win32TipsDialog*>(lParam)->Render(dialog);
    // The focus on OK, the default button, as Enter would press it.
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;
  }
  auto* self = reinterpret_cast<Win32TipsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self || !self->tips_) return FALSE;
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id != IDC_TIP_TEXT && id != IDC_TIP_HEADING) return FALSE;
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(self->white_);
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_TIP_NEXT:
          AtTheEdge("the tips' Next", [&] { self->tips_->NextClicked(); });
          break;
        case IDOK:
        case IDCANCEL:  // "OK" answers both Enter and Esc
          AtTheEdge("the tips' OK", [&] { self->tips_->OkClicked(); });
          break;
        default:
          return FALSE;
      }
      AtTheEdge("the tips shown", [&] { self->Render(dialog); });
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace blindfold::win32
