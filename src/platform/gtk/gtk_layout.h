#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/control.h"
#include "panel/controls.h"

namespace blindfold::gtk {

// How the GTK panel puts the control table's pages together in boxes: read
// from the design's coordinates once, then nothing is placed by coordinates,
// so that a larger font, a scale or another theme moves everything along.
// No GTK here: the panel's widgets follow what these say.

// Controls whose design tops lie this close share a row.
inline constexpr int kRowTwips = 150;

// Whether a control takes the user's input (a box, a list, a slider): what a
// label's access key leads to.
bool IsField(ControlKind kind);

// What takes the row's spare width: boxes for text (but a key's), lists,
// sliders, and a line of text alone in its row.
bool Stretches(const ControlInfo& info, std::size_t inRow);

// The frame a control sits in: the one whose design holds the control's top
// left corner.
std::optional<Control> FrameOf(const ControlInfo& info);

// The controls in rows, top to bottom, each row left to right.
std::vector<std::vector<Control>> RowsOf(std::vector<Control> controls);

// One row of controls in a box of its own.
struct RowLayout {
  // Option buttons alone share the row in equal columns, so that a frame's
  // two rows of them line up.
  bool equalColumns = false;
  struct Place {
    Control control;
    bool stretches = false;
    // Drawn in the last part of the design's width: it sits at the row's end.
    bool atEnd = false;
  };
  std::vector<Place> places;  // left to right
};
RowLayout LayOutRow(const std::vector<Control>& row, const DesignRect& holder);

// A page: each frame holds the controls drawn inside it, in rows; the rest
// stand in rows of their own between the frames.
struct PageLayout {
  struct Block {
    std::optional<Control> frame;            // none: a row outside the frames
    std::vector<std::vector<Control>> rows;  // a frame's rows, or the one loose row
    // A frame that holds a list takes the page's spare height.
    bool expands = false;
  };
  // Made but never shown: the controls kept only for what they do.
  std::vector<Control> unseen;
  // In the design's order, top to bottom.
  std::vector<Block> blocks;
  // A label with an access key and the field after it, which the key takes
  // the focus to and the label names.
  struct LabelledField {
    Control label;
    Control field;
  };
  std::vector<LabelledField> labelledFields;
};
PageLayout LayOutPage(int page);

// The rows below the pages, shown on every page.
std::vector<std::vector<Control>> FooterRows();

// Whether a row of controls holds a list, which takes the frame's spare height.
bool HoldsList(const std::vector<Control>& row);

// Whether a text box has a label of its own, with an access key, just before
// it; one without is named after its frame.
bool HasOwnLabel(Control box);

}  // namespace blindfold::gtk
