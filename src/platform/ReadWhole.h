// The read loops of the file system: the whole file in one buffer, sized once from
// what the system says the file holds, and no more than a limit of it; or a comparison.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "FileSystem.h"

namespace veltrim::platform {

// `read(buffer, capacity)` reads the next bytes of the open file and answers how many, 0 at its
// end; `size` is the file's size as the system gave it.
template <typename Read>
std::string ReadWhole(const std::string& path, std::uint64_t size, std::size_t limit, Read read) {
  if (size > limit) throw FileOverLimit(path, size);
  // One byte more than the size, so that a file that grows meanwhile is noticed.
  std::string contents(static_cast<std::size_t>(size) + 1, '\0');
  std::size_t got = 0;
  for (;;) {
    if (got == contents.size()) {
      if (got > limit) throw FileOverLimit(path, got);
      // One byte beyond the limit, when there is room for one.
      contents.resize(std::min(got * 2, std::max(limit, limit + 1)));
    }
    const std::size_t now = read(&contents[got], contents.size() - got);
    if (now == 0) break;
    got += now;
  }
  contents.resize(got);
  return contents;
}

// Compares the rest of the open file with `expected` through a buffer of its own, so that a
// large file is not held twice.
template <typename Read>
bool ReadsAs(std::string_view expected, Read read) {
  std::string piece(std::min<std::size_t>(expected.size() + 1, 1 << 16), '\0');
  for (;;) {
    const std::size_t got = read(&piece[0], std::min(piece.size(), expected.size() + 1));
    if (got == 0) return expected.empty();
    if (got > expected.size() || expected.substr(0, got) != std::string_view(piece.data(), got)) {
      return false;
    }
    expected.remove_prefix(got);
  }
}

}  // namespace veltrim::platform
