// Before windows.h, which would otherwise bring the old sockets API.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "Win32NameLookUp.h"

#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "Scoped.h"
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

// The caller is never made to wait: GetAddrInfoW has no time limit of its own, and may hang
// while the resolver reads a long hosts file.
class DetachedLookUp final : public NameLookUp {
 public:
  DetachedLookUp(std::function<LookUpAnswer()> work, std::optional<std::uint64_t> boundMs)
      : shared_(std::make_shared<Shared>()), start_(::GetTickCount64()), boundMs_(boundMs) {
    try {
      std::thread([shared = shared_, work = std::move(work)] {
        // Nothing may leave a thread's function. Out of memory, as any failure of `work`, is
        // an answer that cannot be given now.
        LookUpAnswer answer;
        try {
          answer = work();
        } catch (...) {
          // Left as CannotAnswerNow.
        }
        try {
          const std::lock_guard<std::mutex> lock(shared->mutex);
          shared->answer = std::move(answer);
          shared->answeredAt = ::GetTickCount64();
        } catch (const std::system_error&) {
          // Unanswered, as a look-up that never comes back.
        }
      }).detach();
    } catch (const std::system_error&) {
      answer_ = shared_->answer = LookUpAnswer{};
    } catch (const std::bad_alloc&) {
      answer_ = shared_->answer = LookUpAnswer{};
    }
  }

  std::optional<LookUpAnswer> Answer() override {
    if (!answer_) {
      const std::lock_guard<std::mutex> lock(shared_->mutex);
      // An answer that came after the bound is as late as none.
      const ULONGLONG at = shared_->answer ? shared_->answeredAt : ::GetTickCount64();
      if (boundMs_ && at - start_ >= *boundMs_) {
        answer_ = LookUpAnswer{};
      } else if (shared_->answer) {
        answer_ = shared_->answer;
      }
    }
    return answer_;
  }

  bool StillOut() override {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return !shared_->answer;
  }

 private:
  // Outlives this object when the look-up is abandoned.
  struct Shared {
    std::mutex mutex;
    std::optional<LookUpAnswer> answer;
    ULONGLONG answeredAt = 0;
  };
  std::shared_ptr<Shared> shared_;
  ULONGLONG start_;
  std::optional<std::uint64_t> boundMs_;
  // Once given, the same for good, even where the thread answers after the bound.
  std::optional<LookUpAnswer> answer_;
};

}  // namespace

std::unique_ptr<NameLookUp> StartDetachedLookUp(std::function<LookUpAnswer()> work,
                                                std::optional<std::uint64_t> boundMs) {
  return std::make_unique<DetachedLookUp>(std::move(work), boundMs);
}

std::unique_ptr<NameLookUp> StartWin32LookUp(const std::string& host) {
  return StartDetachedLookUp([host = Widen(host)] { return Resolve(host); }, kLookUpMs);
}

}  // namespace veltrim::platform
