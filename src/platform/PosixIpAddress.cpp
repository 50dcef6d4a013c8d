#include <arpa/inet.h>

#include "IpAddress.h"

namespace veltrim::platform {

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
  unsigned char bytes[16];
  if (::inet_pton(AF_INET, text.c_str(), bytes) == 1) {
    return IpAddress{std::string(reinterpret_cast<char*>(bytes), 4)};
  }
  if (::inet_pton(AF_INET6, text.c_str(), bytes) != 1) return std::nullopt;
  static const unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  const std::string all(reinterpret_cast<char*>(bytes), 16);
  if (all.compare(0, 12, reinterpret_cast<const char*>(kMapped), 12) == 0) {
    return IpAddress{all.substr(12)};
  }
  return IpAddress{all};
}

std::string IpAddressText(const IpAddress& address) {
  char text[INET6_ADDRSTRLEN] = {};
  ::inet_ntop(address.bytes.size() == 4 ? AF_INET : AF_INET6, address.bytes.data(), text,
              sizeof text);
  return text;
}

}  // namespace veltrim::platform
