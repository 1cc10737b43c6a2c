#pragma once

#include <windows.h>

#include <vector>

#include "panel/panel_model.h"
#include "platform/win32/panel_controls.h"

namespace blindfold::win32 {

// Writes the panel model into the native controls, changing only what differs
// from the screen: every change costs a round of messages, and a control hidden
// and shown again would flicker.
class PanelRenderer {
 public:
  void Render(PanelModel& panel, PanelControls& controls);
  // The marks the user set in the list of open windows are on the screen now.
  void MarksRead(const std::vector<bool>& marks);

 private:
  void RenderList(HWND box, const ListBox& list, std::vector<ListRow>& shown, bool multiSelect);
  void SetOptionTabStops(PanelModel& panel, PanelControls& controls);

  std::vector<ListRow> shownList1_;
  std::vector<ListRow> shownList2_;
};

// Reads a control's text.
std::string TextOf(HWND control);

}  // namespace blindfold::win32
