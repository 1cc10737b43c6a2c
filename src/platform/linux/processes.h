#pragma once

#include <cstdint>
#include <string>

namespace blindfold::linux_desktop {

// The executable process `pid` runs, as /proc names it; empty for 0, for a
// process that has gone and for one this user may not look into. A program
// replaced on disk while it runs is still named by its path.
std::string ProgramOfProcess(std::uint32_t pid);

// The parent of process `pid`, from /proc; 0 when it has gone or cannot be read.
std::uint32_t ParentOfProcess(std::uint32_t pid);

}  // namespace blindfold::linux_desktop
