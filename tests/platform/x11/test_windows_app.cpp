// Another program's windows for the X11 tests. Each argument makes one
// top-level window:
//   title|class        a window titled with _NET_WM_NAME (UTF-8) and WM_NAME
//   title|class|latin1 titled with WM_NAME alone, as Latin-1
//   title|class|owned  owned by the first window (WM_TRANSIENT_FOR)
//   title|class|desktop a desktop window (_NET_WM_WINDOW_TYPE_DESKTOP)
//   title|class|dock   a second panel (_NET_WM_WINDOW_TYPE_DOCK)
//   title|class|popup  a pop-up (override-redirect), not mapped until told
//   title||menu        an open menu: a pop-up mapped at once, which states
//                      neither class nor process, as many programs' menus
//   title|class|later  a window the program opens later: not mapped until told
// The windows' ids are written one a line once all are mapped; the program
// ends when its standard input closes. Lines on its input make it hostile:
//   map N        maps window N (from 0) again, whoever hid it
//   withdraw N   withdraws window N itself
//   mark N       writes Blindfold's mark on window N, listing the window
//                itself as hidden with it
//   copy N ID    copies Blindfold's mark and its seal from the window ID
//                (another program's) onto window N
//   grab KEY     holds Super+KEY (a keysym name) on the root window
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
    parts.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Utf8ToLatin1(const std::string& utf8) {
  std::string latin1;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte >= 0xC0 && i + 1 < utf8.size()) {
      latin1 += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      latin1 += static_cast<char>(byte);
    }
  }
  return latin1;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  const Window root = DefaultRootWindow(display);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const long pid = getpid();
  std::vector<Window> windows;
  for (int i = 1; i < argc; ++i) {
    const auto parts = Split(argv[i]);
    const std::string& title = parts[0];
    const std::string className = parts.size() > 1 ? parts[1] : "TestWindow";
    const std::string kind = parts.size() > 2 ? parts[2] : "";
    const int offset = 40 * static_cast<int>(windows.size());
    const Window window = XCreateSimpleWindow(display, root, 100 + offset, 80 + offset, 300, 200, 0, 0, 0xFFFFFF);
    const bool menu = kind == "menu";
    if (kind == "popup" || menu) {
      XSetWindowAttributes popup{};
      popup.override_redirect = True;
      XChangeWindowAttributes(display, window, CWOverrideRedirect, &popup);
    }
    if (kind == "latin1") {
      const std::string latin1 = Utf8ToLatin1(title);
      XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
    } else {
      XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
      XStoreName(display, window, "fallback title");
    }
    if (!menu) {
      std::string wmClass = "instance";
      wmClass += '\0';
      wmClass += className;
      wmClass += '\0';
      XChangeProperty(display, window, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(wmClass.data()), static_cast<int>(wmClass.size()));
      XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&pid), 1);
    }
    if (kind == "owned" && !windows.empty()) XSetTransientForHint(display, window, windows.front());
    if (kind == "desktop" || kind == "dock") {
      const Atom type = XInternAtom(display, kind == "dock" ? "_NET_WM_WINDOW_TYPE_DOCK" : "_NET_WM_WINDOW_TYPE_DESKTOP",
                                    False);
      XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
    }
    if (kind != "popup" && kind != "later") XMapWindow(display, window);
    windows.push_back(window);
  }
  XSync(display, False);
  for (const Window window : windows) std::printf("%lu\n", window);
  std::fflush(stdout);

  pollfd watched[2] = {{0, POLLIN, 0}, {ConnectionNumber(display), POLLIN, 0}};
  std::string input;
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
    if (poll(watched, 2, -1) < 0) break;
    if (watched[0].revents) {
      char byte;
      if (read(0, &byte, 1) <= 0) break;
      if (byte != '\n') {
        input += byte;
        continue;
      }
      std::istringstream command(input);
      input.clear();
      std::string verb;
      std::string argument;
      std::string from;
      command >> verb >> argument >> from;
      if (verb == "grab") {
        XGrabKey(display, XKeysymToKeycode(display, XStringToKeysym(argument.c_str())), Mod4Mask, root, False,
                 GrabModeAsync, GrabModeAsync);
      } else if (const std::size_t i = std::strtoul(argument.c_str(), nullptr, 10); i < windows.size()) {
        const Window window = windows[i];
        if (verb == "map") XMapWindow(display, window);
        if (verb == "withdraw") XWithdrawWindow(display, window, DefaultScreen(display));
        if (verb == "copy") {
          const Window source = std::strtoul(from.c_str(), nullptr, 0);
          for (const char* name : {"_BLINDFOLD_PLACEMENT", "_BLINDFOLD_SEAL"}) {
            const Atom property = XInternAtom(display, name, False);
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, source, property, 0, 1024, False, XA_CARDINAL, &type, &format, &count,
                                   &after, &data) == Success &&
                data) {
              XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace, data,
                              static_cast<int>(count));
              XFree(data);
            }
          }
        }
        if (verb == "mark") {
          // version, flags, desktop, x, y, width, height, no states, one window in the group: itself
          const long mark[] = {1, 0, 0, 100, 80, 300, 200, 0, 1, static_cast<long>(window)};
          XChangeProperty(display, window, XInternAtom(display, "_BLINDFOLD_PLACEMENT", False), XA_CARDINAL, 32,
                          PropModeReplace, reinterpret_cast<const unsigned char*>(mark), 10);
        }
      }
      XSync(display, False);
      std::printf("done %s\n", verb.c_str());
      std::fflush(stdout);
    }
  }
  XCloseDisplay(display);
  return 0;
}
