// Numeric addresses as the system reads them, compared as addresses rather than as text: "::0"
// and "::" are one address, and so are "::ffff:10.0.0.1" and "10.0.0.1".
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace veltrim::platform {

struct IpAddress {
  // 4 bytes for IPv4, 16 for IPv6, in network order; an IPv4-mapped IPv6 address is kept as
  // its IPv4 address, which the resolver may answer for the same line.
  std::string bytes;
  friend bool operator==(const IpAddress& a, const IpAddress& b) { return a.bytes == b.bytes; }
  friend bool operator!=(const IpAddress& a, const IpAddress& b) { return !(a == b); }
};

// The address of `size` bytes in network order as the system hands them out: an in_addr's 4
// or an in6_addr's 16.
inline IpAddress IpAddressOfBytes(const void* bytes, std::size_t size) {
  static constexpr char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\xFF', '\xFF'};
  std::string address(static_cast<const char*>(bytes), size);
  if (size == 16 && address.compare(0, 12, kMapped, 12) == 0) address.erase(0, 12);
  return {address};
}

inline bool Holds(const std::vector<IpAddress>& addresses, const IpAddress& address) {
  return std::find(addresses.begin(), addresses.end(), address) != addresses.end();
}

// Each address once, in the order they came.
inline void AddOnce(std::vector<IpAddress>& addresses, const IpAddress& address) {
  if (!Holds(addresses, address)) addresses.push_back(address);
}

// The address written as `text` ("10.0.0.1", "::0", "fe80::1"), as the system's own parser
// reads it; nothing for any other text.
std::optional<IpAddress> ParseIpAddress(const std::string& text);

// The address in the system's usual text for it ("0.0.0.0", "::").
std::string IpAddressText(const IpAddress& address);

}  // namespace veltrim::platform
