#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace blindfold {

struct ShownMessage {
  std::string prompt;
  std::string title;
  MessageBoxStyle style;
};

// Answers every message box with `answer` and remembers what was shown.
class FakeMessageBoxes final : public MessageBoxes {
 public:
  MessageBoxAnswer Show(const std::string& prompt, const std::string& title, MessageBoxStyle style) override {
    shown.push_back({prompt, title, style});
    return answer;
  }

  MessageBoxAnswer answer = MessageBoxAnswer::Ok;
  std::vector<ShownMessage> shown;
};

}  // namespace blindfold
