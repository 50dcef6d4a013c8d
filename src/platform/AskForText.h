// For system calls that fill a caller's buffer and answer with a count, as
// GetSystemDirectory does: the text's length on success, 0 on failure, or the capacity that
// the text needs (terminating zero included) when the buffer is too small.
#pragma once

#include <string>

namespace veltrim::platform {

// Asks with 256 characters, then once more with as many as the answer asked for. Returns the
// text, or the empty text when the call fails or still finds the buffer too small.
template <typename Char, typename Call>
std::basic_string<Char> AskForText(Call call) {
  std::basic_string<Char> buffer(256, Char());
  unsigned count = call(buffer.data(), static_cast<unsigned>(buffer.size()));
  if (count >= buffer.size()) {
    buffer.assign(count, Char());
    count = call(buffer.data(), static_cast<unsigned>(buffer.size()));
    if (count >= buffer.size()) return {};
  }
  buffer.resize(count);
  return buffer;
}

}  // namespace veltrim::platform
