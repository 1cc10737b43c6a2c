#include "platform/x11/key_file_registry.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

#include "core/texts.h"
#include "core/unique_handle.h"
#include "platform/x11/window_rules.h"

namespace blindfold::x11 {
namespace {

constexpr std::string_view kRecordKey = "Software\\Blindfold\\Recovery";
constexpr const char* kDesktopEntry = "Desktop Entry";

struct KeyFileTraits {
  using Handle = GKeyFile*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle file) { g_key_file_unref(file); }
};
using UniqueKeyFile = UniqueHandle<KeyFileTraits>;

struct GFreeTraits {
  using Handle = gchar*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle text) { g_free(text); }
};
using UniqueGString = UniqueHandle<GFreeTraits>;

struct StrvTraits {
  using Handle = gchar**;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle list) { g_strfreev(list); }
};
using UniqueStrv = UniqueHandle<StrvTraits>;

struct ErrorTraits {
  using Handle = GError*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle error) { g_error_free(error); }
};
using UniqueError = UniqueHandle<ErrorTraits>;

struct FdTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle fd) { close(fd); }
};
using UniqueFd = UniqueHandle<FdTraits>;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EqualsIgnoringCase(text.substr(0, start.size()), start);
}

std::string GroupOf(std::string_view keyPath) {
  std::string group(keyPath);
  std::ranges::replace(group, '\\', '/');
  return group;
}

// The spelling already in the file of a name that matches without regard to
// case, or `name` itself when there is none.
std::string SpellingIn(gchar** names, const std::string& name) {
  for (gchar** item = names; item && *item; ++item) {
    if (EqualsIgnoringCase(*item, name)) return *item;
  }
  return name;
}

std::optional<std::string> FindGroup(GKeyFile* file, const std::string& group) {
  const UniqueStrv groups(g_key_file_get_groups(file, nullptr));
  std::string spelled = SpellingIn(groups.Get(), group);
  if (!g_key_file_has_group(file, spelled.c_str())) return std::nullopt;
  return spelled;
}

std::optional<std::string> FindKey(GKeyFile* file, const std::string& group, const std::string& key) {
  const UniqueStrv keys(g_key_file_get_keys(file, group.c_str(), nullptr, nullptr));
  std::string spelled = SpellingIn(keys.Get(), key);
  if (!g_key_file_has_key(file, group.c_str(), spelled.c_str(), nullptr)) return std::nullopt;
  return spelled;
}

// A damaged file keeps its name with ".damaged" added; an older damaged copy
// already there is not overwritten either.
std::string FreeDamagedName(const std::string& path) {
  std::string candidate = path + ".damaged";
  for (int i = 2; g_file_test(candidate.c_str(), G_FILE_TEST_EXISTS); ++i) {
    candidate = path + ".damaged." + std::to_string(i);
  }
  return candidate;
}

// The file's key file; an empty one when it does not exist, and nothing when
// it exists but cannot be read at all (`unreadable` then says why).
std::optional<UniqueKeyFile> Load(const std::string& path, const KeyFileRegistry::DamagedReport& onDamaged,
                                  std::string* unreadable = nullptr) {
  UniqueKeyFile file(g_key_file_new());
  if (path.empty()) return std::nullopt;
  UniqueError error;
  if (g_key_file_load_from_file(file.Get(), path.c_str(), G_KEY_FILE_KEEP_COMMENTS, error.Put())) return file;
  if (error.Get()->domain == G_FILE_ERROR && error.Get()->code == G_FILE_ERROR_NOENT) return file;
  if (error.Get()->domain != G_KEY_FILE_ERROR) {
    if (unreadable) *unreadable = error.Get()->message;
    return std::nullopt;
  }
  const std::string keptAs = FreeDamagedName(path);
  if (g_rename(path.c_str(), keptAs.c_str()) != 0) return std::nullopt;
  if (onDamaged) onDamaged(texts::DamagedSettings(path, keptAs));
  return UniqueKeyFile(g_key_file_new());
}

bool Save(GKeyFile* file, const std::string& path) {
  gsize length = 0;
  const UniqueGString data(g_key_file_to_data(file, &length, nullptr));
  return data && ReplaceFileAtomically(path, std::string(data.Get(), length));
}

