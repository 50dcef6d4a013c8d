#include "SystemVariables.h"

#include <algorithm>
#include <cctype>

namespace veltrim::platform {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::string ExpandSystemVariables(const std::string& value, const std::string& windowsFolder) {
  std::string expanded;
  std::string::size_type at = 0;
  for (;;) {
    const std::string::size_type open = value.find('%', at);
    const std::string::size_type close =
        open == std::string::npos ? open : value.find('%', open + 1);
    // A lone "%" is no variable, as for the system's own expansion.
    if (close == std::string::npos) return expanded + value.substr(at);
    expanded += value.substr(at, open - at);
    const std::string name = Lower(value.substr(open + 1, close - open - 1));
    if (name == "systemroot" || name == "windir") {
      expanded += windowsFolder;
    } else if (name == "systemdrive") {
      expanded += windowsFolder.substr(0, 2);
    } else {
      return "";
    }
    at = close + 1;
  }
}

}  // namespace veltrim::platform
