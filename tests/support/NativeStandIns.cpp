// The native build's stand-ins for the system's address parser and IDNA conversion, which the
// core calls and which ship only in their Win32 forms (tested under Wine).
#include <arpa/inet.h>
#include <netinet/in.h>

#include "AsciiHostName.h"
#include "IpAddress.h"

#include <algorithm>

namespace veltrim::platform {

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
  // A NUL would end the text early for the parser.
  if (text.find('\0') != std::string::npos) return std::nullopt;
  in_addr v4 = {};
  if (::inet_pton(AF_INET, text.c_str(), &v4) == 1) return IpAddressOfBytes(&v4, sizeof v4);
  in6_addr v6 = {};
  if (::inet_pton(AF_INET6, text.c_str(), &v6) == 1) return IpAddressOfBytes(&v6, sizeof v6);
  return std::nullopt;
}

std::string IpAddressText(const IpAddress& address) {
  const int family = address.bytes.size() == sizeof(in_addr)    ? AF_INET
                     : address.bytes.size() == sizeof(in6_addr) ? AF_INET6
                                                                : AF_UNSPEC;
  if (family == AF_UNSPEC) return {};
  in6_addr bytes = {};
  std::copy(address.bytes.begin(), address.bytes.end(), reinterpret_cast<char*>(&bytes));
  char text[INET6_ADDRSTRLEN] = {};
  if (::inet_ntop(family, &bytes, text, sizeof text) == nullptr) return {};
  return text;
}

// The core converts only names in other alphabets, which natively are refused: their
// conversion is tested against the system's under Wine.
std::optional<std::string> ToAsciiHostName(const std::string&) { return std::nullopt; }

}  // namespace veltrim::platform
