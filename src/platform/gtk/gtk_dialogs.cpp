#include "platform/gtk/gtk_dialogs.h"

#include <functional>
#include <vector>

#include "core/scope_guard.h"
#include "core/unique_handle.h"
#include "platform/gtk/callback_edge.h"
#include "platform/linux/glib_handles.h"
#include "platform/gtk/gtk_panel.h"

namespace blindfold::gtk {
namespace {

bool modalsEnded = false;
// What ends each modal loop now running, innermost last.
std::vector<std::function<void()>*> modalEnders;

// A modal loop's way out, known while the loop runs.
class ModalScope {
 public:
  explicit ModalScope(std::function<void()> end) : end_(std::move(end)) { modalEnders.push_back(&end_); }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
  ~ModalScope() { std::erase(modalEnders, &end_); }

 private:
  std::function<void()> end_;
};

}  // namespace

void EndModalDialogs() {
  modalsEnded = true;
  // Innermost first; an ender may end the loops around it too, which then
  // leave the list.
  while (!modalEnders.empty()) {
    std::function<void()>* const end = modalEnders.back();
    modalEnders.pop_back();
    (*end)();
  }
}

std::string UnixLines(const std::string& text) {
  std::string lines;
  for (const char c : text) {
    if (c != '\r') lines += c;
  }
  return lines;
}

void GtkLoginDialog::ShowModal(LoginForm& form, const std::function<void()>& onOk,
                               const std::function<void()>& onCancel) {
  // Not given, as the logic reads a dialog that never answered.
  if (modalsEnded) return;
  Gtk::Dialog dialog("Login", owner_, true);
  dialog.set_resizable(false);
  dialog.set_keep_above(true);
  Gtk::Box row(Gtk::ORIENTATION_HORIZONTAL, 8);
  Gtk::Label label(Mnemonic("&Password:"), true);
  Gtk::Entry entry;
  entry.set_visibility(false);
  entry.set_max_length(static_cast<int>(kPasswordMaxChars));
  entry.set_activates_default(true);
  label.set_mnemonic_widget(entry);
  // GTK relates the two for a screen reader, but leaves the box unnamed.
  if (auto accessible = entry.get_accessible()) accessible->set_name(label.get_text());
  row.pack_start(label, false, false);
  row.pack_start(entry, true, true);
  row.set_border_width(8);
  dialog.get_content_area()->pack_start(row);
  // GNOME's order: the answer that goes ahead last, at the right, and Enter's.
  dialog.add_button("Cancel", Gtk::RESPONSE_CANCEL);
  dialog.add_button("OK", Gtk::RESPONSE_OK);
  dialog.set_default_response(Gtk::RESPONSE_OK);
  dialog.signal_response().connect([&](int response) {
    AtTheEdge("the Login dialog's answer", [&] {
      if (response == Gtk::RESPONSE_OK) {
        // Straight from the entry's buffer, which wipes what it lets go of: a
        // copy on the way would leave the password in memory.
        form.txtPassword.assign(gtk_entry_get_text(entry.gobj()));
        entry.set_text("");
        onOk();
      } else {
        // The close box and Esc cancel too; the dialog stays until the logic hides it.
        onCancel();
      }
    });
  });
  dialog.show_all();
  // Asked for by a hotkey, it must come to the front to be typed into.
  dialog.present();
  entry.grab_focus();
  const auto shown = HoldWhile(dialog_, &dialog);
  const auto running = HoldWhile(loop_, Glib::MainLoop::create());
  const ModalScope scope([this] { Hide(); });
  loop_->run();
}

void GtkLoginDialog::Hide() {
  if (dialog_) dialog_->hide();
  if (loop_) loop_->quit();
}

MessageBoxAnswer GtkMessageBoxes::Show(const std::string& prompt, const std::string& title, MessageBoxStyle style) {
  const bool question = style == MessageBoxStyle::WarningYesNo;
  if (modalsEnded) return question ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
  const Gtk::MessageType type = style == MessageBoxStyle::Ok ? Gtk::MESSAGE_INFO : Gtk::MESSAGE_WARNING;
  const Gtk::ButtonsType buttons = question ? Gtk::BUTTONS_YES_NO : Gtk::BUTTONS_OK;
  std::unique_ptr<Gtk::MessageDialog> dialog;
  if (owner && owner->get_visible()) {
    dialog = std::make_unique<Gtk::MessageDialog>(*owner, UnixLines(prompt), false, type, buttons, true);
  } else {
    dialog = std::make_unique<Gtk::MessageDialog>(UnixLines(prompt), false, type, buttons, true);
  }
  dialog->set_title(title);
  dialog->set_keep_above(true);
  // GTK puts No before Yes itself; Enter answers as the first button of a
  // Windows message box does.
  dialog->set_default_response(question ? Gtk::RESPONSE_YES : Gtk::RESPONSE_OK);
  const ModalScope scope([&dialog] { dialog->response(Gtk::RESPONSE_DELETE_EVENT); });
  const int response = dialog->run();
  if (!question) return MessageBoxAnswer::Ok;
  return response == Gtk::RESPONSE_YES ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
}

void GtkTipsDialog::ShowModal(TipsDialogEvents& tips) {
  if (modalsEnded) return;
  const TipsDialogContent content = tips.Content();
  Gtk::Dialog dialog(content.caption, owner_, true);
  dialog.set_default_size(420, 220);
  Gtk::Box box(Gtk::ORIENTATION_VERTICAL, 8);
  box.set_border_width(12);
  Gtk::Label heading;
  heading.set_markup("<b>" + Glib::Markup::escape_text(content.heading) + "</b>");
  heading.set_xalign(0);
  Gtk::Label text(content.text);
  text.set_xalign(0);
  text.set_yalign(0);
  text.set_line_wrap(true);
  text.set_selectable(true);
  box.pack_start(heading, false, false);
  box.pack_start(text, true, true);
  dialog.get_content_area()->pack_start(box, true, true);
  constexpr int kNext = 1;
  dialog.add_button(Mnemonic("&Next"), kNext);
  dialog.add_button("OK", Gtk::RESPONSE_OK);
  dialog.set_default_response(Gtk::RESPONSE_OK);
  dialog.show_all();
  const ModalScope scope([&dialog] { dialog.response(Gtk::RESPONSE_DELETE_EVENT); });
  // "OK" answers both Enter and Esc; "Next" only its own click.
  while (!tips.Closed() && !modalsEnded) {
    const int response = dialog.run();
    if (modalsEnded) break;
    if (response == kNext) {
      tips.NextClicked();
    } else {
      tips.OkClicked();
    }
    text.set_text(tips.Content().text);
  }
}

std::string GtkFileDialog::OpenFile(const std::string& filter, const std::string&, const std::string& title) {
  if (modalsEnded) return {};
  Gtk::FileChooserDialog dialog(owner_, title, Gtk::FILE_CHOOSER_ACTION_OPEN);
  dialog.add_button(Mnemonic("&Cancel"), Gtk::RESPONSE_CANCEL);
  dialog.add_button(Mnemonic("&Open"), Gtk::RESPONSE_OK);
  dialog.set_default_response(Gtk::RESPONSE_OK);
  // In a folder, not among the recent files, where GTK hands the keys typed
  // into the box for a name (Ctrl+L) to a box it has not drawn yet, and tells
  // of it on standard error.
  dialog.set_current_folder(Glib::get_home_dir());
  // The filter's "name|patterns" pairs, the patterns separated by ";", as
  // Windows' file dialog takes them.
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find('|', start);
    if (bar == std::string::npos) break;
    const std::size_t end = std::min(filter.find('|', bar + 1), filter.size());
    auto pictures = Gtk::FileFilter::create();
    pictures->set_name(filter.substr(start, bar - start));
    for (std::size_t pattern = bar + 1; pattern < end;) {
      const std::size_t semicolon = std::min(filter.find(';', pattern), end);
      pictures->add_pattern(filter.substr(pattern, semicolon - pattern));
      pattern = semicolon + 1;
    }
    dialog.add_filter(pictures);
    start = end + 1;
  }
  const ModalScope scope([&dialog] { dialog.response(Gtk::RESPONSE_CANCEL); });
  if (dialog.run() != Gtk::RESPONSE_OK || modalsEnded) return {};
  return dialog.get_filename();
}

