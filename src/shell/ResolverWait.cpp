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

// One look-up of a name at a time, through the resolver or of the network's name server: the
// next starts only once the last has come back, even one given up at its bound, so that a
// resolver that hangs is not asked ever more.
struct Asking {
  std::unique_ptr<platform::NameLookUp> lookUp;
  bool answered = false;
  std::uint64_t next = 0;

  // Lets go of a look-up that has answered once its thread has come back.
  void Tidy() {
    if (lookUp != nullptr && answered && !lookUp->StillOut()) lookUp.reset();
  }
  // After Tidy: given up at its bound, its thread still out.
  bool Abandoned() const { return lookUp != nullptr && answered; }
  bool CanStart(std::uint64_t now) const { return lookUp == nullptr && now >= next; }
  void Start(std::unique_ptr<platform::NameLookUp> started, std::uint64_t now) {
    lookUp = std::move(started);
    answered = false;
    next = now + kAskAgainMs;
  }
  // Its answer, once.
  std::optional<LookUpAnswer> Take() {
    if (lookUp == nullptr || answered) return std::nullopt;
    std::optional<LookUpAnswer> answer = lookUp->Answer();
    answered = answer.has_value();
    return answer;
  }
};

// One name, until the resolver answers it without an address of its repaired lines.
struct Watch {
  std::string name;
  std::vector<IpAddress> old;
  // The page's host, or its other name: these must be answered anew before the page opens.
  bool pageName = false;
  Asking lookUps;
  Asking queries;
  std::optional<LookUpOutcome> resolverSaid;
  // The resolver's last answer, where it held an old address.
  std::vector<IpAddress> oldAnswer;
  // What the network's own name server last said, asked past the resolver's cache and the
  // host files: an address it gives is no sign of the old file, and "no such name" from the
  // resolver means the repair only where it says so too.
  std::optional<LookUpAnswer> networkSaid;
  bool confirmed = false;
  // Neither the resolver nor the network knows the name.
  bool unknown = false;

  bool HoldsOld(const std::vector<IpAddress>& answer) const {
    const std::vector<IpAddress> none;
    const std::vector<IpAddress>& dns = networkSaid ? networkSaid->addresses : none;
    return std::any_of(answer.begin(), answer.end(), [&](const IpAddress& address) {
      return Holds(old, address) && !Holds(dns, address);
    });
  }

  // The resolver's last answer needs the network's word to be judged.
  bool NeedsNetwork() const {
    return resolverSaid == LookUpOutcome::NoSuchName || !oldAnswer.empty();
  }

  // No answer can tell whether the name was answered anew: the resolver gives none, or the
  // network none where its word is needed.
  bool CannotTell() const {
    return !resolverSaid || resolverSaid == LookUpOutcome::CannotAnswerNow ||
           (NeedsNetwork() &&
            (!networkSaid || networkSaid->outcome == LookUpOutcome::CannotAnswerNow));
  }

  void Judge() {
    if (!networkSaid) return;
    confirmed = confirmed || (!oldAnswer.empty() && !HoldsOld(oldAnswer));
    unknown = resolverSaid == LookUpOutcome::NoSuchName &&
              networkSaid->outcome == LookUpOutcome::NoSuchName;
    confirmed = confirmed || unknown;
  }

  // Takes in the network's answer, if it has come.
  std::optional<LookUpAnswer> TakeNetworkAnswer() {
    std::optional<LookUpAnswer> answer = queries.Take();
    if (answer) {
      networkSaid = answer;
      Judge();
    }
    return answer;
  }

