#include "platform/gtk/gtk_background.h"

#include <glib.h>

namespace blindfold::gtk {
namespace {

struct Ended {
  std::function<void()> done;
  std::function<void()> afterEach;
};

gboolean RunEnded(gpointer data) {
  auto* ended = static_cast<Ended*>(data);
  ended->done();
  if (ended->afterEach) ended->afterEach();
  delete ended;
  return G_SOURCE_REMOVE;
}

}  // namespace

GlibBackground::~GlibBackground() {
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void GlibBackground::Run(std::function<void()> job, std::function<void()> done) {
  auto* ended = new Ended{std::move(done), afterEach_};
  threads_.emplace_back([job = std::move(job), ended] {
    job();
    g_idle_add(RunEnded, ended);
  });
}

}  // namespace blindfold::gtk
