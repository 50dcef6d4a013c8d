// Before windows.h, which would otherwise bring the old sockets API.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "Win32NameLookUp.h"

#include <utility>
#include <vector>

#include "Scoped.h"
#include "Win32Detached.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

// What the resolver gives `host`: its addresses as they came, each once.
LookUpAnswer Resolve(const std::wstring& host) {
  const ScopedWinsock winsock;
  if (!winsock.Started()) return {};
  ADDRINFOW hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  ScopedAddrInfo found;
  switch (::GetAddrInfoW(host.c_str(), nullptr, &hints, found.Out())) {
    case 0:
      break;
    // No such host, or a name without an address.
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
      return {LookUpOutcome::NoSuchName, {}};
    // WSATRY_AGAIN and WSANO_RECOVERY among them: the resolver could not tell.
    default:
      return {};
  }
  LookUpAnswer answer{LookUpOutcome::NoSuchName, {}};
  for (const ADDRINFOW* entry = found.Get(); entry != nullptr; entry = entry->ai_next) {
    std::optional<IpAddress> address;
    if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
      address = IpAddressOfBytes(&v4->sin_addr, sizeof v4->sin_addr);
    } else if (entry->ai_family == AF_INET6 && entry->ai_addrlen >= sizeof(sockaddr_in6)) {
      const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
      address = IpAddressOfBytes(&v6->sin6_addr, sizeof v6->sin6_addr);
    }
    if (address) AddOnce(answer.addresses, *address);
  }
  if (!answer.addresses.empty()) answer.outcome = LookUpOutcome::Addresses;
  return answer;
}

}  // namespace

std::unique_ptr<NameLookUp> StartDetachedLookUp(std::function<LookUpAnswer()> work,
                                                std::optional<std::uint64_t> boundMs) {
  // GetAddrInfoW has no time limit of its own, and may hang while the resolver reads a long
  // hosts file.
  return std::make_unique<Detached<NameLookUp, LookUpAnswer>>(std::move(work), boundMs,
                                                              LookUpAnswer{}, LookUpAnswer{});
}

std::unique_ptr<NameLookUp> StartWin32LookUp(const std::string& host) {
  return StartDetachedLookUp([host = Widen(host)] { return Resolve(host); }, kLookUpMs);
}

}  // namespace veltrim::platform
