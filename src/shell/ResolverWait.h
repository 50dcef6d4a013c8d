// The wait, after a repair, until the system's resolver answers without the repaired lines: a
// page opened before would still go to their addresses, and the user would answer that it did
// not load.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "Address.h"
#include "Desktop.h"
#include "FixView.h"
#include "HostFileText.h"

namespace veltrim::shell {

// Windows' resolver reads a changed hosts file anew, which takes minutes for a long blocking
// list; the wait lasts this long at most.
inline constexpr unsigned kResolverWaitMs = 300000;
// A name whose answer was no confirmation is asked again this long after it was last asked.
inline constexpr unsigned kAskAgainMs = 250;
// "No such name" counts only when it holds again after this long: a resolver that is reading
// its files anew may answer so for a moment.
inline constexpr unsigned kNoSuchNameAgainMs = 1000;
// How often the wait looks whether a look-up has answered.
inline constexpr unsigned kLookUpPollMs = 10;
// The page's names first, then the other repaired ones, as many as are worth waiting for.
inline constexpr std::size_t kMostNamesLookedUp = 8;

struct WaitResult {
  // Every name looked up was answered without its old addresses; not so when Cancel, the
  // bound or the close box came first.
  bool confirmed = false;
  // The window was closed.
  bool closed = false;
  // The network's own name server blocks the page's host: the first address it answered.
  std::optional<platform::IpAddress> blocking;
};

// Waits for the resolver to take in the repair of `repaired` (none: nothing was rewritten, and
// only the network's own answer for the page's host is looked at).
WaitResult WaitForResolver(FixView& view, platform::Desktop& desktop,
                           const hostfix::PageAddress& page,
                           const std::vector<hostfix::RepairedName>& repaired);

}  // namespace veltrim::shell
