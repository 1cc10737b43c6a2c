#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/control.h"
#include "panel/panel_model.h"

namespace blindfold {

// Why the panel is asked to close.
enum class CloseReason { ControlMenu = 0, Code = 1, WindowsEnding = 2, TaskManager = 3 };

// What the user did to the panel. A toolkit turns its input into these calls
// and nothing else, then renders the model again; the logic answers them.
class PanelEvents {
 public:
  virtual ~PanelEvents() = default;

  // A button, link, check box or option button was clicked, or pressed with
  // the keyboard.
  virtual void Clicked(Control control) = 0;
  // The text of a text box changed.
  virtual void TextChanged(Control control, const std::string& text) = 0;
  // A slider moved.
  virtual void ValueChanged(Control control, int value) = 0;
  virtual void PageSelected(PanelPage page) = 0;
  // A list's selection changed: for a list whose rows are marked, the mark of
  // every row; for the others nothing. `current` is the row with the focus.
  virtual void RowsSelected(Control list, const std::vector<bool>& marks, std::optional<std::size_t> current) = 0;
  virtual void RowDoubleClicked(Control list) = 0;
  // The close box, or the end of the session. True when the window is to go;
  // otherwise it is only hidden.
  virtual bool CloseRequested(CloseReason reason) = 0;
};

}  // namespace blindfold
