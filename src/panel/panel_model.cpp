#include "panel/panel_model.h"

#include <algorithm>

namespace blindfold {
namespace {

bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// What one edit put into `before` to give `after`: the part of `after` between
// what the two share at the start and at the end, on character boundaries.
std::string InsertedPart(std::string_view before, std::string_view after) {
  const std::size_t most = std::min(before.size(), after.size());
  std::size_t head = 0;
  while (head < most && before[head] == after[head]) ++head;
  while (head > 0 && head < after.size() && ContinuesCharacter(after[head])) --head;
  std::size_t tail = 0;
  while (tail < most - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  while (tail > 0 && ContinuesCharacter(after[after.size() - tail])) --tail;
  return std::string(after.substr(head, after.size() - head - tail));
}

}  // namespace

void TextBox::Edited(std::string newText) {
  if (replacedOnEdit && newText != text) {
    replacedOnEdit = false;
    newText = InsertedPart(text, newText);
  }
  text = std::move(newText);
}

}  // namespace blindfold
