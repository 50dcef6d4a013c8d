#pragma once

#include <string>

#include "Desktop.h"

namespace veltrim::hostfix {

// The Windows system folder without a trailing backslash, however long, or the empty text when
// the system cannot tell it.
std::string GetSystemFolder(platform::Desktop& desktop);

}  // namespace veltrim::hostfix
