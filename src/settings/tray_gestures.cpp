#include "settings/tray_gestures.h"

#include <array>

namespace blindfold {

std::optional<TrayGesture> GestureOfStoredCode(std::int32_t code) {
  constexpr std::int32_t kFirst = 513;
  constexpr std::array kInStoredOrder = {
      TrayGesture::LeftDown,   TrayGesture::LeftUp,   TrayGesture::LeftDoubleClick,
      TrayGesture::RightDown,  TrayGesture::RightUp,  TrayGesture::RightDoubleClick,
      TrayGesture::MiddleDown, TrayGesture::MiddleUp, TrayGesture::MiddleDoubleClick,
  };
  if (code < kFirst || code >= kFirst + static_cast<std::int32_t>(kInStoredOrder.size())) return std::nullopt;
  return kInStoredOrder[static_cast<std::size_t>(code - kFirst)];
}
namespace {

void Select(TrayOptionRow& row, std::size_t index) {
  for (std::size_t i = 0; i < row.size(); ++i) row[i].value = (i == index);
}

void ExcludeFromOtherRow(TrayOptionRow& other, std::size_t index) {
  for (std::size_t j = 0; j < other.size(); ++j) other[j].enabled = (j != index);
}

}  // namespace

void SelectMenuGesture(PanelModel& panel, std::size_t index) {
  if (index >= panel.optTrayMenu.size()) return;
  Select(panel.optTrayMenu, index);
  ExcludeFromOtherRow(panel.optTrayHideWindows, index);
}

void SelectToggleGesture(PanelModel& panel, std::size_t index) {
  if (index >= panel.optTrayHideWindows.size()) return;
  Select(panel.optTrayHideWindows, index);
  ExcludeFromOtherRow(panel.optTrayMenu, index);
}

}  // namespace blindfold
