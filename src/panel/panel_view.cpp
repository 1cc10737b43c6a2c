#include "panel/panel_view.h"

#include <algorithm>
#include <variant>

#include "core/scope_guard.h"
#include "core/texts.h"
#include "platform/login_dialog.h"

namespace blindfold {
namespace {

static_assert(texts::kPageCaptions.size() == kPanelPageCount, "one caption for each page's tab");

// What one model part shows; `shown` is the model's say on visibility.
struct StateReader {
  ControlState& state;

  void operator()(std::monostate) const {}
  void operator()(const Frame* frame) const {
    state.text = frame->caption;
    state.visible = frame->visible;
  }
  void operator()(const Label* label) const {
    state.text = label->caption;
    state.visible = label->visible;
  }
  void operator()(const CheckBox* box) const {
    state.check = box->value == 1 ? CheckMark::Checked : box->value == 2 ? CheckMark::Grayed : CheckMark::Clear;
    state.enabled = box->enabled;
    state.visible = box->visible;
  }
  void operator()(const OptionButton* button) const {
    state.check = button->value ? CheckMark::Checked : CheckMark::Clear;
    state.enabled = button->enabled;
  }
  void operator()(const TextBox* box) const {
    state.text = box->text;
    state.replacedOnEdit = box->replacedOnEdit;
    state.enabled = box->enabled;
    state.visible = box->visible;
  }
  void operator()(const Button* button) const {
    state.enabled = button->enabled;
    state.visible = button->visible;
  }
  void operator()(const Slider* slider) const {
    state.value = slider->value;
    state.enabled = slider->enabled;
  }
  void operator()(const ListBox* list) const { state.visible = list->visible; }
};

bool IsChosen(PanelModel& panel, Control option) {
  const ModelField field = FieldOf(panel, option);
  auto* const* button = std::get_if<OptionButton*>(&field);
  return button && (*button)->value;
}

}  // namespace

PanelView::PanelView(ToolkitTraits traits) : traits_(traits) {
  for (const ControlInfo& info : Controls()) places_[IndexOf(info.control)] = info.design;
}

void PanelView::Attach(PanelModel& panel, PanelEvents& events) {
  panel_ = &panel;
  events_ = &events;
  Render();
}

void PanelView::AttachWidgets(PanelWidgets& widgets) {
  DetachWidgets();
  widgets_ = &widgets;
  BuildPage(kEveryPage);
  BuildPage(static_cast<int>(PanelPage::OpenWindows));
}

void PanelView::DetachWidgets() {
  widgets_ = nullptr;
  everyPageBuilt_ = false;
  pagesBuilt_.fill(false);
  made_.fill(false);
  busyShown_ = false;
  shownList1_.clear();
  shownList2_.clear();
}

std::string_view PanelView::PageCaption(PanelPage page) {
  const auto index = static_cast<std::size_t>(page);
  return index < texts::kPageCaptions.size() ? texts::kPageCaptions[index] : std::string_view();
}

ControlSpec PanelView::SpecOf(const ControlInfo& info) const {
  ControlSpec spec;
  spec.info = &info;
  spec.caption = info.control == Control::chkStartWithWindows && traits_.startsAtLogIn
                     ? std::string(texts::kStartAtLogInCaption)
                     : std::string(info.caption);
  spec.place = places_[IndexOf(info.control)];
  // A hotkey's key is one key, shown as its key cap reads.
  if (info.kind == ControlKind::KeyBox) {
    spec.maxChars = 1;
    spec.upperCase = true;
  }
  // Enter in the password box sets the password.
  if (info.kind == ControlKind::PasswordBox) {
    spec.maxChars = kPasswordMaxChars;
    spec.enterPresses = Control::cmdSetPassword;
  }
  spec.title = info.control == Control::Label5;
  const auto groups = OptionGroups();
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (std::find(groups[i].begin(), groups[i].end(), info.control) != groups[i].end()) spec.optionGroup = i;
  }
  return spec;
}

// A control shows when the model shows it and its page is up; a control kept
// only for what it does never shows. Tab reaches a group of option buttons at
// its chosen button, or at its first while none is chosen.
ControlState PanelView::StateOf(const ControlInfo& info) const {
  ControlState state;
  if (!panel_) return state;
  std::visit(StateReader{state}, FieldOf(*panel_, info.control));
  const bool pageUp = info.page == kEveryPage || info.page == static_cast<int>(panel_->page) ||
                      traits_.pagesHoldTheirControls;
  state.visible = state.visible && pageUp && !info.neverShown;
  const std::span<const Control> group = OptionGroupOf(info.control);
  if (!group.empty()) {
    const auto chosen =
        std::find_if(group.begin(), group.end(), [&](Control option) { return IsChosen(*panel_, option); });
    state.tabStop = info.control == (chosen == group.end() ? group.front() : *chosen);
  }
  return state;
}

// A page other than the first gets its controls the first time it is shown:
// most users never open most pages, and every control costs start-up time.
// Frames come first, so that what they hold lies over them.
bool PanelView::BuildPage(int page) {
  if (!widgets_) return false;
  if (page == kEveryPage) {
    if (everyPageBuilt_) return false;
    everyPageBuilt_ = true;
  } else {
    if (page < 0 || page >= kPanelPageCount || pagesBuilt_[static_cast<std::size_t>(page)]) return false;
    pagesBuilt_[static_cast<std::size_t>(page)] = true;
  }
  for (const bool frames : {true, false}) {
    for (const ControlInfo& info : Controls()) {
      if (info.page != page || (info.kind == ControlKind::Frame) != frames) continue;
      widgets_->Create(SpecOf(info));
      made_[IndexOf(info.control)] = true;
    }
  }
  return true;
}

