#include "platform/gtk/callback_edge.h"

#include <glib.h>
#include <glibmm/error.h>
#include <glibmm/exceptionhandler.h>
#include <gtk/gtk.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/log.h"

namespace blindfold::gtk {
namespace {

void (*lastWordsOnce)() = nullptr;

void SayLastWords() {
  if (auto* lastWords = std::exchange(lastWordsOnce, nullptr)) lastWords();
}

// The windows first, then the signal's own end (a core dump, a status that
// tells the shell why), which the handler being reset to the default gives.
// What runs here is not safe in a signal handler: the program is dying, and
// hidden windows left hidden are worse than a hang in its last moment.
void OnFatalSignal(int signal) {
  SayLastWords();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// GLib ends the program after a fatal message (g_error, or a warning made
// fatal): the windows come back before the message is written.
GLogWriterOutput WriteLastMessage(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
  if ((level & (G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL)) != 0) SayLastWords();
  return g_log_writer_default(level, fields, count, data);
}

// What a glibmm error says, where the Linux edge finds an exception that is
// no std::exception.
std::optional<std::string> DescribeGlibError() {
  try {
    throw;
  } catch (const Glib::Error& error) {
    return error.what().raw();
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

void ThrowWhenTestAsks(std::string_view point) {
  static const std::string asked = [] {
    const char* points = std::getenv("BLINDFOLD_TEST_THROW");
    return points ? "," + std::string(points) + "," : std::string();
  }();
  static std::string thrown = ",";
  if (asked.empty() || gtk_main_level() == 0) return;
  const std::string mark = std::string(point) + ",";
  if (asked.find("," + mark) == std::string::npos || thrown.find("," + mark) != std::string::npos) return;
  thrown += mark;
  throw std::runtime_error("thrown for the test at \"" + std::string(point) + "\"");
}

void SayLastWordsOnEveryFatalPath(void (*lastWords)()) {
  lastWordsOnce = lastWords;
  for (const int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP}) {
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    sigaction(signal, &action, nullptr);
  }
  g_log_set_writer_func(WriteLastMessage, nullptr, nullptr);
  linux_desktop::DescribeOtherExceptionsWith(DescribeGlibError);
  // Under every edge, for a handler that has none: glibmm would end the
  // program on what it catches.
  Glib::add_exception_handler([] { LogCaught("a GTK handler"); });
}

}  // namespace blindfold::gtk
