#pragma once

#include <gtkmm/entry.h>

#include <functional>

namespace blindfold::gtk {

// An entry holds a text the user may replace but never edit: the stored
// password's key.
void MarkReplacedOnEdit(Gtk::Entry& entry, bool replaced);
bool ReplacedOnEdit(Gtk::Entry& entry);

// The first edit of an entry that is replaced on edit empties it first, and
// focusing it by a click selects all of it; `emptied` is told of the emptying.
void ReplaceOnFirstEdit(Gtk::Entry& entry, const std::function<void()>& emptied);

}  // namespace blindfold::gtk
