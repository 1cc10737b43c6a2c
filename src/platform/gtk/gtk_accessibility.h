#pragma once

#include <gtkmm/widget.h>

#include <string>

namespace blindfold::gtk {

// The name a screen reader reads for `widget`.
void NameForReaders(Gtk::Widget& widget, const std::string& name);

// The accessibility bridge keeps the accessibles of widgets it has told a
// screen reader of after the widgets have gone (a dialog's, a menu's, a file
// chooser's), and GTK answers for many of them (labels, entries) with no state
// at all, which the bridge hands on to GLib as an object: each question of a
// screen reader then ends in errors on standard error. Once called, every
// accessible answers with at least "defunct", as those of the other widgets
// that have gone do.
void LetGoneWidgetsAnswerAsDefunct();

}  // namespace blindfold::gtk
