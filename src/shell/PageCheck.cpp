#include "PageCheck.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <unordered_set>

#include "Address.h"
#include "AsciiText.h"
#include "BlockingLines.h"
#include "FixProcedure.h"
#include "HostFileText.h"
#include "PageMarkup.h"

namespace veltrim::shell {

namespace {

using platform::FetchAnswer;
using platform::FetchOutcome;
using platform::IpAddress;
using platform::LookUpAnswer;

// The host files as they are now, to match hosts against; a file that cannot be read, or is
// no list of lines, blocks nothing that this could name.
struct HostFiles {
  std::vector<std::string> paths;
  std::vector<std::string> bytes;

  HostFiles(platform::FileSystem& files, const std::vector<std::string>& hostFiles)
      : paths(hostFiles) {
    for (const std::string& path : paths) {
      std::string read;
      try {
        if (files.KindOf(path) == platform::PathKind::File) {
          read = files.ReadFile(path, hostfix::kMaxHostFileBytes);
        }
      } catch (const std::exception&) {
        // The repair would have said so; nothing of it is matched.
      }
      bytes.push_back(std::move(read));
    }
  }

  // Each of `hosts` that a line names, with the first such line, in the order given.
  std::vector<hostfix::BlockedHost> Blocking(const std::vector<std::string>& hosts) const {
    std::vector<hostfix::BlockedHost> first(hosts.size());
    for (std::size_t file = paths.size(); file-- > 0;) {
      const std::vector<std::size_t> lines = hostfix::FirstLinesNaming(bytes[file], hosts);
      for (std::size_t i = 0; i < hosts.size(); ++i) {
        if (lines[i] != 0) first[i] = {hosts[i], paths[file], lines[i]};
      }
    }
    std::vector<hostfix::BlockedHost> blocked;
    std::copy_if(first.begin(), first.end(), std::back_inserter(blocked),
                 [](const hostfix::BlockedHost& each) { return each.line != 0; });
    return blocked;
  }
};

constexpr char kTooLong[] = "it did not answer within 15 seconds";
constexpr char kNotFollowed[] =
    "it sends the browser on to an address that Veltrim does not follow (another kind of "
    "address, a number or this computer)";

bool IsHtml(const std::string& contentType) {
  const std::string type = hostfix::AsciiLowered(contentType.substr(0, contentType.find(';')));
  return type.find("text/html") != std::string::npos ||
         type.find("application/xhtml+xml") != std::string::npos;
}

std::string WhyUnread(const FetchAnswer& answer) {
  switch (answer.outcome) {
    case FetchOutcome::CertificateError:
      return "the site's certificate is not one that Windows trusts (error " +
             std::to_string(answer.error) + ")";
    case FetchOutcome::TimedOut:
      return "the site did not answer in time";
    default:
      return "the site did not answer (error " + std::to_string(answer.error) + ")";
  }
}

// Waits, with the window painting, until `ready` or the deadline; what ended the wait.
template <typename Ready>
Paused WaitUntil(FixView& view, platform::Desktop& desktop, std::uint64_t deadline, Ready ready) {
  while (!ready() && desktop.Milliseconds() < deadline) {
    const Paused paused = view.Pause(10);
    if (paused != Paused::Through) return paused;
  }
  return Paused::Through;
}

// Asks the resolver and the network's name server where `host`, a redirect's, leads; says in
// `reading` where it may not be followed.
Paused CheckHop(FixView& view, const FixSystem& system, std::uint64_t deadline,
                const std::string& host, PageReading& reading) {
  const std::unique_ptr<platform::NameLookUp> lookUp = system.resolver.StartLookUp(host);
  const std::unique_ptr<platform::NameLookUp> query = system.resolver.StartNetworkQuery(host);
  const Paused paused = WaitUntil(view, system.desktop, deadline, [&] {
    return lookUp->Answer().has_value() && query->Answer().has_value();
  });
  const std::optional<LookUpAnswer> network = query->Answer();
  const std::optional<LookUpAnswer> local = lookUp->Answer();
  if (paused != Paused::Through) return paused;
  if (!network || !local) {
    reading.unreadable = kTooLong;
    return Paused::Through;
  }
  reading.blockingAddress = hostfix::BlockingAnswer(network->addresses);
  if (reading.blockingAddress) {
    reading.networkBlocks = host;
  } else if (std::any_of(local->addresses.begin(), local->addresses.end(),
                         hostfix::IsBlockingAddress)) {
    reading.unreadable = kNotFollowed;
  }
  return Paused::Through;
}

}  // namespace

PageReading ReadPage(FixView& view, const FixSystem& system, const std::string& url,
                     const std::vector<std::string>& hostFiles, bool redirected) {
  PageReading reading;
  const HostFiles files(system.files, hostFiles);
  const std::uint64_t deadline = system.desktop.Milliseconds() + kPageCheckMs;
  std::vector<std::string> needed;
  std::string at = url;
  for (std::size_t hop = 0;; ++hop) {
    const std::optional<hostfix::PageAddress> page = hostfix::ReadAddress(at);
    if (!page) {
      reading.unreadable = kNotFollowed;
      return reading;
    }
    const std::string host = hostfix::AsciiLowered(page->host);
    if (hop > 0) {
      needed.push_back(host);
      // Not followed where a line blocks it: the reading goes on once it is unblocked.
      if (!files.Blocking({host}).empty()) {
        reading.stoppedAt = page->url;
        break;
      }
    }
    if (hop == kMostHops) {
      reading.unreadable = "it sends the browser on more than 10 times";
      return reading;
    }
    // Where a redirect leads, the resolver and the network's name server are asked first: it
    // is never followed to this computer's own services, nor past a block of the network's.
    // The page's own host the wait has asked already.
    if (hop > 0 || redirected) {
      const Paused paused = CheckHop(view, system, deadline, host, reading);
      if (paused != Paused::Through || !reading.unreadable.empty() || reading.blockingAddress) {
        reading.paused = paused;
        return reading;
      }
    }
    const std::uint64_t now = system.desktop.Milliseconds();
    if (now >= deadline) {
      reading.unreadable = kTooLong;
      return reading;
    }
    const std::unique_ptr<platform::WebFetch> fetch =
        system.web.StartFetch(page->url, kMostPageBytes, deadline - now);
    // Its answer, a page of megabytes, is taken once it has come.
    reading.paused = WaitUntil(view, system.desktop, deadline, [&] { return !fetch->StillOut(); });
    if (reading.paused != Paused::Through) return reading;
    const std::optional<FetchAnswer> answer = fetch->Answer();
    if (!answer) {
      reading.unreadable = kTooLong;
      return reading;
    }
    if (answer->outcome != FetchOutcome::Response) {
      reading.unreadable = WhyUnread(*answer);
      return reading;
    }
    if (answer->status >= 300 && answer->status < 400 && !answer->location.empty()) {
      const std::optional<std::string> next = hostfix::RedirectTarget(page->url, answer->location);
      at = next ? *next : std::string();
      continue;
    }
    // Nothing that the site sends reaches a message: the type is only looked at.
    if (!IsHtml(answer->contentType)) {
      reading.unreadable = "it is not a web page";
      return reading;
    }
    const std::unordered_set<std::string> hops(needed.begin(), needed.end());
    for (std::string& each : hostfix::NeededHosts(answer->body, *page)) {
      if (hops.count(each) == 0) needed.push_back(std::move(each));
    }
    break;
  }
  reading.blocked = files.Blocking(needed);
  return reading;
}

}  // namespace veltrim::shell
