#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace blindfold::win32 {

// The window that a dialog, menu or message box of ours belongs to, asked for
// when it opens: the panel is made only when it is first shown, so which window
// that is changes during the run. Empty means none, as for the rescue command.
using OwnerWindow = std::function<HWND()>;

inline HWND OwnerOf(const OwnerWindow& owner) { return owner ? owner() : nullptr; }

}  // namespace blindfold::win32
