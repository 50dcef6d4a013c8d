// The native build's stand-in for the system's IDNA conversion, which ships only in its Win32
// form: the core converts only names in other alphabets, which natively are refused, and their
// conversion is tested against the system's under Wine.
#include "AsciiHostName.h"

namespace veltrim::platform {

std::optional<std::string> ToAsciiHostName(const std::string&) { return std::nullopt; }

}  // namespace veltrim::platform
