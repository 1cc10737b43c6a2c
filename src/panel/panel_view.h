#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/control.h"
#include "panel/controls.h"
#include "panel/panel_events.h"
#include "panel/panel_model.h"
#include "platform/panel_window.h"

namespace blindfold {

// How a control is made: everything about it that does not change once it
// exists.
struct ControlSpec {
  const ControlInfo* info = nullptr;
  std::string caption;  // as first shown, "&" before its access key
  DesignRect place;     // in twips, in the panel's client area
  // The most characters a box takes; 0 for no limit.
  std::size_t maxChars = 0;
  // The box shows what is typed in capitals, as a key cap reads.
  bool upperCase = false;
  // The button Enter presses while the focus is in this box.
  Control enterPresses = Control::cmdOK;
  // The product's name, in large bold type.
  bool title = false;
  // For an option button: the index of its group in OptionGroups().
  std::optional<std::size_t> optionGroup;
};

enum class CheckMark { Clear, Checked, Grayed };

// What a control shows, as the model has it now.
struct ControlState {
  bool visible = true;
  bool enabled = true;
  // A caption (frame, label, link) or a box's text; none leaves it as made.
  std::optional<std::string> text;
  // A check box's or option button's mark.
  std::optional<CheckMark> check;
  // A slider's value.
  std::optional<int> value;
  // A text box's text may be replaced but not edited (see TextBox).
  bool replacedOnEdit = false;
  // For an option button: Tab reaches its group here.
  bool tabStop = false;
};

// What a toolkit does for the panel view: make its native controls, put on
// them what the view computed, and nothing else. Every call names a control of
// the table; a toolkit passes over one it did not make.
class PanelWidgets {
 public:
  virtual ~PanelWidgets() = default;

  virtual void Create(const ControlSpec& spec) = 0;
  virtual void Move(Control control, const DesignRect& place) = 0;
  // Everything but the visibility, which comes after every control's state.
  virtual void Apply(Control control, const ControlState& state) = 0;
  virtual void Show(Control control, bool visible) = 0;
  virtual void SelectPage(PanelPage page) = 0;
  // Replaces a list's rows with the model's, none marked.
  virtual void FillList(Control list, const ListBox& rows) = 0;
  virtual void MarkRow(Control list, std::size_t row, bool marked) = 0;
  // For a list with one selected row, that row (none: no row selected); for
  // a list whose rows are marked, the row with the focus, never none.
  virtual void SetCurrentRow(Control list, std::optional<std::size_t> row) = 0;
  // A slow job runs for the panel, or has ended (see PanelModel::busy).
  virtual void SetBusy(bool busy) = 0;
};

// What sets one toolkit apart from another in the view's eyes.
struct ToolkitTraits {
  // The toolkit's tabs show and hide each page's controls themselves.
  bool pagesHoldTheirControls = false;
  // Programs start when the user logs in, rather than with the system.
  bool startsAtLogIn = false;
};

// The panel as every toolkit shows it: which controls exist and where, what
// each one shows, which page is up and what the lists hold, decided once from
// the model and the control table. A toolkit creates, applies and reads back
// through PanelWidgets, and hands the user's input to the view, which reports
// it to the logic and renders what the logic changed.
class PanelView {
 public:
  explicit PanelView(ToolkitTraits traits = {});

  // From here on the view shows `panel` and reports to `events`.
  void Attach(PanelModel& panel, PanelEvents& events);
  // The toolkit's controls, once it can make them: the controls on every page
  // and those of the first page are made at once, the others when their page
  // is first shown. Detaching forgets them all; the placements stay.
  void AttachWidgets(PanelWidgets& widgets);
  void DetachWidgets();
  bool HasWidgets() const { return widgets_ != nullptr; }

  // Brings every control in line with the model.
  void Render();
  bool Rendering() const { return rendering_; }

  // Moves a control within its container, as the load does; before the
  // control is made, it is made there.
  void Place(const ControlPlacement& placement);
  // Where a control is, in twips in the panel's client area.
  const DesignRect& PlaceOf(Control control) const { return places_[IndexOf(control)]; }

  // The toolkit is about to show `page`: its controls are made, and shown
  // with what the model holds.
  void PageShowing(PanelPage page);

  // The user's input. Each is dropped while the view renders (a toolkit
  // tells of its own changes as of the user's), and followed by a render.
  void Clicked(Control control);
  void TextChanged(Control control, const std::string& text);
  void ValueChanged(Control control, int value);
  // A page the user chose by its tab; nothing when it is already up.
  void PageSelected(PanelPage page);
  // Ctrl+Tab (1) and Ctrl+Shift+Tab (-1): the next or previous page, round
  // the end.
  void CyclePage(int step);
  // What the user left marked and current in a list.
  void RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current);
  void RowDoubleClicked(Control list);
  // Enter in a box: the button it presses.
  void EnterPressed(Control box);
  // Esc, the close box or the end of the session: true when the window is to
  // go; otherwise the logic kept it, and it is rendered again.
  bool CloseRequested(CloseReason reason);

  // The option button the arrow keys reach from `from`, `step` buttons on
  // round its group, passing over those disabled or hidden; none for a
  // control in no group or a group with no other button to go to.
  std::optional<Control> OptionStep(Control from, int step) const;

  // The caption of a page's tab, "&" before its access key.
  static std::string_view PageCaption(PanelPage page);
  // How a control is made.
  ControlSpec SpecOf(const ControlInfo& info) const;
  // What a control shows, for the model and the page up.
  ControlState StateOf(const ControlInfo& info) const;

 private:
  template <class Event>
  void Report(Event event) {
    if (!events_ || rendering_) return;
    event(*events_);
    Render();
  }
  // Makes the controls of `page` (or of every page, kEveryPage) once.
  bool BuildPage(int page);
  void RenderList(Control control, const ListBox& list, std::vector<ListRow>& shown);

  ToolkitTraits traits_;
  PanelModel* panel_ = nullptr;
  PanelEvents* events_ = nullptr;
  PanelWidgets* widgets_ = nullptr;
  bool rendering_ = false;
  std::array<DesignRect, kControlCount> places_{};
  bool everyPageBuilt_ = false;
  std::array<bool, kPanelPageCount> pagesBuilt_{};
  std::array<bool, kControlCount> made_{};
  bool busyShown_ = false;
  // The rows of each list as last put on the screen, with their marks.
  std::vector<ListRow> shownList1_;
  std::vector<ListRow> shownList2_;
};

}  // namespace blindfold
