#pragma once

#include <functional>
#include <optional>
#include <utility>

#include "platform/command_inbox.h"

namespace blindfold {

class FakeCommandInbox final : public CommandInbox {
 public:
  void SetReceivedHandler(std::function<CommandOutcome(Command)> onReceived) override {
    handler_ = std::move(onReceived);
  }
  // What a later start with `command` would hear back; nothing while no
  // handler listens.
  std::optional<CommandOutcome> Receive(Command command) {
    if (!handler_) return std::nullopt;
    return handler_(command);
  }

 private:
  std::function<CommandOutcome(Command)> handler_;
};

}  // namespace blindfold
