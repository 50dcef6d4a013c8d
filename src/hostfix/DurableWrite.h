// Gives a file new contents so that a failure at any point leaves the old contents whole.
#pragma once

#include <string>
#include <string_view>

#include "Platform.h"

namespace veltrim::hostfix {

// Writes `contents` to a new file beside `path`, forces it to the disk and puts it in the
// place of `path`. On failure the new file is removed and the error passed on.
void WriteDurably(platform::Platform& platform, const std::string& path, std::string_view contents);

}  // namespace veltrim::hostfix
