#include "platform/x11/window_rules.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace blindfold::x11 {
namespace {

constexpr unsigned long kPlacementVersion = 2;
constexpr std::size_t kPlacementHeader = 10;
constexpr unsigned long kFirstPlacementVersion = 1;
constexpr std::size_t kFirstPlacementHeader = 9;

}  // namespace

WindowType TypeFromTypes(std::span<const unsigned long> types, unsigned long dockType, unsigned long desktopType,
                         std::span<const unsigned long> otherStandardTypes) {
  for (const unsigned long type : types) {
    if (type == dockType) return WindowType::Dock;
    if (type == desktopType) return WindowType::Desktop;
    if (std::ranges::find(otherStandardTypes, type) != otherStandardTypes.end()) return WindowType::Normal;
  }
  return WindowType::Normal;
}

std::string TitleFromNames(const std::optional<std::string>& netWmName, const std::optional<std::string>& wmName) {
  if (netWmName) return *netWmName;
  return wmName.value_or("");
}

std::string ClassFromWmClass(std::string_view wmClass) {
  const std::size_t instanceEnd = wmClass.find('\0');
  if (instanceEnd == std::string_view::npos) return {};
  const std::string_view rest = wmClass.substr(instanceEnd + 1);
  return std::string(rest.substr(0, rest.find('\0')));
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

// version, flags, desktop, x, y, width, height, state count, group count,
// above count, then the states, the group and the windows above. The first
// version had no windows above, nor their count.
std::vector<unsigned long> EncodePlacement(const SavedPlacement& placement) {
  const std::size_t aboveCount = std::min(placement.above.size(), kKeptWindowsAbove);
  std::vector<unsigned long> items = {
      kPlacementVersion,
      (placement.hasDesktop ? 1ul : 0ul) | (placement.minimised ? 2ul : 0ul) | (placement.focused ? 4ul : 0ul),
      placement.desktop,
      static_cast<std::uint32_t>(placement.x),
      static_cast<std::uint32_t>(placement.y),
      placement.width,
      placement.height,
      placement.states.size(),
      placement.group.size(),
      aboveCount,
  };
  items.insert(items.end(), placement.states.begin(), placement.states.end());
  items.insert(items.end(), placement.group.begin(), placement.group.end());
  items.insert(items.end(), placement.above.begin(), placement.above.begin() + static_cast<std::ptrdiff_t>(aboveCount));
  return items;
}

std::optional<SavedPlacement> DecodePlacement(std::span<const unsigned long> items) {
  if (items.empty()) return std::nullopt;
  const bool first = items[0] == kFirstPlacementVersion;
  if (!first && items[0] != kPlacementVersion) return std::nullopt;
  const std::size_t header = first ? kFirstPlacementHeader : kPlacementHeader;
  if (items.size() < header) return std::nullopt;
  const unsigned long stateCount = items[7];
  const unsigned long groupCount = items[8];
  const unsigned long aboveCount = first ? 0 : items[9];
  if (stateCount > items.size() || groupCount > items.size() || aboveCount > kKeptWindowsAbove ||
      header + stateCount + groupCount + aboveCount != items.size()) {
    return std::nullopt;
  }
  // The server keeps 32 bits of each item; a value wider than that was not written here.
  if (std::ranges::any_of(items, [](unsigned long item) { return item > 0xFFFFFFFFul; })) return std::nullopt;
  SavedPlacement placement;
  placement.hasDesktop = (items[1] & 1) != 0;
  placement.minimised = (items[1] & 2) != 0;
  placement.focused = (items[1] & 4) != 0;
  placement.desktop = static_cast<std::uint32_t>(items[2]);
  placement.x = static_cast<std::int32_t>(static_cast<std::uint32_t>(items[3]));
  placement.y = static_cast<std::int32_t>(static_cast<std::uint32_t>(items[4]));
  placement.width = static_cast<std::uint32_t>(items[5]);
  placement.height = static_cast<std::uint32_t>(items[6]);
  const auto states = items.subspan(header, stateCount);
  const auto group = items.subspan(header + stateCount, groupCount);
  const auto above = items.subspan(header + stateCount + groupCount, aboveCount);
  placement.states.assign(states.begin(), states.end());
  placement.group.assign(group.begin(), group.end());
  placement.above.assign(above.begin(), above.end());
  return placement;
}

namespace {

// The order the windows belong in, top first: those that stayed as they
// stand, each shown window inserted directly below its anchor.
std::vector<unsigned long> OrderTopFirst(std::span<const ShownWindow> shown,
                                         std::span<const unsigned long> stayedTopFirst) {
  // Of two windows with no shown window between them and their anchor, the
  // one with fewer windows above it was the higher.
  std::vector<const ShownWindow*> order;
  std::unordered_set<unsigned long> shownSet;
  for (const ShownWindow& window : shown) {
    if (shownSet.insert(window.window).second) order.push_back(&window);
  }
  std::ranges::sort(order, [](const ShownWindow* a, const ShownWindow* b) {
    return a->above.size() != b->above.size() ? a->above.size() < b->above.size() : a->window < b->window;
  });
  std::vector<unsigned long> stack;
  std::unordered_set<unsigned long> stayed;
  for (const unsigned long window : stayedTopFirst) {
    if (!shownSet.contains(window) && stayed.insert(window).second) stack.push_back(window);
  }
  // The windows that belong directly below each anchor, highest first; those
  // with no anchor belong at the top.
  std::unordered_map<unsigned long, std::vector<unsigned long>> belowIt;
  std::vector<unsigned long> atTop;
  std::vector<unsigned long> stayingAnchors;
  for (const ShownWindow* window : order) {
    const auto anchor = std::ranges::find_if(window->above, [&](unsigned long candidate) {
      return candidate != window->window && (shownSet.contains(candidate) || stayed.contains(candidate));
    });
    if (anchor == window->above.end()) {
      atTop.push_back(window->window);
      continue;
    }
    std::vector<unsigned long>& group = belowIt[*anchor];
    if (group.empty() && stayed.contains(*anchor)) stayingAnchors.push_back(*anchor);
    group.push_back(window->window);
  }
  // Top down from `first`, which goes at `at`: each window's own group right
  // below it, before the next window of its anchor's group.
  std::unordered_set<unsigned long> placed;
  const auto placeFrom = [&](unsigned long first, std::size_t at) {
    std::vector<unsigned long> toVisit = {first};
    while (!toVisit.empty()) {
      const unsigned long window = toVisit.back();
      toVisit.pop_back();
      if (!placed.insert(window).second) continue;
      stack.insert(stack.begin() + static_cast<std::ptrdiff_t>(at++), window);
      if (const auto group = belowIt.find(window); group != belowIt.end()) {
        toVisit.insert(toVisit.end(), group->second.rbegin(), group->second.rend());
      }
    }
    return at;
  };
  std::size_t belowTop = 0;
  for (const unsigned long window : atTop) belowTop = placeFrom(window, belowTop);
  for (const unsigned long anchor : stayingAnchors) {
    std::size_t at = static_cast<std::size_t>(std::ranges::find(stack, anchor) - stack.begin()) + 1;
    for (const unsigned long window : belowIt[anchor]) at = placeFrom(window, at);
  }
  // What is left points in a ring.
  for (const ShownWindow* window : order) {
    if (!placed.contains(window->window)) belowTop = placeFrom(window->window, belowTop);
  }
  return stack;
}

}  // namespace

std::vector<StackRequest> StackRequests(std::span<const ShownWindow> shown,
                                        std::span<const unsigned long> stayedTopFirst) {
  const std::vector<unsigned long> stack = OrderTopFirst(shown, stayedTopFirst);
  std::unordered_set<unsigned long> shownSet;
  for (const ShownWindow& window : shown) shownSet.insert(window.window);
  std::vector<StackRequest> requests;
  const auto lowest = std::ranges::find_if(stack.rbegin(), stack.rend(),
                                           [&](unsigned long window) { return shownSet.contains(window); });
  if (lowest == stack.rend()) return requests;
  for (auto window = lowest; window != stack.rend(); ++window) {
    if (window == stack.rbegin()) {
      requests.push_back({*window, 0, false});
    } else {
      requests.push_back({*window, *std::prev(window), true});
    }
  }
  return requests;
}

bool MinimisedFrom(const ScreenStateFacts& facts) {
  if (facts.hiddenState) return true;
  if (!facts.iconic) return false;
  return !facts.managerKeepsHidden && facts.onCurrentDesktop;
}

// Lines are "Name=value" or "Name = value", with "#" starting a comment.
std::optional<bool> Win95KeysSetting(std::string_view preferences) {
  std::optional<bool> setting;
  while (!preferences.empty()) {
    const std::size_t end = preferences.find('\n');
    std::string_view line = preferences.substr(0, end);
    preferences = end == std::string_view::npos ? std::string_view() : preferences.substr(end + 1);
    line = line.substr(0, line.find('#'));
    const auto trim = [](std::string_view text) {
      const std::size_t begin = text.find_first_not_of(" \t\r");
      if (begin == std::string_view::npos) return std::string_view();
      return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
    };
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || trim(line.substr(0, equals)) != "Win95Keys") continue;
    std::string_view value = trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value == "0") setting = false;
    if (value == "1") setting = true;
  }
  return setting;
}

}  // namespace blindfold::x11
