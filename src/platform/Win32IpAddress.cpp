// Before windows.h, which would otherwise bring the old sockets API.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "IpAddress.h"

#include <algorithm>

namespace veltrim::platform {

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
  // Numeric addresses are ASCII; a NUL would end the text early for the parser.
  if (std::any_of(text.begin(), text.end(),
                  [](char c) { return c == '\0' || static_cast<unsigned char>(c) >= 0x80; })) {
    return std::nullopt;
  }
  const std::wstring wide(text.begin(), text.end());
  IN_ADDR v4 = {};
  if (::InetPtonW(AF_INET, wide.c_str(), &v4) == 1) return IpAddressOfBytes(&v4, sizeof v4);
  IN6_ADDR v6 = {};
  if (::InetPtonW(AF_INET6, wide.c_str(), &v6) == 1) return IpAddressOfBytes(&v6, sizeof v6);
  return std::nullopt;
}

std::string IpAddressText(const IpAddress& address) {
  const int family = address.bytes.size() == sizeof(IN_ADDR)    ? AF_INET
                     : address.bytes.size() == sizeof(IN6_ADDR) ? AF_INET6
                                                                : AF_UNSPEC;
  if (family == AF_UNSPEC) return {};
  IN6_ADDR bytes = {};
  std::copy(address.bytes.begin(), address.bytes.end(), reinterpret_cast<char*>(&bytes));
  wchar_t text[INET6_ADDRSTRLEN] = {};
  if (::InetNtopW(family, &bytes, text, INET6_ADDRSTRLEN) == nullptr) return {};
  // The text is ASCII.
  const std::wstring wide(text);
  return std::string(wide.begin(), wide.end());
}

}  // namespace veltrim::platform
