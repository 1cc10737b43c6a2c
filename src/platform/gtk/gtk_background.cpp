#include "platform/gtk/gtk_background.h"

#include <glib.h>

#include <memory>

#include "platform/gtk/callback_edge.h"

namespace blindfold::gtk {
namespace {

using Ended = std::function<void()>;

gboolean RunEnded(gpointer data) {
  AtTheEdge("the end of a job in the background", [data] { (*static_cast<Ended*>(data))(); });
  return G_SOURCE_REMOVE;
}

// GLib lets go of the end once it has run, or when the loop goes first.
void LetGoOfEnded(gpointer data) { const std::unique_ptr<Ended> ended(static_cast<Ended*>(data)); }

}  // namespace

GlibBackground::~GlibBackground() {
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

// A job that throws has ended all the same: its end runs, and finds no result.
void GlibBackground::Run(std::function<void()> job, std::function<void()> done) {
  threads_.emplace_back([job = std::move(job), ended = std::make_unique<Ended>(std::move(done))]() mutable {
    AtTheEdge("a job in the background", job);
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, RunEnded, ended.release(), LetGoOfEnded);
  });
}

}  // namespace blindfold::gtk
