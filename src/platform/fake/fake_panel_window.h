#pragma once

#include <string>
#include <vector>

#include "panel/controls.h"
#include "panel/panel_events.h"
#include "platform/panel_window.h"

namespace blindfold {

// Remembers its state and every change made to it, in order.
class FakePanelWindow final : public PanelWindow {
 public:
  WindowHandle Handle() override { return WindowHandle(0x2001c); }
  std::int32_t IconHandle() override { return icon; }
  bool LoadIconFile(const std::string& path) override {
    calls.push_back("load icon " + path);
    if (!loadableIcons) return false;
    icon += 2;
    return true;
  }
  const IconFileKinds& IconFiles() override { return *iconFiles; }
  bool IsVisible() override { return visible; }
  void SetVisible(bool value) override {
    visible = value;
    calls.push_back(value ? "show" : "hide");
  }
  void SetBorderStyle(BorderStyle style) override {
    borderStyle = style;
    calls.push_back(style == BorderStyle::None ? "border none" : "border fixed single");
  }
  void SetSizeTwips(int width, int height) override {
    widthTwips = width;
    heightTwips = height;
    calls.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
  }

  void PlaceControl(const ControlPlacement& placement) override {
    calls.push_back("place " + std::string(InfoOf(placement.control).name));
  }
  void Unload() override {
    unloaded = true;
    calls.push_back("unload");
  }

  // What the user does, handed on as the real dialog hands it on.
  void Attach(PanelEvents& to) { events = &to; }
  void Click(Control control) { events->Clicked(control); }
  void Type(Control control, const std::string& text) { events->TextChanged(control, text); }

  PanelEvents* events = nullptr;
  bool visible = false;
  std::int32_t icon = 0x10101;
  bool loadableIcons = true;
  const IconFileKinds* iconFiles = &kWindowsIconFiles;
  bool unloaded = false;
  BorderStyle borderStyle = BorderStyle::FixedSingle;
  int widthTwips = 8325;
  int heightTwips = 5955;
  std::vector<std::string> calls;
};

}  // namespace blindfold
