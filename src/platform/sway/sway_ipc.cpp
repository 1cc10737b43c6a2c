#include "platform/sway/sway_ipc.h"

#include <glib-unix.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "core/log.h"
#include "platform/sway/sway_rules.h"

namespace blindfold::sway {

namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderSize = kMagic.size() + 8;
// A reply longer than this is no reply of sway's: the tree of a very busy
// desktop is a few megabytes.
constexpr std::uint32_t kLongestReply = 64u << 20;
constexpr int kSilenceMs = 5000;

linux_desktop::UniqueFileDescriptor ConnectTo(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return {};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  linux_desktop::UniqueFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (socket.Get() < 0) return {};
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) return {};
  return socket;
}

std::string Header(std::uint32_t type, std::size_t length) {
  std::string header(kMagic);
  const auto size = static_cast<std::uint32_t>(length);
  header.append(reinterpret_cast<const char*>(&size), 4);
  header.append(reinterpret_cast<const char*>(&type), 4);
  return header;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool ReadAll(int fd, char* into, std::size_t size) {
  while (size > 0) {
    pollfd wait{fd, POLLIN, 0};
    const int ready = ::poll(&wait, 1, kSilenceMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t got = ::read(fd, into, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    into += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

struct Message {
  std::uint32_t type = 0;
  std::string payload;
};

// The payload length a header gives; nothing for a header that is not
// sway's, which marks the stream as broken.
std::optional<std::uint32_t> PayloadLength(std::string_view header) {
  if (header.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  std::uint32_t length = 0;
  std::memcpy(&length, header.data() + kMagic.size(), 4);
  if (length > kLongestReply) return std::nullopt;
  return length;
}

std::uint32_t TypeOf(std::string_view header) {
  std::uint32_t type = 0;
  std::memcpy(&type, header.data() + kMagic.size() + 4, 4);
  return type;
}

// One whole message at the front of `buffer`, taken off it; nothing while the
// buffer holds less, or when its header is not sway's (`broken`).
std::optional<Message> TakeMessage(std::string& buffer, bool& broken) {
  if (buffer.size() < kHeaderSize) return std::nullopt;
  const std::optional<std::uint32_t> length = PayloadLength(buffer);
  if (!length) {
    broken = true;
    return std::nullopt;
  }
  if (buffer.size() < kHeaderSize + *length) return std::nullopt;
  Message message{TypeOf(buffer), buffer.substr(kHeaderSize, *length)};
  buffer.erase(0, kHeaderSize + *length);
  return message;
}

}  // namespace

std::unique_ptr<SwayIpc> SwayIpc::Connect(const std::string& socketPath) {
  linux_desktop::UniqueFileDescriptor socket = ConnectTo(socketPath);
  if (socket.Get() < 0) return nullptr;
  return std::unique_ptr<SwayIpc>(new SwayIpc(std::move(socket), socketPath));
}

// A connection lost (sway slow for once, or a reply out of step) is made
// again, once per request: the hidden windows must stay within reach.
std::optional<std::string> SwayIpc::Request(IpcMessage type, std::string_view payload) {
  if (std::optional<std::string> reply = RequestOnce(type, payload)) return reply;
  socket_ = ConnectTo(socketPath_);
  return RequestOnce(type, payload);
}

std::optional<std::string> SwayIpc::RequestOnce(IpcMessage type, std::string_view payload) {
  if (socket_.Get() < 0) return std::nullopt;
  const auto code = static_cast<std::uint32_t>(type);
  if (!WriteAll(socket_.Get(), Header(code, payload.size()) + std::string(payload))) {
    socket_.Reset();
    return std::nullopt;
  }
  std::string message(kHeaderSize, '\0');
  if (!ReadAll(socket_.Get(), message.data(), kHeaderSize)) {
    socket_.Reset();
    return std::nullopt;
  }
  const std::optional<std::uint32_t> length = PayloadLength(message);
  if (length) message.resize(kHeaderSize + *length);
  if (!length || !ReadAll(socket_.Get(), message.data() + kHeaderSize, *length) || TypeOf(message) != code) {
    log::Warning("sway", "the IPC connection broke");
    socket_.Reset();
    return std::nullopt;
  }
  return message.substr(kHeaderSize);
}

bool SwayIpc::Run(const std::string& commands) {
  const std::optional<std::string> reply = Request(IpcMessage::RunCommand, commands);
  if (!reply) return false;
  const CommandOutcome outcome = ReadCommandReply(*reply);
  if (!outcome.succeeded) log::Info("sway", "refused \"", commands, "\": ", outcome.error);
  return outcome.succeeded;
}

std::optional<std::vector<bool>> SwayIpc::RunShares(const std::vector<CommandShare>& shares) {
  const std::string commands = JoinedShares(shares);
  if (commands.empty()) return std::vector<bool>(shares.size(), true);
  const std::optional<std::string> reply = Request(IpcMessage::RunCommand, commands);
  if (!reply) return std::nullopt;
  std::optional<std::vector<bool>> carriedOut = ReadSharedReply(*reply, shares);
  if (!carriedOut || std::ranges::find(*carriedOut, false) != carriedOut->end()) {
    log::Info("sway", "refused some of ", shares.size(), " windows' commands: ", ReadCommandReply(*reply).error);
  }
  return carriedOut;
}

std::unique_ptr<SwayEvents> SwayEvents::Connect(const std::string& socketPath) {
  linux_desktop::UniqueFileDescriptor socket = ConnectTo(socketPath);
  if (socket.Get() < 0) return nullptr;
  const std::string_view events = R"(["workspace","window","binding","shutdown"])";
  if (!WriteAll(socket.Get(), Header(static_cast<std::uint32_t>(IpcMessage::Subscribe), events.size()) +
                                  std::string(events))) {
    return nullptr;
  }
  return std::unique_ptr<SwayEvents>(new SwayEvents(std::move(socket)));
}

SwayEvents::SwayEvents(linux_desktop::UniqueFileDescriptor socket) : socket_(std::move(socket)) {
  source_ = g_unix_fd_add(socket_.Get(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), &OnReadable, this);
}

SwayEvents::~SwayEvents() {
  if (source_) g_source_remove(source_);
}

int SwayEvents::AddListener(Listener listener) {
  listeners_.emplace_back(nextId_, std::move(listener));
  return nextId_++;
}

void SwayEvents::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

gboolean SwayEvents::OnReadable(gint fd, GIOCondition, gpointer data) {
  auto* self = static_cast<SwayEvents*>(data);
  std::array<char, 65536> chunk{};
  const ssize_t got = ::read(fd, chunk.data(), chunk.size());
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return G_SOURCE_CONTINUE;
  if (got <= 0) {
    self->source_ = 0;
    self->Lost();
    return G_SOURCE_REMOVE;
  }
  self->buffer_.append(chunk.data(), static_cast<std::size_t>(got));
  bool broken = false;
  while (std::optional<Message> message = TakeMessage(self->buffer_, broken)) {
    // The first reply is the subscription's; events carry the high bit.
    if ((message->type & 0x80000000u) == 0) continue;
    const auto event = static_cast<IpcEvent>(message->type & 0x7fffffffu);
    if (event == IpcEvent::Shutdown) {
      self->source_ = 0;
      self->Lost();
      return G_SOURCE_REMOVE;
    }
    // A listener may remove itself, or another, while called.
    const auto listeners = self->listeners_;
    for (const auto& [id, listener] : listeners) listener(event, message->payload);
  }
  if (broken) {
    log::Warning("sway", "the event connection broke");
    self->source_ = 0;
    self->Lost();
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

void SwayEvents::Lost() {
  if (auto onLost = std::move(onLost_)) onLost();
}

}  // namespace blindfold::sway
