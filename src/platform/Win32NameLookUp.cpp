// Before windows.h, which would otherwise bring the old sockets API.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "Win32NameLookUp.h"

#include <mutex>
#include <thread>
#include <vector>

#include "Scoped.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

// The addresses the resolver gives `host`, in its numeric text; none where it fails.
std::vector<std::string> Resolve(const std::wstring& host) {
  std::vector<std::string> addresses;
  WSADATA version;
  if (::WSAStartup(MAKEWORD(2, 2), &version) != 0) return addresses;
  {
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ScopedAddrInfo found;
    if (::GetAddrInfoW(host.c_str(), nullptr, &hints, found.Out()) == 0) {
      for (const ADDRINFOW* entry = found.Get(); entry != nullptr; entry = entry->ai_next) {
        wchar_t text[NI_MAXHOST];
        if (::GetNameInfoW(entry->ai_addr, static_cast<socklen_t>(entry->ai_addrlen), text,
                           NI_MAXHOST, nullptr, 0, NI_NUMERICHOST) == 0) {
          addresses.push_back(Narrow(text));
        }
      }
    }
  }
  ::WSACleanup();
  return addresses;
}

// GetAddrInfoW has no time limit of its own, and the resolver may take minutes while it reads
// a long hosts file: the caller is never made to wait for it.
class Win32NameLookUp final : public NameLookUp {
 public:
  explicit Win32NameLookUp(std::wstring host) : shared_(std::make_shared<Shared>()) {
    std::thread([shared = shared_, host = std::move(host)] {
      std::vector<std::string> addresses;
      try {
        addresses = Resolve(host);
      } catch (...) {
        // Out of memory: answered as a failed look-up.
      }
      const std::lock_guard<std::mutex> lock(shared->mutex);
      shared->addresses = std::move(addresses);
      shared->done = true;
    }).detach();
  }

  std::optional<std::vector<std::string>> Answer() override {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    if (!shared_->done) return std::nullopt;
    return shared_->addresses;
  }

 private:
  // Outlives this object when the look-up is abandoned.
  struct Shared {
    std::mutex mutex;
    bool done = false;
    std::vector<std::string> addresses;
  };
  std::shared_ptr<Shared> shared_;
};

}  // namespace

std::unique_ptr<NameLookUp> StartWin32LookUp(const std::string& host) {
  return std::make_unique<Win32NameLookUp>(Widen(host));
}

}  // namespace veltrim::platform
