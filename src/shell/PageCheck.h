// The page read as a browser begins to read it, once the resolver answers its host anew: its
// redirects followed hop by hop, and the hosts its markup loads from, each matched against the
// host files. Most pages that a blocking list breaks are broken by such a host, not their own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "FixMessages.h"
#include "FixView.h"
#include "IpAddress.h"

namespace veltrim::shell {

struct FixSystem;

// A redirect chain longer than a browser's own is a loop, or a page that means harm.
inline constexpr std::size_t kMostHops = 10;
// Ample for a page's markup; what follows is not read.
inline constexpr std::size_t kMostPageBytes = std::size_t{4} << 20;
// The whole reading, every hop and look-up included.
inline constexpr unsigned kPageCheckMs = 15000;

struct PageReading {
  // Why the page could not be read, as a clause of hostfix::PageNotRead; empty when it was.
  std::string unreadable;
  // The hosts the page needs that lines of the host files block: the redirects' first, then
  // the markup's, each once.
  std::vector<hostfix::BlockedHost> blocked;
  // The address of a redirect whose host a line blocks, where the reading stopped.
  std::string stoppedAt;
  // A redirect's host that the network's own name server blocks, and what it answered.
  std::string networkBlocks;
  std::optional<platform::IpAddress> blockingAddress;
  // Cancel or the close box ended the reading.
  Paused paused = Paused::Through;
};

// Reads the page at `url`, a redirect's target where `redirected`; `hostFiles` are the paths of
// the host files the resolver reads.
PageReading ReadPage(FixView& view, const FixSystem& system, const std::string& url,
                     const std::vector<std::string>& hostFiles, bool redirected);

}  // namespace veltrim::shell
