#include "platform/gtk/gtk_background.h"

#include <glib.h>

namespace blindfold::gtk {
namespace {

gboolean RunEnded(gpointer data) {
  auto* done = static_cast<std::function<void()>*>(data);
  (*done)();
  delete done;
  return G_SOURCE_REMOVE;
}

}  // namespace

GlibBackground::~GlibBackground() {
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void GlibBackground::Run(std::function<void()> job, std::function<void()> done) {
  auto* ended = new std::function<void()>(std::move(done));
  threads_.emplace_back([job = std::move(job), ended] {
    job();
    g_idle_add(RunEnded, ended);
  });
}

}  // namespace blindfold::gtk
