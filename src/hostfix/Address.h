#pragma once

#include <string>

namespace veltrim::hostfix {

// Reduces a typed web address to the host name that the host files are searched for: drops a
// leading "http://", then a leading "www.", then everything from the first "/". The comparisons
// are case-sensitive. `Address` is reduced in place and also returned.
std::string ExtractDomain(std::string& Address);

}  // namespace veltrim::hostfix
