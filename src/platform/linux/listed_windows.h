#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/window_manager.h"

namespace blindfold::linux_desktop {

// The handle of a window's id in a compositor's list (a uuid, a number):
// the same in every run, so that the record of hidden windows still names
// them after a crash. 31 bits, never 0.
WindowHandle HandleOfId(std::string_view id);

// What a door that is told its windows as a list (a compositor's reply, a
// script's report) knows of each of them, as long as the list holds.
struct ListedWindow {
  WindowHandle handle;
  std::string_view title;
  std::string_view className;
  // As the list says; 0 where it does not tell.
  std::uint32_t pid = 0;
};

// The part of the window manager that is the same for every door that reads
// its windows from such a list: their texts, cut as Windows cuts them, and
// the process of a window, this program's own included. Each door says how it
// lists its windows, and does the rest its own way.
class ListedWindowManager : public WindowManager {
 public:
  int WindowTextLength(WindowHandle window) final;
  std::string WindowText(WindowHandle window, int bufferChars) final;
  std::string ClassName(WindowHandle window, int bufferChars) final;
  std::uint32_t ProcessId(WindowHandle window) final;
  bool CloakedByItsApp(WindowHandle) final { return false; }

  // The first window of process `pid`. For this program's own (its panel,
  // which GTK cannot name on Wayland), while it shows none, a handle of its
  // own stands for it, whose process is this one, so that the tray icon has
  // an owner and the watch knows this program's windows.
  WindowHandle FirstWindowOf(std::uint32_t pid);
  WindowHandle ThisProgramsWindow();
  static constexpr WindowHandle kThisProgram{0x7ffffffe};

 protected:
  // Each window listed now, in the door's order, until `visit` returns false.
  virtual void VisitListed(const std::function<bool(const ListedWindow&)>& visit) = 0;
  // The process of a listed window: the list's word, unless the door knows
  // better.
  virtual std::uint32_t ListedProcess(const ListedWindow& window) { return window.pid; }

 private:
  std::optional<ListedWindow> Listed(WindowHandle window);
};

}  // namespace blindfold::linux_desktop
