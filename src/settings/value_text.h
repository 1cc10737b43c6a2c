#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blindfold {

// Splits at every occurrence of `separator`; "a,,b" gives three pieces and the
// empty text gives one empty piece, as the stored formats expect.
std::vector<std::string_view> SplitText(std::string_view text, char separator);

// A stored text as a whole number: optional blanks, an optional sign, decimal
// digits, optional blanks. Anything else, or a number outside the 64-bit range,
// does not convert.
std::optional<long long> ParseWholeNumber(std::string_view text);

// The same, limited to the signed 32-bit range.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace blindfold
