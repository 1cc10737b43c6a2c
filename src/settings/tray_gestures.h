#pragma once

#include <cstddef>

#include "panel/panel_model.h"
#include "platform/notification_area.h"

namespace blindfold {

// A gesture is stored as the number of the mouse message Windows sends for it
// (WM_LBUTTONDOWN, 513, to WM_MBUTTONDBLCLK, 521), on every platform, so that
// stored settings keep their meaning; 0 stores none. The gesture a stored code
// names, or nothing for any other code.
std::optional<TrayGesture> GestureOfStoredCode(std::int32_t code);

// The code used when a stored gesture code is negative.
inline constexpr std::int32_t kNegativeTrayMenuCode = 516;         // right button pressed
inline constexpr std::int32_t kNegativeTrayHideWindowsCode = 514;  // left button released

// Selecting a gesture in one row: the same gesture is greyed out in the other row,
// and every other gesture there becomes available again. The codes in use do not
// change until the settings are saved.
void SelectMenuGesture(PanelModel& panel, std::size_t index);
void SelectToggleGesture(PanelModel& panel, std::size_t index);

}  // namespace blindfold
