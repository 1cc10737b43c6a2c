#include "platform/gtk/gtk_password_box.h"

#include <glibmm/main.h>

#include "platform/gtk/callback_edge.h"

namespace blindfold::gtk {
namespace {

// Whether an entry holds a text the user may replace but never edit: the
// stored password's key.
constexpr char kReplacedOnEdit[] = "blindfold-replaced-on-edit";

}  // namespace

void MarkReplacedOnEdit(Gtk::Entry& entry, bool replaced) {
  g_object_set_data(G_OBJECT(entry.gobj()), kReplacedOnEdit, GINT_TO_POINTER(replaced ? 1 : 0));
}

bool ReplacedOnEdit(Gtk::Entry& entry) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(entry.gobj()), kReplacedOnEdit)) != 0;
}

// The first edit of an entry that is replaced on edit empties it first, and
// focusing it by a click selects all of it, as the keyboard's focus does: an
// edit that kept any of the stored key would make a password nobody knows.
// The emptying is told at once: inside a paste, GTK tells of one change only,
// from the key straight to the pasted text.
void ReplaceOnFirstEdit(Gtk::Entry& entry, const std::function<void()>& emptied) {
  const auto startAfresh = [&entry, emptied] {
    if (!ReplacedOnEdit(entry)) return false;
    MarkReplacedOnEdit(entry, false);
    entry.set_text("");
    emptied();
    return true;
  };
  entry.signal_insert_text().connect(
      [startAfresh](const Glib::ustring&, int* position) {
        AtTheEdge("the password box's edit", [&] {
          if (startAfresh()) *position = 0;
        });
      },
      false);
  entry.signal_delete_text().connect(
      [&entry, startAfresh](int, int) {
        AtTheEdge("the password box's edit", [&] {
          if (startAfresh()) g_signal_stop_emission_by_name(entry.gobj(), "delete-text");
        });
      },
      false);
  // After the click has placed the cursor, which the entry does on release.
  entry.signal_button_release_event().connect(
      [&entry](GdkEventButton*) {
        AtTheEdge("the password box's click", [&] {
          if (ReplacedOnEdit(entry)) {
            Glib::signal_idle().connect_once(sigc::bind(sigc::mem_fun(entry, &Gtk::Entry::select_region), 0, -1));
          }
        });
        return false;
      },
      false);
}

}  // namespace blindfold::gtk
