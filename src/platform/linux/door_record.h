#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace blindfold::linux_desktop {

// What a desktop door itself hid, and what it needs to give each window back,
// kept in the session's runtime folder: the user's own (mode 0700), so only
// this user's programs can write it, and it outlives a crash of Blindfold but
// not the session. A door trusts this, never what a compositor or another
// program says about the window: a mark or a list can be set by anyone, this
// file only by Blindfold. One line per window: its key and its value, each
// escaped, so that any bytes survive.
class DoorRecord {
 public:
  // `path` empty: kept in memory only, for as long as the program runs.
  explicit DoorRecord(std::string path);

  // The record of door `door` in session `sessionKey`, in the folder the
  // lock and the hidden windows' record use, or else in the user's cache
  // folder; empty where neither can be made.
  static std::string PathFor(const std::string& door, const std::string& sessionKey);

  // Each change is on disk when it returns, as far as the disk allows; false
  // when it could not be written (the change is kept in memory all the same).
  bool Put(const std::string& key, const std::string& value);
  bool Remove(const std::string& key);
  // Many at once, written in one go: a pass over many windows.
  bool Put(const std::map<std::string, std::string>& entries);
  bool Remove(const std::vector<std::string>& keys);
  bool Clear();
  std::optional<std::string> Get(const std::string& key) const;
  const std::map<std::string, std::string>& Entries() const { return entries_; }

  static std::string Format(const std::map<std::string, std::string>& entries);
  static std::map<std::string, std::string> Parse(const std::string& text);

 private:
  bool Save();

  std::string path_;
  std::map<std::string, std::string> entries_;
};

}  // namespace blindfold::linux_desktop