// Exec= of a desktop entry takes its program quoted, with these four escaped.
std::string QuotedCommand(const std::string& path) {
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

SettingsPaths SettingsPaths::ForSession(const std::string& displayName) {
  const std::string config = g_get_user_config_dir();
  // The machine's place is the first of $XDG_CONFIG_DIRS (/etc/xdg unless
  // the session says otherwise), where the desktop also looks for autostart
  // entries.
  const gchar* const* systemDirs = g_get_system_config_dirs();
  const std::string machine = systemDirs && systemDirs[0] ? systemDirs[0] : "/etc/xdg";
  SettingsPaths paths;
  paths.machineFile = machine + "/blindfold/settings.ini";
  paths.userFile = config + "/blindfold/settings.ini";
  paths.machineAutostart = machine + "/autostart/blindfold.desktop";
  paths.userAutostart = config + "/autostart/blindfold.desktop";
  // Beside the settings, not in the runtime folder: it must outlast a crash
  // where no runtime folder could keep the record.
  paths.markKeyFile = config + "/blindfold/mark-key-" + SessionKeyOfDisplay(displayName);
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    const std::string display = SessionKeyOfDisplay(displayName);
    paths.recordFile = std::string(runtime) + "/blindfold/hidden-windows-" + display + ".ini";
  }
  return paths;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes) {
  const UniqueGString folder(g_path_get_dirname(path.c_str()));
  if (g_mkdir_with_parents(folder.Get(), 0700) != 0) return false;
  std::string temporary = path + ".XXXXXX";
  UniqueFd fd(g_mkstemp_full(temporary.data(), O_WRONLY | O_CLOEXEC, 0600));
  if (!fd) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t result = write(fd.Get(), bytes.data() + written, bytes.size() - written);
    if (result <= 0) {
      g_unlink(temporary.c_str());
      return false;
    }
    written += static_cast<std::size_t>(result);
  }
  if (fsync(fd.Get()) != 0 || close(fd.Release()) != 0 || g_rename(temporary.c_str(), path.c_str()) != 0) {
    g_unlink(temporary.c_str());
    return false;
  }
  // The rename itself lasts once the folder is on disk too.
  if (const UniqueFd folderFd(open(folder.Get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); folderFd) {
    fsync(folderFd.Get());
  }
  return true;
}

KeyFileRegistry::Place KeyFileRegistry::PlaceOf(const RegistryLocation& where) {
  if (where.root == RegistryRoot::CurrentUser && StartsWithIgnoringCase(where.key, kRecordKey)) return Place::Record;
  return Place::Settings;
}

const std::string& KeyFileRegistry::FileOf(const RegistryLocation& where) const {
  const bool machine = where.root == RegistryRoot::LocalMachine;
  switch (PlaceOf(where)) {
    case Place::Record:
      return paths_.recordFile;
    case Place::Settings:
      break;
  }
  return machine ? paths_.machineFile : paths_.userFile;
}

std::optional<std::string> KeyFileRegistry::ReadValue(const RegistryLocation& where) {
  std::string unreadable;
  const auto file = Load(FileOf(where), onDamaged_, &unreadable);
  if (!file) {
    NoteUnreadable(FileOf(where), unreadable);
    return std::nullopt;
  }
  const auto group = FindGroup(file->Get(), GroupOf(where.key));
  if (!group) return std::nullopt;
  const auto key = FindKey(file->Get(), *group, where.name);
  if (!key) return std::nullopt;
  const UniqueGString value(g_key_file_get_string(file->Get(), group->c_str(), key->c_str(), nullptr));
  if (!value) return std::nullopt;
  return std::string(value.Get());
}

// A settings file of the user's own that cannot be read is told of once: its
// values are missing, and never written over. The machine's file of another
// owner is no news to a user who may not read it.
void KeyFileRegistry::NoteUnreadable(const std::string& path, const std::string& reason) {
  GStatBuf status{};
  const bool ownSettings =
      path == paths_.userFile || (path == paths_.machineFile && g_lstat(path.c_str(), &status) == 0 &&
                                  status.st_uid == geteuid());
  if (!reason.empty() && ownSettings) Report(path, texts::UnreadableSettings(path, reason));
}

void KeyFileRegistry::Report(const std::string& about, const std::string& message) {
  if (reported_.insert(about).second && onDamaged_) onDamaged_(message);
}

// The record that cannot be written is told of once, when it is first missed:
// that is at start, where the record is cleared.
bool KeyFileRegistry::WriteValue(const RegistryLocation& where, const std::string& text) {
  const bool written = WriteInPlace(where, text);
  if (!written && PlaceOf(where) == Place::Record) Report(paths_.recordFile, texts::RecordNotKept(paths_.recordFile));
  return written;
}

