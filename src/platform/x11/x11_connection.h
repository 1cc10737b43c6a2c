#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/unique_handle.h"

namespace blindfold::x11 {

struct DisplayTraits {
  using Handle = Display*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle display) { XCloseDisplay(display); }
};
using UniqueDisplay = UniqueHandle<DisplayTraits>;

// A window property as the server holds it: its type, its format (8, 16 or 32)
// and its items. Xlib hands 32-bit items over as longs, so they are kept as such.
struct Property {
  Atom type = None;
  int format = 0;
  std::vector<unsigned char> bytes;       // format 8
  std::vector<unsigned long> numbers;     // format 16 and 32
};

// The one connection to the X server, shared by every X11 part of the program.
// Other programs' windows come and go at any moment, so an X error is expected
// traffic here: never fatal (Xlib's default would end the program on the first
// window that vanished under a request), recorded for the Trap that expects
// it, and logged where nothing did.
class X11Connection {
 public:
  // Connects to `name`, or to $DISPLAY when empty; nothing when no X server
  // answers (a pure Wayland session, or no display at all).
  static std::unique_ptr<X11Connection> Open(const std::string& name = {});

  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;
  ~X11Connection();

  Display* Get() const { return display_.Get(); }
  ::Window Root() const { return DefaultRootWindow(display_.Get()); }
  int Screen() const { return DefaultScreen(display_.Get()); }
  // The display's name as "host:number", which names per-display files.
  std::string Name() const;
  int Fd() const { return ConnectionNumber(display_.Get()); }

  // Atoms are asked for once; each ask is a round trip.
  Atom Intern(const char* name);

  // Runs `requests` and waits for the server to have handled them; the code of
  // the first X error they raised, Success when none.
  int Trap(const std::function<void()>& requests);

  // One property of a window; nothing when the window or the property is
  // missing. `type` AnyPropertyType takes whatever is stored.
  std::optional<Property> ReadProperty(::Window window, Atom property, Atom type = AnyPropertyType);
  // The name the window manager gives itself ("Openbox", "IceWM 3.3.1", …);
  // empty when none runs or it says nothing.
  std::string WindowManagerName();

  // Reads whatever events have arrived and hands each to the listeners; never
  // blocks. The program's main loop calls it when Fd() becomes readable.
  void DispatchPending();
  using EventListener = std::function<void(const XEvent&)>;
  // Returns an id for RemoveListener.
  int AddListener(EventListener listener);
  void RemoveListener(int id);

 private:
  explicit X11Connection(UniqueDisplay display);

  UniqueDisplay display_;
  std::unordered_map<std::string, Atom> atoms_;
  std::unordered_map<int, EventListener> listeners_;
  int nextListener_ = 1;
};

}  // namespace blindfold::x11
