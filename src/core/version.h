#pragma once

#include <string>

namespace blindfold {

// The version, defined once in the build.
inline constexpr int kVersionMajor = BLINDFOLD_VERSION_MAJOR;
inline constexpr int kVersionMinor = BLINDFOLD_VERSION_MINOR;
inline constexpr int kVersionRevision = BLINDFOLD_VERSION_REVISION;

// Major, minor and revision in plain decimal, joined by ".": "1.3.10".
inline std::string VersionText(int major = kVersionMajor, int minor = kVersionMinor,
                               int revision = kVersionRevision) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

}  // namespace blindfold
