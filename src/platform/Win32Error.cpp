#include "Win32Error.h"

#include "SystemError.h"
#include "Win32Text.h"

namespace veltrim::platform {

std::string DescribeError(DWORD number) {
  wchar_t buffer[512];
  DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, number,
                       0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  if (length == 0) return "Unknown error.";
  std::string text = Narrow(std::wstring(buffer, length));
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

void ThrowError(DWORD number, const std::string& action, const std::string& path) {
  throw SystemError(number, DescribeError(number), action, path);
}

void ThrowLastError(const std::string& action, const std::string& path) {
  ThrowError(::GetLastError(), action, path);
}

}  // namespace veltrim::platform
