#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/form1.h"
#include "platform/panel_window.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_hotkey.h"

namespace blindfold::win32 {

// The control panel as a real dialog. It renders the panel model into its
// controls after every event, and turns what the user does into changes of the
// model and calls of the main window's handlers.
class PanelDialog final : public PanelWindow {
 public:
  PanelDialog();
  PanelDialog(const PanelDialog&) = delete;
  PanelDialog& operator=(const PanelDialog&) = delete;
  ~PanelDialog() override;

  HWND Hwnd() const { return dialog_; }
  // From here on, events go to `form`; the hotkeys' presses arrive as WM_HOTKEY.
  void Attach(Form1& form, std::vector<Win32Hotkey*> hotkeys);
  // Writes the model into the controls.
  void Render();
  // Keyboard navigation for the modeless dialog; true when the message was used.
  bool TranslateDialogMessage(MSG& message) { return IsDialogMessageW(dialog_, &message) != FALSE; }

  std::int32_t Handle() override;
  std::int32_t IconHandle() override;
  bool LoadIconFile(const std::string& path) override;
  bool IsVisible() override;
  void SetVisible(bool visible) override;
  void SetBorderStyle(BorderStyle style) override;
  void SetSizeTwips(int width, int height) override;
  void PlaceControl(const ControlPlacement& placement) override;
  void Unload() override;

  struct ControlLayout {
    int id;
    int page;  // -1: shown on every page
    int left, top, width, height;  // twips, in the client area
  };

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code, HWND control);
  void OnNotify(const NMHDR& header);
  // Runs a handler of the main window, then shows what it changed.
  template <class Handler>
  void Dispatch(Handler handler) {
    if (!form_) return;
    handler(*form_);
    Render();
  }

  HWND Control(int id) const;
  void BuildPage(int page);
  void Prepare(int id, HWND control, WPARAM font);
  void SendFramesBehind(const std::vector<HWND>& controls);
  int Px(int twips) const;
  void Layout();
  void Place(const ControlLayout& control);
  const ControlLayout* LayoutOf(int id) const;
  void RenderList(int id, const ListBox& list, std::vector<ListRow>& shown, bool multiSelect);
  void ReadListMarks();
  void SetText(int id, const std::string& text);
  void SetCheck(int id, UINT state);
  void SetEnabled(int id, bool enabled);
  std::string GetText(int id) const;
  bool Shown(int id, bool modelVisible) const;

  HWND dialog_ = nullptr;
  Form1* form_ = nullptr;
  std::vector<Win32Hotkey*> hotkeys_;
  std::vector<ControlLayout> layout_;
  // The controls by id; a page's controls join when it is first shown.
  std::unordered_map<int, HWND> controls_;
  std::array<bool, 5> pagesBuilt_{};
  std::vector<ListRow> shownList1_;
  std::vector<ListRow> shownList2_;
  bool rendering_ = false;
  LONG_PTR framedStyle_ = 0;
  struct FontTraits {
    using Handle = HFONT;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle font) { DeleteObject(font); }
  };
  UniqueHandle<FontTraits> titleFont_;
  struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle icon) { DestroyIcon(icon); }
  };
  UniqueHandle<IconTraits> loadedIcon_;
  UINT taskbarCreated_ = 0;
};

}  // namespace blindfold::win32
