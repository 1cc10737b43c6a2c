#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace blindfold::win32 {

// One control of a dialog template, as the dialog manager would create it.
struct DialogTemplateControl {
  std::uint32_t exStyle = 0;
  std::uint32_t style = 0;
  int id = 0;
  std::wstring className;
  std::wstring title;
};

// The controls of an extended dialog template (what a DIALOGEX statement
// compiles to), in order. Reading stops at the first item that does not fit in
// `data`; a template that is not an extended one has no controls.
std::vector<DialogTemplateControl> ReadDialogTemplate(std::span<const std::uint8_t> data);

}  // namespace blindfold::win32
