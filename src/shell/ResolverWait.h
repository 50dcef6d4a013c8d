// The wait, after a repair, until the system's resolver answers without the repaired lines: a
// page opened before would still go to their addresses, and the user would answer that it did
// not load.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Address.h"
#include "Desktop.h"
#include "FixView.h"
#include "HostFileText.h"
#include "NameResolver.h"

namespace veltrim::shell {

// Windows' resolver reads a changed hosts file anew, which takes minutes for a long blocking
// list; the wait lasts this long at most.
inline constexpr unsigned kResolverWaitMs = 300000;
// A name whose answer was no confirmation is asked again this long after it was last asked.
inline constexpr unsigned kAskAgainMs = 250;
// Windows reads the whole hosts file in one go: once one name is answered anew, a name that
// still gets no answer at all is its name server's trouble, not the re-read. It holds the page
// this long after that first new answer, so that a look-up asked just before it has had its
// whole bound (platform::kLookUpMs) to answer.
inline constexpr unsigned kGraceMs = 5000;
// How often the wait looks whether a look-up has answered.
inline constexpr unsigned kLookUpPollMs = 10;
// The page's names first, then the other repaired ones, as many as are worth waiting for.
inline constexpr std::size_t kMostNamesLookedUp = 8;
// Look-ups that passed their bound but still hang in the system, in all: while this many are
// out, none is started, so that a resolver that hangs is not asked ever more.
inline constexpr std::size_t kMostAbandoned = 4;

struct WaitResult {
  // The page's host, and its other name where that was repaired, were answered without their
  // old addresses (nothing to wait for when nothing was repaired).
  bool pageConfirmed = false;
  // The other names looked up that were never answered anew: no name server answered them, or
  // Cancel came first.
  std::vector<std::string> unanswered;
  // The window was closed.
  bool closed = false;
  // The network's own name server blocks the page's host: the first address it answered.
  std::optional<platform::IpAddress> blocking;
  // Neither the resolver nor the network's own name server knows the page's host.
  bool unknown = false;
  // Cancel ended it: the user wants the page now.
  bool cancelled = false;
};

// Waits for the resolver to take in the repair of `repaired` (none: nothing was rewritten, and
// the page's host is asked of the resolver and the network once, to tell a block or an unknown
// name).
WaitResult WaitForResolver(FixView& view, platform::Desktop& desktop,
                           platform::NameResolver& resolver, const hostfix::PageAddress& page,
                           const std::vector<hostfix::RepairedName>& repaired);

// Waits, as for the page's own names, for the resolver to take in the repair of `repaired`,
// hosts that the page needs; each must be answered anew, eight at most.
WaitResult WaitForUnblocked(FixView& view, platform::Desktop& desktop,
                            platform::NameResolver& resolver,
                            const std::vector<hostfix::RepairedName>& repaired);

}  // namespace veltrim::shell
