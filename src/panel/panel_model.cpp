#include "panel/panel_model.h"

#include <algorithm>

namespace blindfold {
namespace {

bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// What one edit of `before` left of it, and what it put in: the parts the two
// share at the start and at the end, on character boundaries, and what lies
// between them in `after`.
struct Edit {
  std::size_t kept;
  std::string inserted;
};

Edit EditOf(std::string_view before, std::string_view after) {
  const std::size_t most = std::min(before.size(), after.size());
  std::size_t head = 0;
  while (head < most && before[head] == after[head]) ++head;
  while (head > 0 && head < after.size() && ContinuesCharacter(after[head])) --head;
  std::size_t tail = 0;
  while (tail < most - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  while (tail > 0 && ContinuesCharacter(after[after.size() - tail])) --tail;
  return {head + tail, std::string(after.substr(head, after.size() - head - tail))};
}

}  // namespace

// An edit that left most of the held text was made within it: only what it
// put in counts. One that left little of it replaced it, and whatever it
// shares with the held text is the new text's own (a pasted password may
// begin with the same letter as the key).
void TextBox::Edited(std::string newText) {
  if (replacedOnEdit && newText != text) {
    replacedOnEdit = false;
    Edit edit = EditOf(text, newText);
    if (2 * edit.kept >= text.size()) newText = std::move(edit.inserted);
  }
  text = std::move(newText);
}

}  // namespace blindfold
