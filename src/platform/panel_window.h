#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/control.h"
#include "core/texts.h"
#include "core/window_handle.h"

namespace blindfold {

// The files a tray icon may be chosen from: what the file dialog offers, and
// the endings of the names that are loaded, compared exactly, so that
// "EYE.ICO" is not loaded where ".ico" is asked for.
struct IconFileKinds {
  std::string_view filter;
  std::string_view defaultExtension;
  std::vector<std::string_view> endings;

  bool Loads(std::string_view path) const {
    for (const std::string_view ending : endings) {
      if (path.ends_with(ending)) return true;
    }
    return false;
  }
};

// Windows' icon files alone.
inline const IconFileKinds kWindowsIconFiles{texts::kIconFilter, texts::kIconExtension, {".ico"}};
// Pictures, for an icon loader that reads PNG and SVG as well as icon files.
inline const IconFileKinds kPictureIconFiles{
    texts::kPictureIconFilter, texts::kPictureIconExtension, {".png", ".svg", ".ico"}};

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
  // The files LoadIconFile is given and the icon file dialog offers.
  virtual const IconFileKinds& IconFiles() { return kWindowsIconFiles; }

  virtual bool IsVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetBorderStyle(BorderStyle style) = 0;
  virtual void SetSizeTwips(int width, int height) = 0;
  virtual void PlaceControl(const ControlPlacement& placement) = 0;
  // Destroys the window; the program ends once it has gone.
  virtual void Unload() = 0;
};

}  // namespace blindfold
