// The smallest GTK program with a window, built as Blindfold is: what the
// whole-program benchmark weighs Blindfold's start-up and memory against.
#include <gtkmm.h>

int main(int argc, char** argv) {
  Gtk::Main kit(argc, argv);
  Gtk::Window window;
  window.set_title("Minimal");
  Gtk::Label label("A window with a label");
  window.add(label);
  window.show_all();
  Gtk::Main::run(window);
  return 0;
}
