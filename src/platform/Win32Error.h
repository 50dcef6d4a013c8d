// Turns Win32 error numbers into SystemError.
#pragma once

#include <windows.h>

#include <string>

namespace veltrim::platform {

// The system's own description of an error number in UTF-8, without the trailing line end.
std::string DescribeError(DWORD number);

[[noreturn]] void ThrowError(DWORD number, const std::string& action, const std::string& path);
[[noreturn]] void ThrowLastError(const std::string& action, const std::string& path);

}  // namespace veltrim::platform
