#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "panel/control.h"
#include "platform/window_handle.h"

namespace blindfold {

enum class BorderStyle { None = 0, FixedSingle = 1 };

// A control's place within its container, in twips; a field left empty keeps
// the control's designed value.
struct ControlPlacement {
  Control control;
  std::optional<int> left;
  std::optional<int> top;
  std::optional<int> width;
  std::optional<int> height;
};

// The control panel's own window: what the logic does to the window as a whole,
// as opposed to its controls, which live in the panel model.
class PanelWindow {
 public:
  virtual ~PanelWindow() = default;

  // The window's handle, and the handle of its current icon.
  virtual WindowHandle Handle() = 0;
  virtual std::int32_t IconHandle() = 0;
  // Makes the icon in `path` the window's icon; false (icon unchanged) when it
  // cannot be loaded.
  virtual bool LoadIconFile(const std::string& path) = 0;

  virtual bool IsVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetBorderStyle(BorderStyle style) = 0;
  virtual void SetSizeTwips(int width, int height) = 0;
  virtual void PlaceControl(const ControlPlacement& placement) = 0;
  // Destroys the window; the program ends once it has gone.
  virtual void Unload() = 0;
};

}  // namespace blindfold
