#include "platform/x11/x11_window_watch.h"

#include "platform/linux/callback_edge.h"
#include "platform/x11/window_access.h"

namespace blindfold::x11 {

using linux_desktop::AtTheEdge;

void X11WindowWatch::Follow() {
  listener_ = x_.AddListener([this](const XEvent& event) { AtTheEdge("the watch's event", [&] { OnEvent(event); }); });
  XSelectInput(x_.Get(), x_.Root(), SubstructureNotifyMask | PropertyChangeMask);
  XFlush(x_.Get());
}

void X11WindowWatch::Unfollow() {
  if (fullLook_) g_source_remove(fullLook_);
  fullLook_ = 0;
  x_.RemoveListener(listener_);
  XSelectInput(x_.Get(), x_.Root(), NoEventMask);
  XFlush(x_.Get());
}

// A window taken into a frame is one being shown, and so is a pop-up (a menu,
// a notification: the window manager never lists those): each is looked at
// at once. A map straight under the root (a frame, or a window without a
// window manager) and a change of the client list are looked at together,
// once the events at hand are all read.
void X11WindowWatch::OnEvent(const XEvent& event) {
  if (!Watching()) return;
  if (event.type == ReparentNotify && event.xreparent.event == x_.Root() && event.xreparent.parent != x_.Root()) {
    LookAt(ToHandle(event.xreparent.window));
    return;
  }
  if (event.type == MapNotify && event.xmap.event == x_.Root() && event.xmap.override_redirect) {
    LookAt(ToHandle(event.xmap.window));
    return;
  }
  const bool listChanged = event.type == PropertyNotify && event.xproperty.window == x_.Root() &&
                           (event.xproperty.atom == x_.Intern("_NET_CLIENT_LIST") ||
                            event.xproperty.atom == x_.Intern("_NET_CLIENT_LIST_STACKING"));
  const bool mapped = event.type == MapNotify && event.xmap.event == x_.Root();
  if ((listChanged || mapped) && !fullLook_) {
    fullLook_ = g_idle_add(
        [](gpointer self) -> gboolean {
          auto* watch = static_cast<X11WindowWatch*>(self);
          watch->fullLook_ = 0;
          watch->LookAt(std::nullopt);
          return G_SOURCE_REMOVE;
        },
        this);
  }
}

struct XEventSource::Source {
  GSource base;
  X11Connection* connection;
  GPollFD poll;
};

namespace {

gboolean Prepare(GSource* base, gint* timeout) {
  auto* source = reinterpret_cast<XEventSource::Source*>(base);
  *timeout = -1;
  return XPending(source->connection->Get()) > 0;
}

gboolean Check(GSource* base) {
  auto* source = reinterpret_cast<XEventSource::Source*>(base);
  return (source->poll.revents & G_IO_IN) != 0 || XPending(source->connection->Get()) > 0;
}

gboolean Dispatch(GSource* base, GSourceFunc, gpointer) {
  auto* source = reinterpret_cast<XEventSource::Source*>(base);
  AtTheEdge("the X events", [&] { source->connection->DispatchPending(); });
  return G_SOURCE_CONTINUE;
}

GSourceFuncs kFuncs = {Prepare, Check, Dispatch, nullptr, nullptr, nullptr};

}  // namespace

XEventSource::XEventSource(X11Connection& connection) {
  source_ = reinterpret_cast<Source*>(g_source_new(&kFuncs, sizeof(Source)));
  source_->connection = &connection;
  source_->poll = GPollFD{connection.Fd(), G_IO_IN, 0};
  g_source_add_poll(&source_->base, &source_->poll);
  g_source_attach(&source_->base, nullptr);
}

XEventSource::~XEventSource() {
  g_source_destroy(&source_->base);
  g_source_unref(&source_->base);
}

}  // namespace blindfold::x11
