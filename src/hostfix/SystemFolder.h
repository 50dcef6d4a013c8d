#pragma once

#include <string>

#include "Desktop.h"

namespace veltrim::hostfix {

// The Windows system folder without a trailing backslash, however long, or the empty text when
// the system cannot tell it.
std::string GetSystemFolder(platform::Desktop& desktop);

// The folder, without a trailing backslash, from which the system's resolver reads `hosts` and
// `lmhosts`: the one the system is set to name, when that is a folder on a drive of this
// computer, otherwise the usual one under `systemFolder`.
std::string HostFilesFolder(platform::Desktop& desktop, const std::string& systemFolder);

}  // namespace veltrim::hostfix
