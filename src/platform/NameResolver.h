// Host names looked up through the system's resolver, as any program looks them up, and asked
// of the network's own name servers past it. Names are ASCII.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "IpAddress.h"

namespace veltrim::platform {

// What a look-up of a host name came to.
enum class LookUpOutcome {
  Addresses,        // the name has these addresses
  NoSuchName,       // the name is unknown, or has no address
  CannotAnswerNow,  // the resolver or name server could not be asked, or gave no answer in time
};

struct LookUpAnswer {
  LookUpOutcome outcome = LookUpOutcome::CannotAnswerNow;
  std::vector<IpAddress> addresses;  // none unless the outcome is Addresses
};

// A look-up of a host name that runs on its own; one that never comes back is abandoned with
// the object.
class NameLookUp {
 public:
  virtual ~NameLookUp() = default;
  // Nothing while it runs; then its answer, the same every time it is asked.
  virtual std::optional<LookUpAnswer> Answer() = 0;
  // Whether its thread has yet to come back: one that passed its bound answers CannotAnswerNow
  // but may still hang in the system, and a name asked again meanwhile would add another.
  virtual bool StillOut() = 0;
};

// How long a direct query of the name servers (NameResolver::StartNetworkQuery) may take before it
// answers CannotAnswerNow.
inline constexpr std::uint64_t kNetworkQueryMs = 10000;
// How long a look-up through the resolver (NameResolver::StartLookUp) may take before it answers
// CannotAnswerNow: one that hangs is abandoned, and a new one may be asked.
inline constexpr std::uint64_t kLookUpMs = 5000;

class NameResolver {
 public:
  virtual ~NameResolver() = default;
  // Starts looking `host` up as any program on the system would (the resolver with its cache
  // and the host files), and returns at once. It answers CannotAnswerNow when no answer comes
  // within kLookUpMs.
  virtual std::unique_ptr<NameLookUp> StartLookUp(const std::string& host) = 0;
  // Starts asking the network's name servers directly for the addresses of `host` (A and AAAA
  // records), past the resolver's cache and the host files, and returns at once. It answers
  // CannotAnswerNow when no answer comes within kNetworkQueryMs.
  virtual std::unique_ptr<NameLookUp> StartNetworkQuery(const std::string& host) = 0;
};

}  // namespace veltrim::platform
