#pragma once

#include <string>

#include "Platform.h"

namespace veltrim::hostfix {

// The Windows system folder without a trailing backslash, however long, or the empty text when
// the system cannot tell it.
std::string GetSystemFolder(platform::Platform& platform);

}  // namespace veltrim::hostfix
