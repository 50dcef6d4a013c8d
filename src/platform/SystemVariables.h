// Folders that the registry names with variables in them, expanded from the system's own
// values only.
#pragma once

#include <string>

namespace veltrim::platform {

// Expands %SystemRoot% and %windir% to `windowsFolder`, and %SystemDrive% to its drive, in any
// letter case; never from the environment, which an elevated process gets from the user who
// started it. Empty when the value names any other variable: a folder that the environment
// could choose is no folder to repair.
std::string ExpandSystemVariables(const std::string& value, const std::string& windowsFolder);

}  // namespace veltrim::platform
