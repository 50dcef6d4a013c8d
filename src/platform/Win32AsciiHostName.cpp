#include <windows.h>

#include "AsciiHostName.h"
#include "Win32Text.h"

namespace veltrim::platform {

std::optional<std::string> ToAsciiHostName(const std::string& utf8) {
  const std::wstring name = Widen(utf8);
  if (name.empty()) return std::nullopt;
  wchar_t ascii[256];  // a host name is at most 253 characters
  const int length = ::IdnToAscii(0, name.c_str(), static_cast<int>(name.size()), ascii,
                                  static_cast<int>(std::size(ascii)));
  if (length <= 0) return std::nullopt;
  return Narrow(std::wstring(ascii, static_cast<std::size_t>(length)));
}

}  // namespace veltrim::platform
