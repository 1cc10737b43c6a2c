#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/control.h"
#include "core/window_handle.h"
#include "panel/hotkeys.h"

namespace blindfold {

// The control panel's controls as plain data. The logic reads and writes this
// model; the real dialog renders it and feeds the user's actions back.

struct CheckBox {
  int value = 0;  // 0 clear, 1 checked, 2 grayed
  bool enabled = true;
  bool visible = true;
  std::string tag;

  // A check box takes only its three states; any other value leaves it as it is.
  bool TrySetValue(long long newValue) {
    if (newValue < 0 || newValue > 2) return false;
    value = static_cast<int>(newValue);
    return true;
  }
  bool IsSet() const { return value == 1; }
};

struct TextBox {
  std::string text;
  bool enabled = true;
  bool visible = true;
  // The box holds a text the user may replace but never edit: the stored
  // password's key. Focusing it selects all of it, and the first edit starts
  // from an empty box, so that none of that text becomes part of a new one.
  bool replacedOnEdit = false;

  // The box shows a stored key, which the user may only replace; an empty one
  // holds nothing to keep out of an edit.
  void HoldStored(std::string stored) {
    text = std::move(stored);
    replacedOnEdit = !text.empty();
  }
  // The user changed the box to `newText`. While the box is replaced on edit,
  // only what the edit put in counts: front ends empty the box before the edit
  // reaches it, and should one not, the held text is still dropped.
  void Edited(std::string newText);
};

struct Label {
  std::string caption;
  bool visible = true;
};

struct Frame {
  std::string caption;
  bool visible = true;
};

struct Button {
  bool enabled = true;
  bool visible = true;
};

struct Slider {
  static constexpr int kMin = 0;
  static constexpr int kMax = 100;
  int value = kMax;
  bool enabled = true;

  bool TrySetValue(long long newValue) {
    if (newValue < kMin || newValue > kMax) return false;
    value = static_cast<int>(newValue);
    return true;
  }
};

struct OptionButton {
  std::string tag;  // the gesture's mouse-message code in decimal
  bool value = false;
  bool enabled = true;
};

struct ListRow {
  std::string text;
  WindowHandle itemData;
  bool marked = false;
};

// A list box. Row counts and indexes are 16-bit signed, so it holds at most
// 32,767 rows. The current row (the one with the focus) is independent of the
// marks.
class ListBox {
 public:
  static constexpr std::size_t kMaxRows = 32767;

  // Appends a row; false (and no row) once the list is full.
  bool AddItem(std::string text, WindowHandle itemData = WindowHandle()) {
    if (rows_.size() >= kMaxRows) return false;
    rows_.push_back(ListRow{std::move(text), itemData, false});
    return true;
  }
  void RemoveItem(std::size_t index) {
    if (index >= rows_.size()) return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    // The current row stays on the same row: it moves up when a row above it
    // goes, and is gone when it was the row removed.
    if (!currentRow_) return;
    if (*currentRow_ == index) {
      currentRow_.reset();
    } else if (*currentRow_ > index) {
      --*currentRow_;
    }
  }
  void Clear() {
    rows_.clear();
    currentRow_.reset();
  }

  std::size_t ListCount() const { return rows_.size(); }
  const std::vector<ListRow>& Rows() const { return rows_; }
  ListRow& Row(std::size_t index) { return rows_.at(index); }
  const ListRow& Row(std::size_t index) const { return rows_.at(index); }

  std::optional<std::size_t> CurrentRow() const { return currentRow_; }
  void SetCurrentRow(std::optional<std::size_t> row) {
    currentRow_ = (row && *row < rows_.size()) ? row : std::nullopt;
  }

  bool visible = true;
  std::vector<std::int32_t> tabStops;  // in dialog units

