// Numeric addresses are ASCII, so the sockets API's own parser and writer serve on either
// system, and the native suite runs the code that ships.
#ifdef _WIN32
// Before windows.h, which would otherwise bring the old sockets API.
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include "IpAddress.h"

#include <algorithm>

namespace veltrim::platform {

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
  // A NUL would end the text early for the parser; any other byte past ASCII is no digit.
  if (std::any_of(text.begin(), text.end(),
                  [](char c) { return c == '\0' || static_cast<unsigned char>(c) >= 0x80; })) {
    return std::nullopt;
  }
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

}  // namespace veltrim::platform
