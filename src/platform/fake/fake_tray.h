#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/notification_area.h"

namespace blindfold {

// The notification area, the tray menu and the file dialog, remembering what
// they were asked in one shared log so that order can be checked across them.
class FakeTray final : public NotificationArea, public PopupMenu, public FileDialog {
 public:
  bool AddIcon(const TrayIcon& icon) override {
    log.push_back("add");
    added.push_back(icon);
    iconShown = true;
    return true;
  }
  bool DeleteIcon(const TrayIcon& icon) override {
    log.push_back("delete");
    deleted.push_back(icon);
    const bool wasShown = iconShown;
    iconShown = false;
    return wasShown;
  }
  bool ShowBalloon(const TrayIcon&, const std::string& title, const std::string& text) override {
    log.push_back("balloon");
    balloons.push_back(title + ": " + text);
    return iconShown;
  }
  void StartReporting(WindowHandle, TrayEvents& events) override {
    log.push_back(reporting ? "hook while hooked" : "hook");
    reporting = &events;
  }
  void StopReporting() override {
    log.push_back(reporting ? "unhook" : "unhook while not hooked");
    reporting = nullptr;
  }
  void SetForegroundWindow(WindowHandle) override { log.push_back("foreground"); }
  std::optional<TrayMenuItem> Pop(const std::vector<MenuEntry>& entries) override {
    log.push_back("menu");
    shownMenu = entries;
    return menuChoice;
  }
  std::string OpenFile(const std::string& filter, const std::string& extension, const std::string& title) override {
    dialogFilter = filter;
    dialogExtension = extension;
    dialogTitle = title;
    return chosenFile;
  }

  TrayEvents* reporting = nullptr;
  std::vector<std::string> log;
  std::vector<std::string> balloons;
  std::vector<TrayIcon> added;
  std::vector<TrayIcon> deleted;
  bool iconShown = false;
  std::vector<MenuEntry> shownMenu;
  std::optional<TrayMenuItem> menuChoice;
  std::string chosenFile;
  std::string dialogFilter, dialogExtension, dialogTitle;
};

}  // namespace blindfold
