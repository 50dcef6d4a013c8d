// Gives a file new contents so that a failure at any point leaves the old contents whole.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "FileSystem.h"

namespace veltrim::hostfix {

// Has `write` write the new contents to a new file beside `path`, forces it to the disk, gives
// it the old file's protection and renames it over `path`. When `expected` is given and the
// file no longer holds it immediately before the rename, another program has changed it:
// nothing is replaced and the answer is false. On failure the new file is removed and the error
// passed on.
bool ReplaceContents(platform::FileSystem& files, const std::string& path,
                     const std::function<void(platform::OutputFile&)>& write,
                     std::optional<std::string_view> expected);

}  // namespace veltrim::hostfix
