#include "platform/gtk/gtk_layout.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace blindfold::gtk {

bool IsField(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::KeyBox:
    case ControlKind::PasswordBox:
    case ControlKind::List:
    case ControlKind::MultiList:
    case ControlKind::Slider:
      return true;
    default:
      return false;
  }
}

bool Stretches(const ControlInfo& info, std::size_t inRow) {
  if (info.kind == ControlKind::Label) return inRow == 1;
  return IsField(info.kind) && info.kind != ControlKind::KeyBox;
}

std::optional<Control> FrameOf(const ControlInfo& info) {
  if (info.kind == ControlKind::Frame || info.page == kEveryPage) return std::nullopt;
  for (const ControlInfo& frame : Controls()) {
    if (frame.kind != ControlKind::Frame || frame.page != info.page || frame.neverShown) continue;
    const DesignRect& box = frame.design;
    if (info.design.left >= box.left && info.design.left < box.left + box.width && info.design.top >= box.top &&
        info.design.top < box.top + box.height) {
      return frame.control;
    }
  }
  return std::nullopt;
}

std::vector<std::vector<Control>> RowsOf(std::vector<Control> controls) {
  std::sort(controls.begin(), controls.end(),
            [](Control a, Control b) { return InfoOf(a).design.top < InfoOf(b).design.top; });
  std::vector<std::vector<Control>> rows;
  for (const Control control : controls) {
    if (rows.empty() || InfoOf(control).design.top - InfoOf(rows.back().front()).design.top >= kRowTwips) {
      rows.emplace_back();
    }
    rows.back().push_back(control);
  }
  for (auto& row : rows) {
    std::sort(row.begin(), row.end(),
              [](Control a, Control b) { return InfoOf(a).design.left < InfoOf(b).design.left; });
  }
  return rows;
}

// Otherwise than option buttons, the controls drawn in the last part of the
// design's width sit at the row's end.
RowLayout LayOutRow(const std::vector<Control>& row, const DesignRect& holder) {
  RowLayout layout;
  layout.equalColumns =
      std::all_of(row.begin(), row.end(), [](Control c) { return InfoOf(c).kind == ControlKind::OptionButton; });
  for (const Control control : row) {
    const ControlInfo& info = InfoOf(control);
    const bool stretches = layout.equalColumns || Stretches(info, row.size());
    const bool atEnd = !layout.equalColumns && !stretches && (info.design.left - holder.left) * 10 > holder.width * 7;
    layout.places.push_back({.control = control, .stretches = stretches, .atEnd = atEnd});
  }
  return layout;
}

bool HoldsList(const std::vector<Control>& row) {
  return std::any_of(row.begin(), row.end(), [](Control c) {
    return InfoOf(c).kind == ControlKind::List || InfoOf(c).kind == ControlKind::MultiList;
  });
}

PageLayout LayOutPage(int page) {
  PageLayout layout;
  std::map<Control, std::vector<Control>> inFrame;
  std::vector<Control> loose;
  std::vector<Control> frames;
  for (const ControlInfo& info : Controls()) {
    if (info.page != page) continue;
    if (info.neverShown) {
      layout.unseen.push_back(info.control);
    } else if (info.kind == ControlKind::Frame) {
      frames.push_back(info.control);
    } else if (const auto frame = FrameOf(info)) {
      inFrame[*frame].push_back(info.control);
    } else {
      loose.push_back(info.control);
    }
  }
  // Frames before the rows of the same top, each kind in the table's order.
  for (const Control frame : frames) {
    PageLayout::Block block{.frame = frame, .rows = RowsOf(inFrame[frame])};
    block.expands = std::any_of(block.rows.begin(), block.rows.end(), HoldsList);
    layout.blocks.push_back(std::move(block));
  }
  for (auto& row : RowsOf(loose)) layout.blocks.push_back({.rows = {std::move(row)}});
  const auto topOf = [](const PageLayout::Block& block) {
    return InfoOf(block.frame ? *block.frame : block.rows.front().front()).design.top;
  };
  std::stable_sort(layout.blocks.begin(), layout.blocks.end(),
                   [&](const auto& a, const auto& b) { return topOf(a) < topOf(b); });
  const auto controls = Controls();
  for (std::size_t i = 0; i + 1 < controls.size(); ++i) {
    const ControlInfo& info = controls[i];
    if (info.page != page || info.kind != ControlKind::Label) continue;
    if (info.caption.find('&') != std::string_view::npos && IsField(controls[i + 1].kind)) {
      layout.labelledFields.push_back({.label = info.control, .field = controls[i + 1].control});
    }
  }
  return layout;
}

std::vector<std::vector<Control>> FooterRows() {
  std::vector<Control> footer;
  for (const ControlInfo& info : Controls()) {
    if (info.page == kEveryPage && info.kind != ControlKind::Tabs) footer.push_back(info.control);
  }
  return RowsOf(footer);
}

bool HasOwnLabel(Control box) {
  const auto controls = Controls();
  const std::size_t index = IndexOf(box);
  return index > 0 && controls[index - 1].kind == ControlKind::Label &&
         controls[index - 1].caption.find('&') != std::string_view::npos;
}

}  // namespace blindfold::gtk
