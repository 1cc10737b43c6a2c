#include "platform/x11/x11_hotkey.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/texts.h"
#include "platform/linux/key_rules.h"
#include "platform/x11/grab_rules.h"
#include "platform/x11/window_rules.h"

namespace blindfold::x11 {
namespace {

struct ModifierMapTraits {
  using Handle = XModifierKeymap*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle map) { XFreeModifiermap(map); }
};

constexpr unsigned int kCombinationModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

std::optional<std::string> FileText(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// icewm's preferences, in the order it reads them: the user's override, the
// user's own, then the machine's. Its Windows-key handling is on unless one
// of them turns it off.
bool IcewmWindowsKeysOn() {
  std::vector<std::string> folders;
  if (const std::string own = Environment("ICEWM_PRIVCFG"); !own.empty()) folders.push_back(own);
  const std::string home = Environment("HOME");
  const std::string config = Environment("XDG_CONFIG_HOME");
  folders.push_back((config.empty() ? home + "/.config" : config) + "/icewm");
  if (!home.empty()) folders.push_back(home + "/.icewm");
  std::vector<std::string> files;
  for (const std::string& folder : folders) files.push_back(folder + "/prefoverride");
  for (const std::string& folder : folders) files.push_back(folder + "/preferences");
  files.insert(files.end(), {"/etc/icewm/prefoverride", "/etc/icewm/preferences", "/etc/X11/icewm/preferences",
                             "/usr/share/icewm/preferences"});
  for (const std::string& file : files) {
    const auto text = FileText(file);
    if (!text) continue;
    if (const auto setting = Win95KeysSetting(*text)) return *setting;
  }
  return true;
}

}  // namespace

X11Hotkey::X11Hotkey(X11Connection& connection) : x_(connection) {
  listener_ = x_.AddListener([this](const XEvent& event) { OnEvent(event); });
}

X11Hotkey::~X11Hotkey() {
  Release();
  x_.RemoveListener(listener_);
}

// The modifier bit a key such as NumLock or Super sits on, which differs from
// keyboard to keyboard; 0 when it sits on none.
unsigned int X11Hotkey::ModifierMaskOf(unsigned long keysym) {
  const KeyCode keycode = XKeysymToKeycode(x_.Get(), keysym);
  if (keycode == 0) return 0;
  const UniqueHandle<ModifierMapTraits> map(XGetModifierMapping(x_.Get()));
  if (!map) return 0;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < map.Get()->max_keypermod; ++i) {
      if (map.Get()->modifiermap[modifier * map.Get()->max_keypermod + i] == keycode) return 1u << modifier;
    }
  }
  return 0;
}

void X11Hotkey::Release() {
  if (!grab_) return;
  for (const unsigned int locks : LockVariants(ModifierMaskOf(XK_Num_Lock), LockMask, ModifierMaskOf(XK_Scroll_Lock))) {
    XUngrabKey(x_.Get(), grab_->keycode, grab_->modifiers | locks, x_.Root());
  }
  XFlush(x_.Get());
  grab_.reset();
  down_ = false;
}

HotkeyArmResult X11Hotkey::Arm(const HotkeyCombination& combination) {
  Release();
  const unsigned long keysym = linux_desktop::KeysymOfVirtualKey(combination.vkey);
  const KeyCode keycode = keysym == 0 ? 0 : XKeysymToKeycode(x_.Get(), keysym);
  if (keycode == 0) return {false, "this keyboard has no such key."};
  unsigned int superMask = ModifierMaskOf(XK_Super_L);
  if (superMask == 0) superMask = Mod4Mask;
  Grab grab{keycode, 0};
  if (combination.winKey) grab.modifiers |= superMask;
  if (combination.ctrlKey) grab.modifiers |= ControlMask;
  if (combination.altKey) grab.modifiers |= Mod1Mask;
  if (combination.shiftKey) grab.modifiers |= ShiftMask;

  const auto variants = LockVariants(ModifierMaskOf(XK_Num_Lock), LockMask, ModifierMaskOf(XK_Scroll_Lock));
  // Another program's grab of any variant is answered with BadAccess; the
  // variants already taken are given back then.
  const int error = x_.Trap([&] {
    for (const unsigned int locks : variants) {
      XGrabKey(x_.Get(), grab.keycode, grab.modifiers | locks, x_.Root(), False, GrabModeAsync, GrabModeAsync);
    }
  });
  grab_ = grab;
  // The grab holds, but no press of the combination ever reaches it: the user
  // learns why here rather than from letters typed into their window.
  if (error == Success && combination.winKey && DesktopTakesWindowsKey()) {
    log::Warning("hotkey", "icewm's Win95Keys is on: it takes every WinKey combination before Blindfold");
    return {false, std::string(texts::kHotkeyTakenByIcewm)};
  }
  if (error == Success) return {true, ""};
  Release();
  if (error == BadAccess) return {false, std::string(texts::kHotkeyTakenOnX11)};
  return {false, texts::HotkeyRefusedByX11(error)};
}

bool X11Hotkey::DesktopTakesWindowsKey() {
  return x_.WindowManagerName().starts_with("IceWM") && IcewmWindowsKeysOn();
}

// Holding the keys down repeats presses alone (detectable auto-repeat is on),
// so a press counts only after a release.
void X11Hotkey::OnEvent(const XEvent& event) {
  if (!grab_ || (event.type != KeyPress && event.type != KeyRelease)) return;
  if (event.xkey.keycode != static_cast<unsigned int>(grab_->keycode)) return;
  if (event.type == KeyRelease) {
    down_ = false;
    return;
  }
  if ((event.xkey.state & kCombinationModifiers) != (grab_->modifiers & kCombinationModifiers)) return;
  if (down_) return;
  down_ = true;
  if (onPressed_) onPressed_();
}

}  // namespace blindfold::x11
