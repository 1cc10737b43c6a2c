#include "platform/x11/x11_connection.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <atomic>

#include "core/log.h"
#include "core/scope_guard.h"

namespace blindfold::x11 {
namespace {

// Xlib has one error handler for the whole process; the code of the first
// error is kept for the Trap in progress, which expects errors on `trapped`.
std::atomic<int> lastErrorCode{Success};
std::atomic<Display*> trapped{nullptr};
// The handler a Trap put ours in front of (GTK's, once it has opened its
// display), which the errors of other displays still go to.
std::atomic<XErrorHandler> outerHandler{nullptr};

int RecordError(Display* display, XErrorEvent* error) {
  if (display == trapped.load()) {
    int expected = Success;
    lastErrorCode.compare_exchange_strong(expected, error->error_code);
    return 0;
  }
  if (const XErrorHandler outer = outerHandler.load(); trapped.load() && outer && outer != RecordError) {
    return outer(display, error);
  }
  // Never fatal, but worth a line: a request that failed where nothing
  // looked for a failure.
  log::Warning("x11", "an X error no request expected: error ", static_cast<int>(error->error_code), " of request ",
               static_cast<int>(error->request_code), ".", static_cast<int>(error->minor_code), " on 0x", std::hex,
               error->resourceid);
  return 0;
}

}  // namespace

std::unique_ptr<X11Connection> X11Connection::Open(const std::string& name) {
  UniqueDisplay display(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
  if (!display) return nullptr;
  XSetErrorHandler(RecordError);
  // A held key repeats as presses alone, without releases in between, so a
  // hotkey can tell a repeat from a new press.
  XkbSetDetectableAutoRepeat(display.Get(), True, nullptr);
  return std::unique_ptr<X11Connection>(new X11Connection(std::move(display)));
}

X11Connection::X11Connection(UniqueDisplay display) : display_(std::move(display)) {}

X11Connection::~X11Connection() = default;

std::string X11Connection::Name() const { return DisplayString(display_.Get()); }

Atom X11Connection::Intern(const char* name) {
  auto known = atoms_.find(name);
  if (known == atoms_.end()) known = atoms_.emplace(name, XInternAtom(display_.Get(), name, False)).first;
  return known->second;
}

// Xlib's handler is the process's, and GTK puts its own in place once it
// opens its display: ours is put back for the trap alone, or a refusal (a key
// combination another program holds) would never reach it. The handler before
// it comes back however the trap ends.
int X11Connection::Trap(const std::function<void()>& requests) {
  XSync(display_.Get(), False);
  const XErrorHandler previous = XSetErrorHandler(RecordError);
  const XErrorHandler outerBefore = outerHandler.exchange(previous);
  Display* const trappedBefore = trapped.exchange(display_.Get());
  const ScopeExit restore([=] {
    trapped = trappedBefore;
    outerHandler = outerBefore;
    XSetErrorHandler(previous);
  });
  lastErrorCode = Success;
  requests();
  XSync(display_.Get(), False);
  return lastErrorCode.exchange(Success);
}

std::optional<Property> X11Connection::ReadProperty(::Window window, Atom property, Atom type) {
  // Long enough for any title or client list in one round trip; longer ones
  // are read in full by asking again with the size now known.
  long wanted = 4096;
  for (;;) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display_.Get(), window, property, 0, wanted, False, type, &actualType,
                                          &format, &count, &remaining, &data);
    if (status != Success) return std::nullopt;
    struct XFreeTraits {
      using Handle = unsigned char*;
      static Handle Invalid() { return nullptr; }
      static void Close(Handle bytes) { XFree(bytes); }
    };
    const UniqueHandle<XFreeTraits> owned(data);
    if (actualType == None || (type != AnyPropertyType && actualType != type)) return std::nullopt;
    if (remaining > 0) {
      wanted += static_cast<long>((remaining + 3) / 4);
      continue;
    }
    Property result{actualType, format, {}, {}};
    if (format == 8) {
      result.bytes.assign(data, data + count);
    } else if (format == 16) {
      const auto* items = reinterpret_cast<const short*>(data);
      for (unsigned long i = 0; i < count; ++i) result.numbers.push_back(static_cast<unsigned short>(items[i]));
    } else if (format == 32) {
      // Xlib widens the server's 32-bit items into longs with their sign, so
      // 0xFFFFFFFF (every desktop) would come back as -1.
      const auto* items = reinterpret_cast<const unsigned long*>(data);
      for (unsigned long i = 0; i < count; ++i) result.numbers.push_back(items[i] & 0xFFFFFFFFul);
    }
    return result;
  }
}

void X11Connection::DispatchPending() {
  while (XPending(display_.Get()) > 0) {
    XEvent event;
    XNextEvent(display_.Get(), &event);
    // A listener may remove itself while it runs.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener(event);
  }
}

int X11Connection::AddListener(EventListener listener) {
  listeners_.emplace(nextListener_, std::move(listener));
  return nextListener_++;
}

void X11Connection::RemoveListener(int id) { listeners_.erase(id); }

// The window manager names itself on the window it keeps for that.
std::string X11Connection::WindowManagerName() {
  const auto check = ReadProperty(Root(), Intern("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW);
  if (!check || check->numbers.empty()) return {};
  const auto name = ReadProperty(static_cast<::Window>(check->numbers[0]), Intern("_NET_WM_NAME"));
  if (!name || name->format != 8) return {};
  return std::string(name->bytes.begin(), name->bytes.end());
}

}  // namespace blindfold::x11
