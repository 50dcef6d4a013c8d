#include "ResolverWait.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "AsciiText.h"

namespace veltrim::shell {

namespace {

using platform::Holds;
using platform::IpAddress;
using platform::LookUpAnswer;
using platform::LookUpOutcome;

// One name, until the resolver answers it without an address of its repaired lines.
struct Watch {
  std::string name;
  std::vector<IpAddress> old;
  // What the network's own name server gives the name: no sign of an old answer. Asked once
  // an answer holds an old address, or at once for the page's host.
  std::unique_ptr<platform::NameLookUp> network;
  bool networkAsked = false;
  std::vector<IpAddress> networkGives;
  std::unique_ptr<platform::NameLookUp> lookUp;
  std::uint64_t nextAsk = 0;
  std::optional<std::uint64_t> noSuchNameSince;
  // The resolver's last answer, where it held an old address.
  std::vector<IpAddress> lastAnswer;
  bool confirmed = false;

  void AskNetwork(platform::Desktop& desktop) {
    networkAsked = true;
    network = desktop.StartNetworkQuery(name);
  }

  bool HoldsOld(const std::vector<IpAddress>& answer) const {
    return std::any_of(answer.begin(), answer.end(), [&](const IpAddress& address) {
      return Holds(old, address) && !Holds(networkGives, address);
    });
  }

  // Takes in the network's answer, if it has come: the resolver's last answer is judged anew.
  std::optional<LookUpAnswer> TakeNetworkAnswer() {
    std::optional<LookUpAnswer> answer = network != nullptr ? network->Answer() : std::nullopt;
    if (!answer) return std::nullopt;
    network.reset();
    networkGives = answer->addresses;
    confirmed = confirmed || (!lastAnswer.empty() && !HoldsOld(lastAnswer));
    return answer;
  }

  // Takes in the resolver's answer, if it has come, and asks again when it is time.
  void Ask(platform::Desktop& desktop, std::uint64_t now) {
    if (lookUp == nullptr && now >= nextAsk) {
      nextAsk = now + kAskAgainMs;
      lookUp = desktop.StartLookUp(name);
    }
    const std::optional<LookUpAnswer> answer = lookUp != nullptr ? lookUp->Answer() : std::nullopt;
    if (!answer) return;
    lookUp.reset();
    if (answer->outcome != LookUpOutcome::NoSuchName) noSuchNameSince.reset();
    if (answer->outcome == LookUpOutcome::NoSuchName) {
      confirmed = noSuchNameSince.has_value();
      noSuchNameSince = now;
      nextAsk = now + kNoSuchNameAgainMs;
      lastAnswer.clear();
    } else if (answer->outcome == LookUpOutcome::Addresses) {
      confirmed = !HoldsOld(answer->addresses);
      lastAnswer = confirmed ? std::vector<IpAddress>() : answer->addresses;
      if (!confirmed && !networkAsked) AskNetwork(desktop);
    }
  }
};

const hostfix::RepairedName* Find(const std::vector<hostfix::RepairedName>& repaired,
                                  const std::string& name) {
  for (const hostfix::RepairedName& entry : repaired) {
    if (hostfix::EqualIgnoringCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

// The page's host, its other name with or without "www." where that was repaired, then the
// other repaired names in the order of the files: a page may send the browser on to any of
// them.
std::vector<Watch> Watched(const hostfix::PageAddress& page,
                           const std::vector<hostfix::RepairedName>& repaired) {
  std::vector<Watch> watched;
  const auto add = [&](const std::string& name) {
    const bool known = std::any_of(watched.begin(), watched.end(), [&](const Watch& watch) {
      return hostfix::EqualIgnoringCase(watch.name, name);
    });
    const hostfix::RepairedName* entry = Find(repaired, name);
    // A name that no resolver answers (a "*" in it, say) would hold the wait to its bound.
    if (known || watched.size() == kMostNamesLookedUp || (!watched.empty() && entry == nullptr) ||
        !hostfix::IsDnsName(name)) {
      return;
    }
    Watch& watch = watched.emplace_back();
    watch.name = name;
    if (entry != nullptr) watch.old = entry->addresses;
  };
  add(page.host);
  add(hostfix::EqualIgnoringCase(page.host, page.Domain) ? "www." + page.Domain : page.Domain);
  for (const hostfix::RepairedName& entry : repaired) add(entry.name);
  return watched;
}

// The network's answer for the page's host, where it gives blocking addresses alone.
std::optional<IpAddress> Blocking(const LookUpAnswer& answer) {
  if (answer.addresses.empty() ||
      !std::all_of(answer.addresses.begin(), answer.addresses.end(), hostfix::IsBlockingAddress)) {
    return std::nullopt;
  }
  return answer.addresses.front();
}

}  // namespace

WaitResult WaitForResolver(FixView& view, platform::Desktop& desktop,
                           const hostfix::PageAddress& page,
                           const std::vector<hostfix::RepairedName>& repaired) {
  const bool waiting = !repaired.empty();
  std::vector<Watch> watched = Watched(page, repaired);
  if (waiting) view.SetProgressItem("Waiting for DNS");
  watched.front().AskNetwork(desktop);
  const std::uint64_t start = desktop.Milliseconds();
  unsigned shown = 0;
  for (;;) {
    const std::uint64_t now = desktop.Milliseconds();
    for (Watch& watch : watched) {
      if (const std::optional<LookUpAnswer> answer = watch.TakeNetworkAnswer()) {
        const std::optional<IpAddress> blocking = Blocking(*answer);
        if (&watch == &watched.front() && blocking) return {false, false, blocking};
      }
      if (waiting && !watch.confirmed) watch.Ask(desktop, now);
    }
    // Without a repair there is nothing to wait for.
    const bool confirmed = std::all_of(watched.begin(), watched.end(), [&](const Watch& watch) {
      return watch.confirmed || !waiting;
    });
    // The page's host is looked at by the network's own name server before the page opens.
    if (confirmed && watched.front().network == nullptr) return {true, false, std::nullopt};
    if (now - start >= kResolverWaitMs) return {confirmed, false, std::nullopt};
    if (waiting && (now - start) / 1000 != shown) {
      shown = static_cast<unsigned>((now - start) / 1000);
      view.ShowWaited(shown);
    }
    const Paused paused = view.Pause(kLookUpPollMs);
    if (paused != Paused::Through) return {confirmed, paused == Paused::Closed, std::nullopt};
  }
}

}  // namespace veltrim::shell
