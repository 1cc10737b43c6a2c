#pragma once

#include <gtkmm.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/login_dialog.h"
#include "platform/message_box.h"
#include "platform/notification_area.h"
#include "platform/tips_dialog.h"

namespace blindfold::gtk {

// "Login": the password, masked, with OK on Enter and Cancel on Esc.
class GtkLoginDialog final : public LoginDialogHost {
 public:
  explicit GtkLoginDialog(Gtk::Window& owner) : owner_(owner) {}
  void ShowModal(LoginForm& form, const std::function<void()>& onOk, const std::function<void()>& onCancel) override;
  void Hide() override;

 private:
  Gtk::Window& owner_;
  Glib::RefPtr<Glib::MainLoop> loop_;
  Gtk::Dialog* dialog_ = nullptr;
};

class GtkMessageBoxes final : public MessageBoxes {
 public:
  MessageBoxAnswer Show(const std::string& prompt, const std::string& title, MessageBoxStyle style) override;
  Gtk::Window* owner = nullptr;
};

// The acknowledgments, one at a time, with "Next" and "OK" (Enter and Esc).
class GtkTipsDialog final : public TipsDialogHost {
 public:
  explicit GtkTipsDialog(Gtk::Window& owner) : owner_(owner) {}
  void ShowModal(TipsDialogEvents& tips) override;

 private:
  Gtk::Window& owner_;
};

class GtkFileDialog final : public FileDialog {
 public:
  explicit GtkFileDialog(Gtk::Window& owner) : owner_(owner) {}
  std::string OpenFile(const std::string& filter, const std::string& defaultExtension,
                       const std::string& title) override;

 private:
  Gtk::Window& owner_;
};

// The tray menu, popped up at the pointer by the click that asked for it.
class GtkPopupMenu final : public PopupMenu {
 public:
  void SetForegroundWindow(WindowHandle) override {}
  std::optional<TrayMenuItem> Pop(const std::vector<MenuEntry>& entries) override;
};

// The end of the session: every modal dialog or menu of ours that waits for the
// user gives up as cancelled, and none opened from now on waits. Each runs a
// main loop of its own, which would otherwise keep the program from ending.
void EndModalDialogs();

// A message's line breaks, as Windows writes them, for GTK.
std::string UnixLines(const std::string& text);

}  // namespace blindfold::gtk
