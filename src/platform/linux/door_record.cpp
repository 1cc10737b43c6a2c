#include "platform/linux/door_record.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cstdlib>

#include "core/log.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/key_file_registry.h"
#include "platform/linux/text_rules.h"

namespace blindfold::linux_desktop {

namespace {

// A record no bigger than a busy desktop's could ever be is read; anything
// larger was not written here.
constexpr gsize kLongestRecord = 16u << 20;

std::string Escaped(const std::string& text) {
  const GlibMemory<gchar> escaped(g_strescape(text.c_str(), nullptr));
  return escaped.Get();
}

std::string Unescaped(const std::string& text) {
  const GlibMemory<gchar> plain(g_strcompress(text.c_str()));
  return plain.Get();
}

}  // namespace

DoorRecord::DoorRecord(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  gchar* contents = nullptr;
  gsize length = 0;
  if (!g_file_get_contents(path_.c_str(), &contents, &length, nullptr)) return;
  const GlibMemory<gchar> owned(contents);
  if (length > kLongestRecord) {
    log::Warning("record", path_, " is too long to be Blindfold's: not read");
    return;
  }
  entries_ = Parse(std::string(contents, length));
}

// The session's runtime folder, where the record ends with the session. Where
// there is none to write in (no XDG_RUNTIME_DIR, or a file in the way), the
// user's cache folder, the user's own too: a record that outlives the session
// names no window of the next one, which each door tells (sway's windows by
// the socket of the sway they live in, KWin's by uuid).
std::string DoorRecord::PathFor(const std::string& door, const std::string& sessionKey) {
  const std::string name = door + "-" + SessionKeyOfDisplay(sessionKey) + ".record";
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    const std::string folder = std::string(runtime) + "/blindfold";
    if (g_mkdir_with_parents(folder.c_str(), 0700) == 0) return folder + "/" + name;
  }
  const std::string folder = std::string(g_get_user_cache_dir()) + "/blindfold";
  if (g_mkdir_with_parents(folder.c_str(), 0700) == 0) return folder + "/" + name;
  return {};
}

bool DoorRecord::Put(const std::string& key, const std::string& value) {
  const auto [place, added] = entries_.try_emplace(key, value);
  if (!added) {
    if (place->second == value) return true;
    place->second = value;
  }
  return Save();
}

bool DoorRecord::Remove(const std::string& key) { return entries_.erase(key) == 0 || Save(); }

bool DoorRecord::Put(const std::map<std::string, std::string>& entries) {
  bool changed = false;
  for (const auto& [key, value] : entries) {
    const auto [place, added] = entries_.try_emplace(key, value);
    if (!added && place->second == value) continue;
    place->second = value;
    changed = true;
  }
  return !changed || Save();
}

bool DoorRecord::Remove(const std::vector<std::string>& keys) {
  std::size_t removed = 0;
  for (const std::string& key : keys) removed += entries_.erase(key);
  return removed == 0 || Save();
}

bool DoorRecord::Clear() {
  if (entries_.empty()) return true;
  entries_.clear();
  return Save();
}

std::optional<std::string> DoorRecord::Get(const std::string& key) const {
  const auto found = entries_.find(key);
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

// "key<TAB>value" per line; escaping leaves neither a tab nor a line break in
// either.
std::string DoorRecord::Format(const std::map<std::string, std::string>& entries) {
  std::string text;
  for (const auto& [key, value] : entries) text += Escaped(key) + "\t" + Escaped(value) + "\n";
  return text;
}

std::map<std::string, std::string> DoorRecord::Parse(const std::string& text) {
  std::map<std::string, std::string> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    entries[Unescaped(line.substr(0, tab))] = Unescaped(line.substr(tab + 1));
  }
  return entries;
}

bool DoorRecord::Save() {
  if (path_.empty()) return false;
  if (entries_.empty()) {
    if (g_unlink(path_.c_str()) == 0 || !g_file_test(path_.c_str(), G_FILE_TEST_EXISTS)) return true;
  } else if (ReplaceFileAtomically(path_, Format(entries_))) {
    return true;
  }
  log::Warning("record", "could not write ", path_);
  return false;
}

}  // namespace blindfold::linux_desktop
