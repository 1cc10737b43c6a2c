#pragma once

#include <gtkmm.h>

#include <functional>
#include <optional>

#include "platform/linux/glib_handles.h"
#include "platform/notification_area.h"

namespace blindfold::gtk {

class GtkPanel;

// The tray icon as an XEmbed status icon. The icon goes into whichever tray
// host starts next by itself, so no "taskbar created" news is needed.
class GtkNotificationArea final : public NotificationArea {
 public:
  explicit GtkNotificationArea(GtkPanel& panel) : panel_(panel) {}
  GtkNotificationArea(const GtkNotificationArea&) = delete;
  GtkNotificationArea& operator=(const GtkNotificationArea&) = delete;
  ~GtkNotificationArea() override;
  bool AddIcon(const TrayIcon& icon) override;
  bool DeleteIcon(const TrayIcon& icon) override;
  // An XEmbed tray has no balloons; the panel's own line carries the news.
  bool ShowBalloon(const TrayIcon&, const std::string&, const std::string&) override { return false; }
  void StartReporting(WindowHandle, TrayEvents& events) override { events_ = &events; }
  void StopReporting() override { events_ = nullptr; }

 private:
  void CreateIcon();
  void ShowIcon();
  // Only while the icon is lost and meant to be shown.
  void RemakeIcon();
  // The icon is given up for good: its window went with a tray host that died,
  // and the status icon still points at it, so it is never touched again.
  void AbandonIcon();
  bool OnButton(GdkEventButton* event);

  GtkPanel& panel_;
  TrayEvents* events_ = nullptr;
  Glib::RefPtr<Gtk::StatusIcon> icon_;
  // The window GTK draws the icon in (a plug of its own), until it is destroyed.
  GtkWidget* plug_ = nullptr;
  std::string tip_;
  // How long a tray host may hold the tray without taking the icon back
  // before the icon counts as lost with the host before it.
  static constexpr int kSecondsToTakeItBack = 2;
  sigc::connection remake_;
  int hostSeen_ = 0;
  std::optional<guint32> pressTime_;
  unsigned int pressButton_ = 0;
};

// The gesture of a button event: the left, right and middle button's press,
// release and double click; nothing for other buttons.
std::optional<TrayGesture> GestureOf(GdkEventType type, unsigned int button);

}  // namespace blindfold::gtk
