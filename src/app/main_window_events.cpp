// The panel's events: what each control does when the user acts on it.
#include <variant>

#include "app/main_window.h"
#include "panel/controls.h"
#include "settings/tray_gestures.h"
#include "windows/always_hide.h"
#include "windows/window_list.h"

namespace blindfold {
namespace {

// The row of gestures an option button belongs to, and its place in it.
struct GestureChoice {
  bool menuRow;
  std::size_t index;
};

std::optional<GestureChoice> GestureOf(Control control) {
  const auto within = [control](Control first) -> std::optional<std::size_t> {
    const std::size_t index = IndexOf(control) - IndexOf(first);
    return IndexOf(control) >= IndexOf(first) && index < kTrayGestureCodes.size() ? std::optional(index)
                                                                                  : std::nullopt;
  };
  if (const auto index = within(Control::optTrayMenu_0)) return GestureChoice{true, *index};
  if (const auto index = within(Control::optTrayHideWindows_0)) return GestureChoice{false, *index};
  return std::nullopt;
}

}  // namespace

void MainWindow::Clicked(Control control) {
  switch (control) {
    case Control::cmdOK: return cmdOK_Click();
    case Control::cmdRefresh: return RefreshWindowList();
    case Control::cmdAlwaysHideProgram: return AlwaysHideProgramOfCurrentWindow();
    case Control::cmdShutdown: return ShutDownClicked();
    case Control::cmdSetPassword: return SetPasswordFromPanel();
    case Control::cmdAcknowledgments: return ShowAcknowledgments();
    case Control::lblBrowseForIcon:
    case Control::cmdBrowseIcon: return BrowseForTrayIcon();
    case Control::lblCheckForUpdates:
    case Control::cmdUpdates: return CheckForUpdates();
    case Control::Label5:
    case Control::Label9:
    case Control::cmdVisitForums: return VisitForum();
    case Control::cmdSysInfo: return StartSysInfo();
    case Control::Label3: return VisitHomePage();
    case Control::SelectAllLink: return SelectAllWindows(panel);
    case Control::ClearAllLink: return ClearAllWindows(panel);
    case Control::lblHelpOpenWindows_0:
    case Control::lblHelpOpenWindows_1:
    case Control::lblHelpOpenWindows_2:
    case Control::lblHelpOpenWindows_3:
    case Control::lblHelpOpenWindows_4: return Help();
    default: break;
  }
  if (const auto gesture = GestureOf(control)) {
    return gesture->menuRow ? SelectMenuGesture(panel, gesture->index)
                            : SelectToggleGesture(panel, gesture->index);
  }
  // A check box's click changes only the box: what it means counts when the
  // panel is applied.
  const ModelField field = FieldOf(panel, control);
  if (auto* const* box = std::get_if<CheckBox*>(&field); box && InfoOf(control).kind == ControlKind::CheckBox) {
    (*box)->value = (*box)->value == 1 ? 0 : 1;
  }
}

void MainWindow::TextChanged(Control control, const std::string& text) {
  const ModelField field = FieldOf(panel, control);
  if (auto* const* box = std::get_if<TextBox*>(&field)) (*box)->Edited(text);
}

void MainWindow::ValueChanged(Control control, int value) {
  const ModelField field = FieldOf(panel, control);
  if (auto* const* slider = std::get_if<Slider*>(&field)) (*slider)->TrySetValue(value);
}

void MainWindow::PageSelected(PanelPage page) {
  if (page == PanelPage::Settings) FindSound();
  panel.page = page;
}

void MainWindow::RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) {
  const ModelField field = FieldOf(panel, list);
  auto* const* box = std::get_if<ListBox*>(&field);
  if (!box) return;
  for (std::size_t i = 0; i < marks.size() && i < (*box)->ListCount(); ++i) (*box)->Row(i).marked = marks[i];
  (*box)->SetCurrentRow(current);
}

void MainWindow::RowDoubleClicked(Control list) {
  if (list == Control::OpenWindowsList) List1_DblClick(panel);
  if (list == Control::AlwaysHideList) List2_DblClick(panel);
}

bool MainWindow::CloseRequested(CloseReason reason) {
  if (!MayUnload(reason)) return false;
  if (reason == CloseReason::WindowsEnding) Unload();
  return true;
}

}  // namespace blindfold
