#pragma once

#include <string>

namespace blindfold {

enum class MessageBoxStyle { WarningYesNo, WarningOk, Ok };
enum class MessageBoxAnswer { Ok = 1, Yes = 6, No = 7 };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  virtual MessageBoxAnswer Show(const std::string& prompt, const std::string& title,
                                MessageBoxStyle style) = 0;
};

}  // namespace blindfold
