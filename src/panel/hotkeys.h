#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/command_inbox.h"

namespace blindfold {

// The program's hotkeys, in the order the panel and the store list them. Each
// is a row of `kHotkeys`, at the index of its id.
enum class HotkeyId { Panel = 0, Windows = 1, Panic = 2 };

// One hotkey: what a press does and everything the program keeps of it.
struct HotkeyRow {
  HotkeyId id;
  // Its press does what this command from a later start does ("--toggle").
  Command command;
  // The name of its binding where a desktop binds keys for the program
  // (sway's "nop blindfold <name>", KWin's script), and in the log.
  std::string_view name;
  // Its global shortcut where the desktop keeps them (KWin): the name a
  // user's choice of keys is stored under there, and what its settings show.
  std::string_view desktopShortcut;
  std::string_view desktopDescription;
  // What the key box shows before any setting is read, and the key armed when
  // the box is empty at the first arming. (Its controls on the Hotkeys page
  // are rows of the control table, bound to the panel's boxes of this row.)
  std::string_view initialKeyText;
  std::int32_t initialKey;
};

// clang-format off
inline constexpr std::array kHotkeys = std::to_array<HotkeyRow>({
    {.id = HotkeyId::Panel, .command = Command::Panel, .name = "panel",
     .desktopShortcut = "Blindfold panel", .desktopDescription = "Blindfold: show or hide the control panel",
     .initialKeyText = "X", .initialKey = 'X'},
    {.id = HotkeyId::Windows, .command = Command::Toggle, .name = "windows",
     .desktopShortcut = "Blindfold toggle", .desktopDescription = "Blindfold: hide or show the chosen windows",
     .initialKeyText = "Z", .initialKey = 'Z'},
    {.id = HotkeyId::Panic, .command = Command::Panic, .name = "panic",
     .desktopShortcut = "Blindfold panic", .desktopDescription = "Blindfold: hide everything",
     .initialKeyText = "A", .initialKey = 0},
});
// clang-format on

inline constexpr std::size_t kHotkeyCount = kHotkeys.size();

constexpr std::size_t IndexOf(HotkeyId id) { return static_cast<std::size_t>(id); }
constexpr const HotkeyRow& RowOf(HotkeyId id) { return kHotkeys[IndexOf(id)]; }

// Each row sits at the index of its id, so that an id finds its row.
constexpr bool RowsInIdOrder() {
  for (std::size_t i = 0; i < kHotkeyCount; ++i) {
    if (IndexOf(kHotkeys[i].id) != i) return false;
  }
  return true;
}
static_assert(RowsInIdOrder());

// Something the program keeps once per hotkey, at the index of its id.
template <typename T>
class PerHotkey {
 public:
  PerHotkey() = default;
  explicit PerHotkey(std::array<T, kHotkeyCount> items) : items_(std::move(items)) {}

  T& operator[](HotkeyId id) { return items_[IndexOf(id)]; }
  const T& operator[](HotkeyId id) const { return items_[IndexOf(id)]; }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::array<T, kHotkeyCount> items_{};
};

// A PerHotkey made by `make(row)` for each row of the table, in its order.
template <typename Make>
auto MakePerHotkey(Make make) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    using Item = decltype(make(kHotkeys[0]));
    return PerHotkey<Item>(std::array<Item, kHotkeyCount>{make(kHotkeys[I])...});
  }(std::make_index_sequence<kHotkeyCount>{});
}


}  // namespace blindfold