bool KeyFileRegistry::WriteInPlace(const RegistryLocation& where, const std::string& text) {
  const std::string& path = FileOf(where);
  std::string unreadable;
  const auto file = Load(path, onDamaged_, &unreadable);
  if (!file) {
    NoteUnreadable(path, unreadable);
    return false;
  }
  const std::string group = FindGroup(file->Get(), GroupOf(where.key)).value_or(GroupOf(where.key));
  const std::string key = FindKey(file->Get(), group, where.name).value_or(where.name);
  g_key_file_set_string(file->Get(), group.c_str(), key.c_str(), text.c_str());
  return Save(file->Get(), path);
}

// Spelled as the file spells them, which is what the user looks for.
// The line as the file spells it, which may differ in case from the path.
std::string KeyFileRegistry::HowToDeleteByHand(const RegistryLocation& where) {
  const std::string path = FileOf(where);
  std::string group = GroupOf(where.key);
  std::string key = where.name;
  if (const auto file = Load(path, onDamaged_)) {
    group = FindGroup(file->Get(), group).value_or(group);
    key = FindKey(file->Get(), group, key).value_or(key);
  }
  return texts::DeleteLineInFile(path, group, key);
}

// A write replaces the file through its folder, so the folder decides.
bool KeyFileRegistry::MayWrite(const RegistryLocation& where) {
  const UniqueGString folder(g_path_get_dirname(FileOf(where).c_str()));
  return access(folder.Get(), W_OK) == 0;
}

bool KeyFileRegistry::DeleteValue(const RegistryLocation& where) {
  const std::string& path = FileOf(where);
  const auto file = Load(path, onDamaged_);
  if (!file) return false;
  const auto group = FindGroup(file->Get(), GroupOf(where.key));
  if (!group) return false;
  const auto key = FindKey(file->Get(), *group, where.name);
  if (!key) return false;
  g_key_file_remove_key(file->Get(), group->c_str(), key->c_str(), nullptr);
  gsize remaining = 0;
  const UniqueStrv keys(g_key_file_get_keys(file->Get(), group->c_str(), &remaining, nullptr));
  if (remaining == 0) g_key_file_remove_group(file->Get(), group->c_str(), nullptr);
  return Save(file->Get(), path);
}

namespace {

bool Exists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

// Whether the entry at `path` starts a program: it names one and is not
// switched off.
bool StartsProgram(const std::string& path) {
  const auto file = Load(path, nullptr);
  if (!file || g_key_file_get_boolean(file->Get(), kDesktopEntry, "Hidden", nullptr)) return false;
  const UniqueGString exec(g_key_file_get_string(file->Get(), kDesktopEntry, "Exec", nullptr));
  gchar** argv = nullptr;
  if (!exec || !g_shell_parse_argv(exec.Get(), nullptr, &argv, nullptr)) return false;
  const UniqueStrv owned(argv);
  return argv[0] != nullptr;
}

}  // namespace

bool XdgAutostart::IsOn() {
  return StartsProgram(Exists(paths_.userAutostart) ? paths_.userAutostart : paths_.machineAutostart);
}

// The entry keeps whatever else the user put in it.
bool XdgAutostart::Write(const std::string& path, bool hidden) {
  const auto file = Load(path, nullptr);
  if (!file) return false;
  g_key_file_set_string(file->Get(), kDesktopEntry, "Type", "Application");
  g_key_file_set_string(file->Get(), kDesktopEntry, "Name", "Blindfold");
  g_key_file_set_string(file->Get(), kDesktopEntry, "Exec", QuotedCommand(programPath_).c_str());
  if (hidden) {
    g_key_file_set_boolean(file->Get(), kDesktopEntry, "Hidden", TRUE);
  } else {
    g_key_file_remove_key(file->Get(), kDesktopEntry, "Hidden", nullptr);
  }
  return Save(file->Get(), path);
}

bool XdgAutostart::TurnOn() {
  if (Write(paths_.machineAutostart, false)) {
    // The user's own entry would decide instead.
    return !Exists(paths_.userAutostart) || g_unlink(paths_.userAutostart.c_str()) == 0 ||
           Write(paths_.userAutostart, false);
  }
  return Write(paths_.userAutostart, false);
}

bool XdgAutostart::TurnOff() {
  if (Exists(paths_.userAutostart) && g_unlink(paths_.userAutostart.c_str()) != 0) {
    return Write(paths_.userAutostart, true);
  }
  if (Exists(paths_.machineAutostart) && g_unlink(paths_.machineAutostart.c_str()) != 0) {
    return !StartsProgram(paths_.machineAutostart) || Write(paths_.userAutostart, true);
  }
  return true;
}

}  // namespace blindfold::x11