std::optional<TrayMenuItem> GtkPopupMenu::Pop(const std::vector<MenuEntry>& entries) {
  if (modalsEnded) return std::nullopt;
  Gtk::Menu menu;
  std::optional<TrayMenuItem> chosen;
  for (const MenuEntry& entry : entries) {
    if (entry.item == TrayMenuItem::Separator) {
      menu.append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
      continue;
    }
    auto* item = Gtk::make_managed<Gtk::MenuItem>(Mnemonic(entry.caption), true);
    item->set_sensitive(entry.enabled);
    item->signal_activate().connect([&chosen, which = entry.item] { chosen = which; });
    menu.append(*item);
  }
  menu.show_all();
  auto loop = Glib::MainLoop::create();
  // The chosen item is activated just after the menu closes.
  menu.signal_deactivate().connect([loop] { Glib::signal_idle().connect_once([loop] { loop->quit(); }); });
  const UniqueHandle<linux_desktop::GlibTraits<GdkEvent, gdk_event_free>> trigger(gtk_get_current_event());
  menu.popup_at_pointer(trigger.Get());
  if (!menu.get_visible()) return std::nullopt;
  const ModalScope scope([loop] { loop->quit(); });
  loop->run();
  return modalsEnded ? std::nullopt : chosen;
}

}  // namespace blindfold::gtk
