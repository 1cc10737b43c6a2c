#pragma once

#include <glib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/glib_handles.h"
#include "platform/sway/sway_rules.h"

namespace blindfold::sway {

// The message types of sway's IPC (the i3 protocol) that are used here.
enum class IpcMessage : std::uint32_t { RunCommand = 0, Subscribe = 2, GetTree = 4, GetVersion = 7 };
enum class IpcEvent : std::uint32_t { Workspace = 0, Window = 3, Binding = 5, Shutdown = 6 };

// One connection to sway's IPC socket, for requests answered in turn. sway
// answers on its own loop, without waiting on any client, so a request never
// waits for long; a socket that stays silent for seconds is taken as gone.
class SwayIpc {
 public:
  // Nothing when no sway listens on `socketPath`.
  static std::unique_ptr<SwayIpc> Connect(const std::string& socketPath);

  // The reply's text; nothing when the connection has failed.
  std::optional<std::string> Request(IpcMessage type, std::string_view payload = {});
  // Runs sway commands, separated by ";" or ","; false when sway refused one
  // (the error is logged) or did not answer.
  bool Run(const std::string& commands);
  // Runs many windows' shares of commands as one message: for each share,
  // whether sway carried it all out; nothing when sway did not answer, or its
  // answer cannot be told share by share.
  std::optional<std::vector<bool>> RunShares(const std::vector<CommandShare>& shares);
  const std::string& SocketPath() const { return socketPath_; }

 private:
  std::optional<std::string> RequestOnce(IpcMessage type, std::string_view payload);

  explicit SwayIpc(linux_desktop::UniqueFileDescriptor socket, std::string socketPath)
      : socket_(std::move(socket)), socketPath_(std::move(socketPath)) {}

  linux_desktop::UniqueFileDescriptor socket_;
  std::string socketPath_;
};

// A second connection, subscribed to sway's window and binding events, served
// from the GLib main loop. Listeners are called on it, in the order added.
class SwayEvents {
 public:
  using Listener = std::function<void(IpcEvent event, std::string_view payload)>;

  static std::unique_ptr<SwayEvents> Connect(const std::string& socketPath);
  SwayEvents(const SwayEvents&) = delete;
  SwayEvents& operator=(const SwayEvents&) = delete;
  ~SwayEvents();

  int AddListener(Listener listener);
  void RemoveListener(int id);
  // Called once when sway goes away or says it is ending.
  void SetOnLost(std::function<void()> onLost) { onLost_ = std::move(onLost); }

 private:
  explicit SwayEvents(linux_desktop::UniqueFileDescriptor socket);
  static gboolean OnReadable(gint fd, GIOCondition condition, gpointer self);
  void Lost();

  linux_desktop::UniqueFileDescriptor socket_;
  guint source_ = 0;
  std::string buffer_;
  std::vector<std::pair<int, Listener>> listeners_;
  int nextId_ = 1;
  std::function<void()> onLost_;
};

}  // namespace blindfold::sway
