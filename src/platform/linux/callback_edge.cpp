#include "platform/linux/callback_edge.h"

#include <exception>

#include "core/log.h"

namespace blindfold::linux_desktop {
namespace {

std::optional<std::string> (*describeOther)() = nullptr;

}  // namespace

void DescribeOtherExceptionsWith(std::optional<std::string> (*describe)()) { describeOther = describe; }

void LogCaught(std::string_view where) noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    log::Error("edge", where, ": left undone: ", error.what());
  } catch (...) {
    std::optional<std::string> said;
    try {
      if (describeOther) said = describeOther();
    } catch (...) {
    }
    log::Error("edge", where, ": left undone: ", said ? *said : std::string("an unknown exception"));
  }
}

}  // namespace blindfold::linux_desktop
