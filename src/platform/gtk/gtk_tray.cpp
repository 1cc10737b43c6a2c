#include "platform/gtk/gtk_tray.h"

#include "platform/gtk/callback_edge.h"
#include "platform/linux/glib_handles.h"
#include "platform/gtk/gtk_icon.h"
#include "platform/gtk/gtk_panel.h"
// Xlib last: its None macro breaks the headers above.
#include <gtk/gtkx.h>
#include <gdk/gdkx.h>

namespace blindfold::gtk {

using linux_desktop::UniqueList;
namespace {

// Whether a tray host holds the screen's tray now.
bool TrayHostPresent() {
  GdkDisplay* display = gdk_display_get_default();
  Display* xDisplay = GDK_DISPLAY_XDISPLAY(display);
  const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(xDisplay));
  return XGetSelectionOwner(xDisplay, XInternAtom(xDisplay, selection.c_str(), False)) != None;
}

}  // namespace

std::optional<TrayGesture> GestureOf(GdkEventType type, unsigned int button) {
  const auto pick = [type](TrayGesture down, TrayGesture up, TrayGesture twice) -> std::optional<TrayGesture> {
    switch (type) {
      case GDK_BUTTON_PRESS: return down;
      case GDK_BUTTON_RELEASE: return up;
      case GDK_2BUTTON_PRESS: return twice;
      default: return std::nullopt;
    }
  };
  switch (button) {
    case 1: return pick(TrayGesture::LeftDown, TrayGesture::LeftUp, TrayGesture::LeftDoubleClick);
    case 3: return pick(TrayGesture::RightDown, TrayGesture::RightUp, TrayGesture::RightDoubleClick);
    case 2: return pick(TrayGesture::MiddleDown, TrayGesture::MiddleUp, TrayGesture::MiddleDoubleClick);
    default: return std::nullopt;
  }
}

GtkNotificationArea::~GtkNotificationArea() {
  remake_.disconnect();
  if (plug_) g_signal_handlers_disconnect_by_data(plug_, this);
}

bool GtkNotificationArea::AddIcon(const TrayIcon& icon) {
  if (!icon.window) return false;
  tip_ = icon.tip;
  if (icon_ && !plug_) AbandonIcon();
  if (!icon_) {
    CreateIcon();
  } else if (auto picture = panel_.Icon(icon_->get_size())) {
    icon_->set(picture);
  }
  ShowIcon();
  return true;
}

void GtkNotificationArea::ShowIcon() {
  icon_->set_tooltip_text(tip_);
  icon_->set_title(tip_);
  icon_->set_visible(true);
}

// GTK draws the icon in a toplevel window of its own, made with the icon. A
// tray host killed takes that window down, and GTK destroys the widget while
// the status icon keeps pointing at it: asking the icon anything that reaches
// the widget then (whether it is embedded, to hide it) is an error GTK
// reports on standard error. So the widget is followed to its end.
void GtkNotificationArea::CreateIcon() {
  const UniqueList before(gtk_window_list_toplevels());
  icon_ = panel_.Icon() ? Gtk::StatusIcon::create(panel_.Icon()) : Gtk::StatusIcon::create(kProgramIconName);
  const UniqueList after(gtk_window_list_toplevels());
  plug_ = nullptr;
  for (GList* item = after.Get(); item; item = item->next) {
    if (GTK_IS_PLUG(item->data) && !g_list_find(before.Get(), item->data)) plug_ = GTK_WIDGET(item->data);
  }
  if (plug_) {
    // Nothing here throws: a pointer let go of.
    g_signal_connect(plug_, "destroy", G_CALLBACK(+[](GtkWidget* plug, gpointer self) {
                       auto* area = static_cast<GtkNotificationArea*>(self);
                       if (area->plug_ == plug) area->plug_ = nullptr;
                     }),
                     this);
  }
  // Drawn afresh for the tray's size, from the icon file's picture that suits it.
  icon_->signal_size_changed().connect(
      [this](int size) {
        AtTheEdge("the tray's size", [&] {
          if (auto picture = panel_.Icon(size)) icon_->set(picture);
        });
        return true;
      },
      false);
  const auto onButton = [this](GdkEventButton* event) {
    return AtTheEdge("the tray icon's click", true, [&] { return OnButton(event); });
  };
  icon_->signal_button_press_event().connect(onButton);
  icon_->signal_button_release_event().connect(onButton);
  GtkStatusIcon* const made = icon_->gobj();
  icon_->property_embedded().signal_changed().connect([this, made] {
    AtTheEdge("the tray icon's embedding", [&] {
      if (icon_->gobj() != made || (plug_ && icon_->is_embedded()) || !icon_->get_visible() || remake_.connected()) {
        return;
      }
      hostSeen_ = 0;
      remake_ = Glib::signal_timeout().connect_seconds(
          [this] {
            return AtTheEdge("the tray icon's way back", false, [&] {
              if (!icon_ || (plug_ && icon_->is_embedded()) || !icon_->get_visible()) return false;
              if (!TrayHostPresent()) return true;
              if (++hostSeen_ < kSecondsToTakeItBack) return true;
              RemakeIcon();
              return false;
            });
          },
          1);
    });
  });
}

// A tray host that dies without letting go of the icon (killed, or crashed)
// destroys the icon's window, and GTK the widget drawn in it, while the status
// icon still points at it: offered to the next host, or even released, it
// would take Blindfold down. A host that ends cleanly lets go of the icon,
// which GTK offers to the next host by itself, within a moment. So once a
// host is there again and has not taken the icon back, the icon is given up:
// never touched again (kept, never released), and a new one takes its place.
void GtkNotificationArea::RemakeIcon() {
  AbandonIcon();
  CreateIcon();
  ShowIcon();
}

void GtkNotificationArea::AbandonIcon() {
  static auto* const abandoned = new std::vector<Glib::RefPtr<Gtk::StatusIcon>>;
  if (plug_) g_signal_handlers_disconnect_by_data(plug_, this);
  plug_ = nullptr;
  abandoned->push_back(std::move(icon_));
}

bool GtkNotificationArea::DeleteIcon(const TrayIcon& icon) {
  if (!icon.window || !icon_ || !icon_->get_visible()) return false;
  // Its window gone, the icon is shown nowhere: it is given up, and the next
  // one shown is made anew.
  if (!plug_) {
    AbandonIcon();
    return true;
  }
  icon_->set_visible(false);
  return true;
}

// Double clicks are told apart here, as Windows tells them: a press soon
// after the same button's last single press is the double click, in place of
// that press, and the press after it starts afresh. GDK's own double and
// triple presses count differently, so a quick second double click would be
// lost.
bool GtkNotificationArea::OnButton(GdkEventButton* event) {
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return true;
  GdkEventType type = event->type;
  if (type == GDK_BUTTON_PRESS) {
    const auto doubleClickTime =
        static_cast<guint32>(Gtk::Settings::get_default()->property_gtk_double_click_time().get_value());
    const bool second = pressTime_ && event->button == pressButton_ && event->time - *pressTime_ <= doubleClickTime;
    pressTime_ = second ? std::nullopt : std::optional(event->time);
    pressButton_ = event->button;
    if (second) type = GDK_2BUTTON_PRESS;
  }
  const auto gesture = GestureOf(type, event->button);
  if (gesture && events_) events_->Gestured(*gesture);
  return true;
}

}  // namespace blindfold::gtk
