#include "tray/systray.h"

namespace blindfold {
namespace {

constexpr std::size_t kTipFieldChars = 64;
constexpr std::uint32_t kRecordSize = 88;
constexpr std::uint32_t kMessageIconTip = 7;  // NIF_MESSAGE | NIF_ICON | NIF_TIP

// UTF-8 to UTF-16; a broken sequence becomes U+FFFD and costs only its first
// byte, so the characters after it survive.
std::u16string Utf16(const std::string& utf8) {
  std::u16string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    for (std::size_t j = 1; j < length; ++j) {
      if (i + j >= utf8.size() || (static_cast<unsigned char>(utf8[i + j]) & 0xC0) != 0x80) length = 0;
    }
    char32_t code = 0xFFFD;
    if (length == 1) code = lead;
    if (length > 1) {
      code = lead & (0x7F >> length);
      for (std::size_t j = 1; j < length; ++j) code = (code << 6) | (static_cast<unsigned char>(utf8[i + j]) & 0x3F);
    }
    i += length ? length : 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (code >> 10));
      text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      text += static_cast<char16_t>(code);
    }
  }
  return text;
}

}  // namespace

std::u16string TipField(const std::string& tipUtf8) {
  std::u16string field = Utf16(tipUtf8) + u'\0';
  field.resize(kTipFieldChars, u' ');
  return field;
}

void modSystray::AddTrayIcon(std::int32_t hWnd, std::int32_t uID, std::int32_t hIcon, const std::string& tip) {
  record_.hWnd = hWnd;
  record_.uID = uID;
  record_.hIcon = hIcon;
  record_.uFlags = kMessageIconTip;
  record_.uCallbackMessage = kTrayCallbackMessage;
  record_.szTip = TipField(tip);
  record_.cbSize = kRecordSize;
  area_.AddIcon(record_);
  iconShown_ = true;
}

void modSystray::RemoveTrayIcon() {
  area_.DeleteIcon(record_);
  iconShown_ = false;
}

void modSystray::HookTrayWindow(std::int32_t hWnd) {
  if (bHooked_) return;
  hSubclassWnd_ = hWnd;
  lpPrevWndProc_ = subclass_.Install(hWnd);
  bHooked_ = true;
}

void modSystray::UnhookTrayWindow() {
  if (!bHooked_) return;
  subclass_.Restore(hSubclassWnd_, lpPrevWndProc_);
  bHooked_ = false;
}

// A code of 0 switches its action off. It must never match: the panel is a
// dialog, and dialogs also receive message 1024 (DM_GETDEFID) with lParam 0.
std::optional<std::int32_t> modSystray::TrayWindowProc(std::uint32_t uMsg, std::intptr_t, std::intptr_t lParam) {
  const auto matches = [&](std::int32_t code) { return uMsg == kTrayCallbackMessage && code != 0 && lParam == code; };
  if (matches(actions_.lTrayMenu())) {
    actions_.SysTrayMouseEventHandler();
    return -1;
  }
  if (matches(actions_.lTrayHideWindows())) {
    actions_.KeyTest();
    return -1;
  }
  return std::nullopt;
}

void modSystray::TaskbarCreated() {
  if (iconShown_) area_.AddIcon(record_);
}

}  // namespace blindfold
