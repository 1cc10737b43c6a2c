#pragma once

#include <cstdint>
#include <string>

namespace blindfold {

// The callback message of the tray icon; the mouse message arrives in lParam.
inline constexpr std::uint32_t kTrayCallbackMessage = 1024;

// The icon record handed to the notification area.
struct TrayIconRecord {
  std::uint32_t cbSize = 0;
  std::int32_t window = 0;
  std::int32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callbackMessage = 0;
  std::int32_t icon = 0;
  std::u16string tip;  // the 64-character tip field, exactly as filled
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;

  virtual bool AddIcon(const TrayIconRecord& record) = 0;
  virtual bool DeleteIcon(const TrayIconRecord& record) = 0;
};

}  // namespace blindfold
