// Conversions between the program's UTF-8 text and the UTF-16 of the W functions.
#pragma once

#include <string>

namespace veltrim::platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace veltrim::platform
