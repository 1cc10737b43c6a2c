#include "platform/win32/posted_messages.h"

#include <cstdint>

namespace blindfold::win32 {
namespace {

bool OnlyEverSent(UINT message) {
  switch (message) {
    case WM_NOTIFY:
    case WM_DPICHANGED:
    case WM_INITDIALOG:
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK DropSendOnlyMessages(int code, WPARAM removal, LPARAM lParam) {
  if (code == HC_ACTION) {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    if (OnlyEverSent(message.message)) message.message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

PostedMessageFilter::PostedMessageFilter()
    : hook_(SetWindowsHookExW(WH_GETMESSAGE, DropSendOnlyMessages, nullptr, GetCurrentThreadId())) {}

PostedMessageFilter::~PostedMessageFilter() {
  if (hook_) UnhookWindowsHookEx(hook_);
}

const void* ReadableAt(LPARAM pointer, std::size_t size) {
  const auto address = static_cast<std::uintptr_t>(pointer);
  if (address == 0 || address + size < address) return nullptr;
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  // The span may cross from one region into the next; each must be readable.
  for (std::uintptr_t at = address; at < address + size;) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) != sizeof region) return nullptr;
    if (region.State != MEM_COMMIT || (region.Protect & kReadable) == 0 || (region.Protect & PAGE_GUARD) != 0) {
      return nullptr;
    }
    at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return reinterpret_cast<const void*>(address);
}

}  // namespace blindfold::win32
