#pragma once

#include <gio/gio.h>

#include <string>

#include "platform/linux/glib_handles.h"
#include "platform/notification_area.h"

namespace blindfold::gtk {

class GtkPanel;

// The tray icon as a StatusNotifierItem on the session bus, where a Wayland
// desktop keeps its tray (KDE Plasma's, swaybar's): the host draws the icon
// and reports its use. Activation comes as a left click, the secondary
// activation as a middle click and the request for a context menu as a right
// click; the protocol carries no double clicks. Without a host the icon is not
// added, and is added as soon as a host comes.
class StatusNotifierArea final : public NotificationArea {
 public:
  explicit StatusNotifierArea(GtkPanel& panel) : panel_(panel) {}
  StatusNotifierArea(const StatusNotifierArea&) = delete;
  StatusNotifierArea& operator=(const StatusNotifierArea&) = delete;
  ~StatusNotifierArea() override;

  bool AddIcon(const TrayIcon& icon) override;
  bool DeleteIcon(const TrayIcon& icon) override;
  bool ShowBalloon(const TrayIcon&, const std::string&, const std::string&) override { return false; }
  void StartReporting(WindowHandle, TrayEvents& events) override { events_ = &events; }
  void StopReporting() override { events_ = nullptr; }

  static constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

 private:
  static void OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self);
  static GVariant* OnGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
                                 GError**, gpointer self);
  bool Publish();
  bool Register();
  void Withdraw();
  void Emit(const char* signal);
  GVariant* Pixmaps();
  GVariant* Property(const std::string& name);
  void Gesture(TrayGesture down, TrayGesture up);

  GtkPanel& panel_;
  TrayEvents* events_ = nullptr;
  linux_desktop::UniqueBus bus_;
  std::string name_;
  std::string tip_;
  guint registration_ = 0;
  guint owner_ = 0;
  guint watch_ = 0;
  bool wanted_ = false;
};

}  // namespace blindfold::gtk