void PanelView::PageShowing(PanelPage page) {
  if (BuildPage(static_cast<int>(page)) && !rendering_) Render();
}

// Every control's state is applied first, its visibility after every other
// change: a control hidden and shown again on the way would flicker. A
// toolkit call that throws ends the render, not the user's input: the next
// render starts afresh.
void PanelView::Render() {
  if (!panel_ || !widgets_ || rendering_) return;
  const auto drawing = HoldWhile(rendering_, true);
  BuildPage(static_cast<int>(panel_->page));
  widgets_->SelectPage(panel_->page);
  RenderList(Control::OpenWindowsList, panel_->openWindows, shownList1_);
  RenderList(Control::AlwaysHideList, panel_->alwaysHide, shownList2_);
  std::array<bool, kControlCount> visible{};
  for (const ControlInfo& info : Controls()) {
    if (!made_[IndexOf(info.control)]) continue;
    const ControlState state = StateOf(info);
    widgets_->Apply(info.control, state);
    visible[IndexOf(info.control)] = state.visible;
  }
  for (const ControlInfo& info : Controls()) {
    if (made_[IndexOf(info.control)]) widgets_->Show(info.control, visible[IndexOf(info.control)]);
  }
  if (panel_->busy != busyShown_) {
    busyShown_ = panel_->busy;
    widgets_->SetBusy(busyShown_);
  }
}

// Refills a list only when its rows changed (a refill loses the place the
// user scrolled to), then brings the marks and the current row in line.
void PanelView::RenderList(Control control, const ListBox& list, std::vector<ListRow>& shown) {
  if (!made_[IndexOf(control)]) return;
  const auto sameRow = [](const ListRow& a, const ListRow& b) { return a.text == b.text && a.itemData == b.itemData; };
  if (!std::equal(shown.begin(), shown.end(), list.Rows().begin(), list.Rows().end(), sameRow)) {
    widgets_->FillList(control, list);
    shown = list.Rows();
    for (ListRow& row : shown) row.marked = false;
  }
  const auto current = list.CurrentRow();
  if (InfoOf(control).kind != ControlKind::MultiList) {
    widgets_->SetCurrentRow(control, current);
    return;
  }
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i].marked == list.Rows()[i].marked) continue;
    widgets_->MarkRow(control, i, list.Rows()[i].marked);
    shown[i].marked = list.Rows()[i].marked;
  }
  if (current) widgets_->SetCurrentRow(control, current);
}

// A placement is relative to the control's container, as the design was drawn.
void PanelView::Place(const ControlPlacement& placement) {
  const DesignRect& container = places_[IndexOf(ContainerOf(placement.control))];
  DesignRect& place = places_[IndexOf(placement.control)];
  if (placement.left) place.left = container.left + *placement.left;
  if (placement.top) place.top = container.top + *placement.top;
  if (placement.width) place.width = *placement.width;
  if (placement.height) place.height = *placement.height;
  if (widgets_ && made_[IndexOf(placement.control)]) widgets_->Move(placement.control, place);
}

void PanelView::Clicked(Control control) {
  Report([control](PanelEvents& events) { events.Clicked(control); });
}

void PanelView::TextChanged(Control control, const std::string& text) {
  Report([&](PanelEvents& events) { events.TextChanged(control, text); });
}

void PanelView::ValueChanged(Control control, int value) {
  Report([&](PanelEvents& events) { events.ValueChanged(control, value); });
}

void PanelView::PageSelected(PanelPage page) {
  if (!panel_ || panel_->page == page) return;
  Report([page](PanelEvents& events) { events.PageSelected(page); });
}

void PanelView::CyclePage(int step) {
  if (!panel_) return;
  const int page = ((static_cast<int>(panel_->page) + step) % kPanelPageCount + kPanelPageCount) % kPanelPageCount;
  Report([page](PanelEvents& events) { events.PageSelected(static_cast<PanelPage>(page)); });
}

// The marks the user set are on the screen already: the render that follows
// changes only those the logic changed.
void PanelView::RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) {
  if (!events_ || rendering_) return;
  if (list == Control::OpenWindowsList || list == Control::AlwaysHideList) {
    std::vector<ListRow>& shown = list == Control::OpenWindowsList ? shownList1_ : shownList2_;
    for (std::size_t i = 0; i < marks.size() && i < shown.size(); ++i) shown[i].marked = marks[i];
  }
  Report([&](PanelEvents& events) { events.RowsSelected(list, marks, current); });
}

void PanelView::RowDoubleClicked(Control list) {
  Report([list](PanelEvents& events) { events.RowDoubleClicked(list); });
}

void PanelView::EnterPressed(Control box) { Clicked(SpecOf(InfoOf(box)).enterPresses); }

bool PanelView::CloseRequested(CloseReason reason) {
  if (!events_ || rendering_) return false;
  return events_->CloseRequested(reason);
}

// The arrow keys move to the next option button of the group, round the end.
std::optional<Control> PanelView::OptionStep(Control from, int step) const {
  const std::span<const Control> group = OptionGroupOf(from);
  if (group.empty() || step == 0) return std::nullopt;
  const auto size = static_cast<int>(group.size());
  int at = static_cast<int>(std::find(group.begin(), group.end(), from) - group.begin());
  for (int tried = 1; tried < size; ++tried) {
    at = ((at + step) % size + size) % size;
    const Control next = group[static_cast<std::size_t>(at)];
    const ControlState state = StateOf(InfoOf(next));
    if (made_[IndexOf(next)] && state.enabled && state.visible) return next;
  }
  return std::nullopt;
}

}  // namespace blindfold
