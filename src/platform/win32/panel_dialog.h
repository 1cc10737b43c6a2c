#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "panel/panel_events.h"
#include "panel/panel_model.h"
#include "panel/panel_view.h"
#include "platform/panel_window.h"
#include "platform/win32/hidden_main_window.h"
#include "platform/win32/page_surface.h"
#include "platform/win32/panel_controls.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_hotkey.h"

namespace blindfold::win32 {

// The control panel as a real dialog, and the program's main window behind it
// (HiddenMainWindow), which stands for the panel while it is not made.
//
// The dialog and its controls are made the first time the panel is shown: a
// Blindfold that starts hidden may never need them, and they are most of what
// a start costs. What the load does to the panel before then (placements,
// size, icon) is kept and applied when the dialog is made.
//
// The dialog's controls are the panel view's widgets; what the user does goes
// to the view and nothing else.
class PanelDialog final : public PanelWindow, private MainWindowEvents {
 public:
  // The panel's normal size, in twips.
  PanelDialog(int widthTwips, int heightTwips);
  PanelDialog(const PanelDialog&) = delete;
  PanelDialog& operator=(const PanelDialog&) = delete;
  ~PanelDialog() override;

  // The main window, null once the program unloads.
  HWND MainWindow() const { return main_.Get(); }
  // What a dialog or message box of ours belongs to: the panel once it has been
  // made, until then the main window.
  HWND Owner() const { return dialog_ ? dialog_ : main_.Get(); }
  // From here on the panel shows `panel` and reports to `events`; the
  // hotkeys' presses arrive as WM_HOTKEY, and the shell's restart goes to
  // `tray`.
  void Attach(PanelModel& panel, PanelEvents& events, std::vector<Win32Hotkey*> hotkeys);
  // Writes the model into the controls, once they exist.
  void Render();
  // Keyboard navigation for the modeless dialog; true when the message was used.
  bool TranslateDialogMessage(MSG& message);
  // Whether the program unloads because the Windows session ends.
  bool SessionEnded() const { return sessionEnded_; }

  WindowHandle Handle() override;
  std::int32_t IconHandle() override;
  bool LoadIconFile(const std::string& path) override;
  bool IsVisible() override;
  void SetVisible(bool visible) override;
  void SetBorderStyle(BorderStyle style) override;
  void SetSizeTwips(int width, int height) override;
  void PlaceControl(const ControlPlacement& placement) override;
  void Unload() override;

 private:
  // What the main window hears of.
  void ShutdownAsked() override;
  void CloseAsked() override;
  void SessionEnding() override;

  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool MakeDialog();
  void OnCommand(int id, int code, HWND control);
  void OnNotify(const NMHDR& header);
  HBRUSH ControlBackground(HWND control, HDC dc);
  bool MoveWithinOptionGroup(HWND focus, WPARAM key);
  std::vector<bool> ListMarks(HWND box) const;

  HiddenMainWindow main_{*this};
  HWND dialog_ = nullptr;
  // Keeps what the load did to the panel for the dialog when it is made.
  PanelView view_;
  std::unique_ptr<PanelControls> controls_;
  PageSurface surface_;
  PanelModel* panel_ = nullptr;
  int widthTwips_;
  int heightTwips_;
  // Borderless, the panel is only ever the flash before the desktop is hidden.
  bool flashing_ = false;
  bool sessionEnded_ = false;
  UniqueHandle<IconTraits> loadedIcon_;
  UniqueHandle<IconTraits> loadedSmallIcon_;
};

}  // namespace blindfold::win32
