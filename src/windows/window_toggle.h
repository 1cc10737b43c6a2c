#pragma once

#include <string>

#include "panel/panel_model.h"
#include "platform/window_manager.h"
#include "windows/hidden_watch.h"
#include "windows/hidden_windows.h"
#include "windows/recovery.h"

namespace blindfold {

// What the toggle needs from the rest of the program: the panel's own window,
// the password gate and the sound.
class ToggleHost {
 public:
  virtual ~ToggleHost() = default;

  // Closes the password dialog if one is waiting; its request then fails.
  virtual void CloseLoginDialog() = 0;
  virtual void HidePanel() = 0;
  // Shows the panel for an instant as a borderless 1 by 1 twip window, then
  // hides it again at its normal size and border.
  virtual void FlashPanel() = 0;
  virtual void MuteSound() = 0;
  virtual void RestoreSound() = 0;
  virtual bool AskPassword() = 0;
  // The panel's own window, whose program is this one.
  virtual WindowHandle PanelHandle() = 0;
  // Tells the user, besides the panel's status line, what could not be kept
  // hidden (a balloon from the tray icon, when it is shown).
  virtual void ReportNotHidden(const std::string& line) = 0;
};

// Hiding and showing the chosen windows. Owns the set of hidden windows and the
// toggle state.
class WindowHiding {
 public:
  WindowHiding(PanelModel& panel, WindowManager& windows, WindowWatch& watch, ToggleHost& host);

  // The windows hotkey: hides the chosen windows, or shows what was hidden.
  void ToggleChosenWindows();
  // The panic hotkey: hides every listed window, whatever is marked, adding
  // them to what is already hidden so that one show brings everything back.
  void PanicHide();
  // Shows every recorded window without asking for a password or touching the
  // sound; the record stays as it is.
  void ShowHiddenWindows();
  // "Refresh": rebuilds the list and marks again the recorded windows.
  void RefreshWindowList();
  // The panel's load: fills the empty list and counts the windows.
  void FillOpenWindowsList();

  // Hides or shows one window, keeping its positions and its minimised or
  // maximised state. A handle of 0, or of a window that has gone, is skipped.
  // False when the window is there but may not be changed.
  bool HideOneWindow(WindowHandle window);
  void ShowOneWindow(WindowHandle window);

  // From now on every hide is made durable in `record` before any window
  // changes, and every show clears it.
  void KeepDurable(RecoveryRecord* record) { durable_ = record; }
  // Windows hidden otherwise (taken back after a crash) are kept hidden too.
  void KeepHidden();

  // The windows hidden now, or, between hides, those chosen for the next.
  const HiddenWindows& Hidden() const { return strHiddenWindows_; }
  bool WindowsHidden() const { return bWindowsHidden_; }
  // The windows the next hide marks again in the list ("Hide me!" chooses the
  // marked rows).
  void Choose(const std::vector<WindowHandle>& windows);
  // Windows that a Blindfold which died left hidden, taken over as hidden.
  void TakeOverHidden(const std::vector<WindowHandle>& windows);

 private:
  void HideBranch();
  void ShowBranch();
  // The steps every hide starts and ends with. The start hides the panel and
  // returns the window active after it went; the end moves the activation off
  // the windows now hidden, mutes the sound, reports what could not be hidden
  // and watches over the rest.
  WindowHandle StartHide(bool closeLoginDialog);
  void FinishHide(const std::vector<WindowHandle>& toHide, WindowHandle active, const char* what);
  // Adds the taskbar or the desktop, whose handle its box keeps, to the hidden
  // windows and hides it.
  void HideKept(const CheckBox& box);
  bool SetShowCmd(WindowHandle window, std::int32_t showCmd);
  // Hides a window, or notes it as one that may not be hidden.
  void HideOrNote(WindowHandle window);
  void HideAllOrNote(const std::vector<WindowHandle>& windows);
  std::vector<WindowHandle> MarkedRowsBottomUp() const;
  // The windows noted as not to be hidden leave the record and are reported.
  void LeaveOutRefused();
  void Forget(WindowHandle window);
  void Report(const std::string& line);
  std::string NameOf(WindowHandle window);
  // The recorded windows that the list does not show but that still exist: a
  // show moments ago may not have reached them yet.
  std::vector<WindowHandle> UnlistedRecordedWindows(const std::vector<WindowHandle>& record) const;
  void Record(const std::vector<WindowHandle>& windows);
  void MoveActivationOff(const std::vector<WindowHandle>& toHide, WindowHandle active);
  void JoinHidden(WindowHandle window);
  void LeaveToItsProgram(WindowHandle window);
  bool ShownElsewhere();

  PanelModel& panel_;
  WindowManager& windows_;
  ToggleHost& host_;
  RecoveryRecord* durable_ = nullptr;
  // The record held windows when they were hidden: once it is empty, they were
  // shown by other means.
  bool durableAtHide_ = false;
  HiddenWindowWatch watch_;
  // The window the user worked in when the windows were hidden.
  WindowHandle activeAtHide_;
  std::vector<WindowHandle> refused_;
  HiddenWindows strHiddenWindows_;
  bool bWindowsHidden_ = false;
};

}  // namespace blindfold
