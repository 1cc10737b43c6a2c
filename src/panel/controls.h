#pragma once

#include <span>
#include <string_view>
#include <variant>

#include "core/control.h"
#include "panel/panel_model.h"

namespace blindfold {

// What a control is, as every toolkit knows it.
enum class ControlKind {
  Tabs,
  Frame,          // a group box around other controls
  Label,
  Link,           // a label that acts when clicked
  CheckBox,
  OptionButton,   // one of a row of exclusive choices
  TextBox,
  KeyBox,         // a text box that takes a hotkey's key, upper-cased as typed
  PasswordBox,
  List,           // a list with one selected row
  MultiList,      // a list whose rows are marked independently
  Button,
  DefaultButton,  // the button Enter presses
  Slider,
};

// A rectangle of the design, in twips in the panel's client area.
struct DesignRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The model's part behind a control, if it has one.
using ModelField = std::variant<std::monostate, Frame*, Label*, CheckBox*, OptionButton*, TextBox*, ListBox*,
                                Button*, Slider*>;

inline constexpr int kEveryPage = -1;

struct ControlInfo {
  Control control;
  // The number the platform's dialog knows the control by. It never changes
  // once given: other programs may address a control by it (the setup program
  // asks a running Blindfold to shut down through its button).
  int id;
  std::string_view name;     // its name in the original design: kept as it is
  int page;                  // a PanelPage, or kEveryPage
  ControlKind kind;
  std::string_view caption;  // as first shown
  DesignRect design;
  ModelField (*field)(PanelModel&) = nullptr;
  bool neverShown = false;   // carried for what it does, but not on screen
};

// One row per control, in the order of `Control`.
std::span<const ControlInfo> Controls();
const ControlInfo& InfoOf(Control control);
ModelField FieldOf(PanelModel& panel, Control control);

// The control that contains `control`, whose place its own place is relative to.
Control ContainerOf(Control control);

// The option buttons that choose one thing together with `control`, in order;
// empty for any other control. A group is one stop for Tab, and the arrow keys
// move within it.
std::span<const Control> OptionGroupOf(Control control);
// Every such group.
std::span<const std::span<const Control>> OptionGroups();

}  // namespace blindfold