  // Takes in the resolver's answer, if it has come, and asks again when it is time: only once,
  // when nothing was repaired. `mayStart` is false while too many look-ups hang.
  void Ask(platform::NameResolver& resolver, std::uint64_t now, bool waiting, bool mayStart) {
    if (mayStart && (waiting || !resolverSaid) && lookUps.CanStart(now)) {
      lookUps.Start(resolver.StartLookUp(name), now);
    }
    if (const std::optional<LookUpAnswer> answer = lookUps.Take()) {
      resolverSaid = answer->outcome;
      oldAnswer.clear();
      if (answer->outcome == LookUpOutcome::Addresses) {
        confirmed = !HoldsOld(answer->addresses);
        if (!confirmed) oldAnswer = answer->addresses;
      }
      Judge();
    }
    const bool networkCouldNot =
        !networkSaid || networkSaid->outcome == LookUpOutcome::CannotAnswerNow;
    if (waiting && mayStart && !confirmed && NeedsNetwork() && networkCouldNot &&
        queries.CanStart(now)) {
      queries.Start(resolver.StartNetworkQuery(name), now);
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
// them. Once through the repaired names at most, however many there are.
std::vector<Watch> Watched(const hostfix::PageAddress& page,
                           const std::vector<hostfix::RepairedName>& repaired) {
  std::vector<Watch> watched;
  const auto add = [&](const std::string& name, const hostfix::RepairedName* entry) {
    const bool known = std::any_of(watched.begin(), watched.end(), [&](const Watch& watch) {
      return hostfix::EqualIgnoringCase(watch.name, name);
    });
    // A name that no resolver answers (a "*" in it, say) would hold the wait to its bound.
    if (known || (!watched.empty() && entry == nullptr) || !hostfix::IsDnsName(name)) return;
    Watch& watch = watched.emplace_back();
    watch.name = name;
    if (entry != nullptr) watch.old = entry->addresses;
  };
  add(page.host, Find(repaired, page.host));
  const std::string other =
      hostfix::EqualIgnoringCase(page.host, page.Domain) ? "www." + page.Domain : page.Domain;
  add(other, Find(repaired, other));
  for (Watch& watch : watched) watch.pageName = true;
  for (const hostfix::RepairedName& entry : repaired) {
    if (watched.size() == kMostNamesLookedUp) break;
    add(entry.name, &entry);
  }
  return watched;
}

// Nothing needs confirming when nothing was repaired.
WaitResult Result(const std::vector<Watch>& watched, bool waiting, bool closed) {
  WaitResult result;
  result.closed = closed;
  result.pageConfirmed = std::all_of(watched.begin(), watched.end(), [&](const Watch& watch) {
    return watch.confirmed || !watch.pageName || !waiting;
  });
  for (const Watch& watch : watched) {
    if (!watch.confirmed && !watch.pageName) result.unanswered.push_back(watch.name);
  }
  return result;
}

// Waits until no name holds the page. For the page (`forThePage`), its host is asked of the
// network's own name server too, for a block or a name that does not exist.
WaitResult Wait(FixView& view, platform::Desktop& desktop, platform::NameResolver& resolver,
                std::vector<Watch> watched, bool waiting, bool forThePage) {
  Watch& host = watched.front();
  const std::uint64_t start = desktop.Milliseconds();
  if (forThePage) host.queries.Start(resolver.StartNetworkQuery(host.name), start);
  std::optional<std::uint64_t> firstNewAnswer;
  unsigned shown = 0;
  for (;;) {
    const std::uint64_t now = desktop.Milliseconds();
    std::size_t abandoned = 0;
    for (Watch& watch : watched) {
      watch.lookUps.Tidy();
      watch.queries.Tidy();
      abandoned += watch.lookUps.Abandoned() + watch.queries.Abandoned();
    }
    for (Watch& watch : watched) {
      const std::optional<LookUpAnswer> network = watch.TakeNetworkAnswer();
      if (forThePage && &watch == &host && network) {
        if (const std::optional<IpAddress> blocking = hostfix::BlockingAnswer(network->addresses)) {
          WaitResult result;
          result.blocking = blocking;
          return result;
        }
      }
      if (!watch.confirmed) watch.Ask(resolver, now, waiting, abandoned < kMostAbandoned);
      if (watch.confirmed && !firstNewAnswer) firstNewAnswer = now;
    }
    if (forThePage && host.unknown) {
      WaitResult result = Result(watched, waiting, false);
      result.unknown = true;
      return result;
    }
    // A name that no answer can tell about no longer holds the page once the grace after the
    // first new answer is over; the page's own names always do.
    const bool graceOver = firstNewAnswer && now - *firstNewAnswer >= kGraceMs;
    const bool held = std::any_of(watched.begin(), watched.end(), [&](const Watch& watch) {
      return waiting && !watch.confirmed && (watch.pageName || !graceOver || !watch.CannotTell());
    });
    // The page's host is looked at by the network's own name server before the page opens,
    // and by the resolver too, when nothing was repaired, to tell a name that does not exist.
    if (!held && (!forThePage || (host.networkSaid && (waiting || host.resolverSaid)))) {
      return Result(watched, waiting, false);
    }
    if (now - start >= kResolverWaitMs) return Result(watched, waiting, false);
    if (waiting && (now - start) / 1000 != shown) {
      shown = static_cast<unsigned>((now - start) / 1000);
      view.ShowWaited(shown);
    }
    const Paused paused = view.Pause(kLookUpPollMs);
    if (paused != Paused::Through) {
      WaitResult result = Result(watched, waiting, paused == Paused::Closed);
      result.cancelled = paused == Paused::Cancelled;
      return result;
    }
  }
}

}  // namespace

WaitResult WaitForResolver(FixView& view, platform::Desktop& desktop,
                           platform::NameResolver& resolver, const hostfix::PageAddress& page,
                           const std::vector<hostfix::RepairedName>& repaired) {
  const bool waiting = !repaired.empty();
  view.SetProgressItem(waiting ? "Waiting for DNS" : "Checking DNS");
  return Wait(view, desktop, resolver, Watched(page, repaired), waiting, true);
}

WaitResult WaitForUnblocked(FixView& view, platform::Desktop& desktop,
                            platform::NameResolver& resolver,
                            const std::vector<hostfix::RepairedName>& repaired) {
  std::vector<Watch> watched;
  for (const hostfix::RepairedName& entry : repaired) {
    if (watched.size() == kMostNamesLookedUp) break;
    if (!hostfix::IsDnsName(entry.name)) continue;
    Watch& watch = watched.emplace_back();
    watch.name = entry.name;
    watch.old = entry.addresses;
    watch.pageName = true;
  }
  if (watched.empty()) {
    WaitResult none;
    none.pageConfirmed = true;
    return none;
  }
  view.SetProgressItem("Waiting for DNS");
  return Wait(view, desktop, resolver, std::move(watched), true, false);
}

}  // namespace veltrim::shell
