#include "SiblingNames.h"

namespace veltrim::platform {

namespace {

constexpr char kSuffix[] = ".veltrim-new";

bool AllOf(const std::string& text, const char* digits) {
  return !text.empty() && text.find_first_not_of(digits) == std::string::npos;
}

}  // namespace

std::string NewFileNameBeside(const std::string& path, unsigned long processId, unsigned count) {
  // Built by hand rather than with snprintf, whose MinGW form brings a whole printf engine along.
  std::string hex;
  do {
    hex.insert(hex.begin(), "0123456789abcdef"[processId % 16]);
    processId /= 16;
  } while (processId != 0);
  return path + "." + hex + "-" + std::to_string(count) + kSuffix;
}

bool IsNewFileNameOf(const std::string& fileName, const std::string& candidate) {
  const std::string suffix = kSuffix;
  if (candidate.size() <= fileName.size() + 1 + suffix.size() ||
      candidate.compare(0, fileName.size() + 1, fileName + ".") != 0 ||
      candidate.compare(candidate.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return false;
  }
  const std::string middle =
      candidate.substr(fileName.size() + 1, candidate.size() - fileName.size() - 1 - suffix.size());
  const std::string::size_type dash = middle.find('-');
  return dash != std::string::npos && AllOf(middle.substr(0, dash), "0123456789abcdef") &&
         AllOf(middle.substr(dash + 1), "0123456789");
}

}  // namespace veltrim::platform
