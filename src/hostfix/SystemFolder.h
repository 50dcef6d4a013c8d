#pragma once

#include <string>

#include "SystemSettings.h"

namespace veltrim::hostfix {

// The Windows system folder without a trailing backslash, however long, or the empty text when
// the system cannot tell it.
std::string GetSystemFolder(platform::SystemSettings& settings);

// The folder, without a trailing backslash, from which the system's resolver reads `hosts` and
// `lmhosts`: the one the system is set to name, or the usual one under `systemFolder` where it
// names none. Throws, naming the setting, where it names a folder that is not certainly one on a
// drive of this computer: a network share, a folder that is not there, or one named with a
// variable of the environment. Repairing the usual folder instead would report a repair that
// the resolver never reads.
std::string HostFilesFolder(platform::SystemSettings& settings, const std::string& systemFolder);

}  // namespace veltrim::hostfix