 private:
  std::vector<ListRow> rows_;
  std::optional<std::size_t> currentRow_;
};

// The stored codes of the six tray gestures (Windows' mouse-message numbers,
// on every platform: see settings/tray_gestures.h), in the order of both
// option-button rows.
inline constexpr std::array<std::int32_t, 6> kTrayGestureCodes = {515, 513, 518, 517, 521, 520};

using TrayOptionRow = std::array<OptionButton, 6>;

inline TrayOptionRow MakeTrayOptionRow() {
  TrayOptionRow row;
  for (std::size_t i = 0; i < row.size(); ++i) row[i].tag = std::to_string(kTrayGestureCodes[i]);
  return row;
}

enum class PanelPage { OpenWindows = 0, Hotkeys = 1, Settings = 2, Stealth = 3, About = 4 };
inline constexpr int kPanelPageCount = 5;

// The modifier boxes of each hotkey, in their order on the page.
enum class Modifier { Win = 0, Ctrl = 1, Alt = 2, Shift = 3 };
inline constexpr std::array kModifiers = {Modifier::Win, Modifier::Ctrl, Modifier::Alt, Modifier::Shift};

// One hotkey's controls on the "Hotkeys" page.
struct HotkeyBoxes {
  std::array<CheckBox, kModifiers.size()> modifiers;  // in the order of kModifiers
  TextBox key;
  // Why the platform refused its combination, if it did.
  Label status{"", false};
};

// Static captions come from the control table; the model holds the texts that
// the program changes.
struct PanelModel {
  // Every label and frame starts with its caption from the control table.
  PanelModel();

  PanelPage page = PanelPage::OpenWindows;

  // "Open windows" page.
  Frame frmWindowList;  // its caption counts the windows
  ListBox openWindows;
  CheckBox chkTaskbar;          // "[ Hide Taskbar ]"; Tag: the taskbar's handle
  CheckBox chkProgramManager;   // "[ Hide desktop icons ]"; Tag: the desktop's handle
  Frame frameAlwaysHide;
  ListBox alwaysHide;  // single selection: its current row is the selected entry
  Label lblHideStatus{"", false};  // a window that could not be kept hidden

  // "Hotkeys" page: one set of boxes per row of kHotkeys.
  PerHotkey<HotkeyBoxes> hotkeys;

  // "Settings" page.
  TextBox txtPassword;
  // Beside "Set password": the longest password taken, then how setting it went.
  Label lblPasswordStatus;
  CheckBox chkShowBlindfold;
  CheckBox chkShowWindows;
  CheckBox chkShutdownBlindfold;
  CheckBox chkMute;
  CheckBox chkMutePrograms;
  Slider Slider1;
  Label lblSoundInfo{"", false};
  CheckBox chkStartHidden;
  CheckBox chkStartWithWindows;
  Frame frmDecoy{"", false};
  TextBox txtDecoy;

  // "Stealth" page.
  CheckBox chkDisplayIcon;
  TextBox txtTrayIcon{"", false};
  TextBox txtTrayIconTip;
  TrayOptionRow optTrayMenu = MakeTrayOptionRow();
  TrayOptionRow optTrayHideWindows = MakeTrayOptionRow();

  Button cmdRefresh;
  Button cmdAlwaysHideProgram;

  // "About" page.
  Label lblVersion;
  Button cmdShutdown;

  // Outside the pages.
  Button cmdOK;
  Label Label3;  // the web site's address

  // The tray menu's "Lock".
  Button mnuLock;

  // A slow job runs for the panel: it shows a wait cursor and takes no input.
  bool busy = false;

  // Public variables of the main window that the loader fills.
  std::int32_t trayMenuCode = 0;
  std::int32_t trayToggleCode = 0;
  std::string trayIconFile;
  std::string trayIconTip;
};

inline CheckBox& ModifierBox(PanelModel& panel, HotkeyId hotkey, Modifier modifier) {
  return panel.hotkeys[hotkey].modifiers[static_cast<std::size_t>(modifier)];
}
inline const CheckBox& ModifierBox(const PanelModel& panel, HotkeyId hotkey, Modifier modifier) {
  return panel.hotkeys[hotkey].modifiers[static_cast<std::size_t>(modifier)];
}
inline Label& HotkeyStatus(PanelModel& panel, HotkeyId hotkey) { return panel.hotkeys[hotkey].status; }
inline TextBox& HotkeyKeyBox(PanelModel& panel, HotkeyId hotkey) { return panel.hotkeys[hotkey].key; }
inline const TextBox& HotkeyKeyBox(const PanelModel& panel, HotkeyId hotkey) { return panel.hotkeys[hotkey].key; }

}  // namespace blindfold
