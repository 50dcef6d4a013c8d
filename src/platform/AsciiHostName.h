// Host names in any alphabet, in the ASCII form ("xn--...") in which the resolver and the host
// files know them.
#pragma once

#include <optional>
#include <string>

namespace veltrim::platform {

// The ASCII form of a UTF-8 host name, as the system's IDNA conversion makes it, or nothing
// when it is no valid host name.
std::optional<std::string> ToAsciiHostName(const std::string& utf8);

}  // namespace veltrim::platform
