#include "SystemFolder.h"

namespace veltrim::hostfix {

std::string GetSystemFolder(platform::Platform& platform) {
  std::string buffer(256, '\0');
  unsigned count =
      platform.GetSystemDirectoryA(buffer.data(), static_cast<unsigned>(buffer.size()));
  if (count >= buffer.size()) {
    // Too small: the count is the capacity that the path needs, terminating zero included.
    buffer.assign(count, '\0');
    count = platform.GetSystemDirectoryA(buffer.data(), static_cast<unsigned>(buffer.size()));
    if (count >= buffer.size()) return {};
  }
  buffer.resize(count);
  return buffer;
}

}  // namespace veltrim::hostfix
