#include "FixProcedure.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Address.h"
#include "AsciiText.h"
#include "FixMessages.h"
#include "PageCheck.h"
#include "ResolverWait.h"
#include "SystemFolder.h"

namespace veltrim::shell {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;

// The page opens in the user's own browser, as the user, never with this program's rights: it
// may be one that a hosts entry was blocking for good reason, and the browser's dialogs would
// run as administrator too. So only the desktop shell opens it, and where the shell will not,
// the user is told to open the page themselves.
void OpenPage(platform::Desktop& desktop, const hostfix::PageAddress& page) {
  // Asked three times, a second apart, each time from scratch: Explorer may be restarting, or
  // still coming up, which takes a moment.
  constexpr int kAttempts = 3;
  for (int attempt = 1;; ++attempt) {
    if (desktop.OpenThroughShell(page.url, WindowState::MaximizedFocused)) return;
    if (attempt == kAttempts) break;
    desktop.Sleep(1000);
  }
  throw std::runtime_error(hostfix::CouldNotOpenThePage(page.asTyped));
}

// The names whose lines the last repair of both files commented out, each once.
std::vector<hostfix::RepairedName> RepairedByBoth(const hostfix::HostFileHandler& HostsHandler,
                                                  const hostfix::HostFileHandler& LmHostsHandler) {
  std::vector<hostfix::RepairedName> repaired = HostsHandler.RepairedNames();
  hostfix::AddRepaired(repaired, LmHostsHandler.RepairedNames());
  return repaired;
}

// The window closed after a repair: tells the user whether to open the page now or later.
void SayClosed(platform::Desktop& desktop, const hostfix::PageAddress& page, bool confirmed) {
  desktop.ShowMessage(
      confirmed ? hostfix::OpenItYourself(page.asTyped) : hostfix::ClosedBeforeWindowsRead(),
      MessageButtons::Ok);
}

void Repair(FixView& view, const FixSystem& system, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler, const hostfix::PageAddress& page) {
  platform::Desktop& desktop = system.desktop;
  const std::string systemFolder = hostfix::GetSystemFolder(system.settings);
  // Without it the paths below would name files and a program in the current drive's root.
  if (systemFolder.empty()) {
    throw std::runtime_error(hostfix::NoSystemFolder());
  }
  view.ShowWorkingState();

  view.SetProgressItem("Flushing DNS");
  // By full path, passed as the program to run: a bare "ipconfig" could run a program of that
  // name planted in the current folder, with administrator rights.
  // Quoted in its command line, so that it reads its own path whole, and started in its own
  // folder rather than in this program's current one.
  const std::string ipconfig = systemFolder + "\\ipconfig.exe";
  desktop.StartProgram(ipconfig, "\"" + ipconfig + "\" /flushdns", systemFolder,
                       WindowState::Hidden);

  view.SetProgressItem("Clearing Hosts");
  const std::string folder = hostfix::HostFilesFolder(system.settings, systemFolder);
  const std::vector<std::string> hostFiles = {folder + "\\hosts", folder + "\\lmhosts"};
  HostsHandler.ProcessFile(hostFiles[0], page.Domain);
  LmHostsHandler.ProcessFile(hostFiles[1], page.Domain);
  const std::vector<hostfix::RepairedName> repaired = RepairedByBoth(HostsHandler, LmHostsHandler);
  const WaitResult waited = WaitForResolver(view, desktop, system.resolver, page, repaired);
  std::vector<std::string> names(repaired.size());
  std::transform(repaired.begin(), repaired.end(), names.begin(),
                 [](const hostfix::RepairedName& name) { return name.name; });
  if (waited.blocking) {
    desktop.ShowMessage(
        hostfix::BlockedByTheNetwork(page.host, platform::IpAddressText(*waited.blocking), names),
        MessageButtons::Ok);
    return;
  }
  if (waited.unknown) {
    desktop.ShowMessage(hostfix::UnknownName(page.host, names), MessageButtons::Ok);
    return;
  }
  // Closing means stop, not "open the page now".
  if (waited.closed) {
    if (!repaired.empty()) SayClosed(desktop, page, waited.pageConfirmed);
    return;
  }

  // What the page needs beside its own name, read from the page once its own names answer
  // anew; Cancel, before or meanwhile, opens the page as it is.
  constexpr char kCancelled[] = "you pressed Cancel before Veltrim had read it";
  std::string unread = kCancelled;
  std::vector<hostfix::BlockedHost> declined;
  bool unblockedRead = true;
  std::string from = waited.cancelled || !waited.pageConfirmed ? "" : page.url;
  for (int round = 1; !from.empty(); ++round) {
    view.SetProgressItem("Checking page");
    const PageReading reading = ReadPage(view, system, from, hostFiles, round > 1);
    from.clear();
    if (reading.paused == Paused::Closed) {
      if (!repaired.empty()) SayClosed(desktop, page, true);
      return;
    }
    if (reading.paused == Paused::Cancelled) {
      unread = kCancelled;
      break;
    }
    if (reading.blockingAddress) {
      desktop.ShowMessage(
          hostfix::BlockedByTheNetwork(reading.networkBlocks,
                                       platform::IpAddressText(*reading.blockingAddress), names),
          MessageButtons::Ok);
      return;
    }
    unread = reading.unreadable;
    if (reading.blocked.empty()) break;
    if (desktop.ShowMessage(hostfix::UnblockTheHostsTooQuestion(reading.blocked),
                            MessageButtons::YesNo) != MessageAnswer::Yes) {
      declined = reading.blocked;
      break;
    }
    // Repaired as the page's own names are, and waited for as they are.
    std::vector<std::string> hosts;
    for (const hostfix::BlockedHost& each : reading.blocked) hosts.push_back(each.host);
    view.SetProgressItem("Clearing Hosts");
    HostsHandler.UnblockHosts(hostFiles[0], hosts);
    LmHostsHandler.UnblockHosts(hostFiles[1], hosts);
    std::vector<hostfix::RepairedName> unblocked = RepairedByBoth(HostsHandler, LmHostsHandler);
    for (const hostfix::RepairedName& name : unblocked) names.push_back(name.name);
    // A redirect's host first: the reading goes on from it once it answers anew.
    std::stable_partition(unblocked.begin(), unblocked.end(),
                          [&](const auto& name) { return name.name == hosts.front(); });
    const WaitResult again = WaitForUnblocked(view, desktop, system.resolver, unblocked);
    if (again.closed) {
      SayClosed(desktop, page, again.pageConfirmed);
      return;
    }
    unblockedRead = again.pageConfirmed;
    // Where a redirect's host was unblocked, the reading goes on from it, once more at most.
    if (!reading.stoppedAt.empty() && again.pageConfirmed && !again.cancelled) {
      if (round == 1) {
        from = reading.stoppedAt;
      } else {
        unread = "it sends the browser on through more blocked hosts than Veltrim follows";
      }
    }
  }
  view.SetProgressItem("Completed");

  OpenPage(desktop, page);
  desktop.Sleep(kBrowserHeadStartMs);
  view.TakeFocus();

  if (desktop.ShowMessage(hostfix::kDidThePageLoad, MessageButtons::YesNo) == MessageAnswer::Yes) {
    desktop.ShowMessage(hostfix::CorrectionRemains(), MessageButtons::Ok);
  } else {
    // "Not DNS related" only where the resolver was seen to answer without the repaired lines
    // and the page was read, needing no host that a line still blocks.
    desktop.ShowMessage(!waited.pageConfirmed || !unblockedRead ? hostfix::NotYetRead()
                        : !declined.empty()                     ? hostfix::StillBlocked(declined)
                        : !unread.empty()                       ? hostfix::PageNotRead(unread)
                        : !waited.unanswered.empty() ? hostfix::NotAnsweredAnew(waited.unanswered)
                                                     : hostfix::NotDnsRelated(),
                        MessageButtons::Ok);
  }
}

}  // namespace

void RunFix(FixView& view, const FixSystem& system, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler) {
  platform::Desktop& desktop = system.desktop;
  const std::optional<hostfix::PageAddress> page = hostfix::ReadAddress(view.AddressText());
  if (!page) {
    desktop.ShowMessage(hostfix::kInvalidWebAddress, MessageButtons::Ok);
    view.AskAgain();
    return;
  }
  try {
    Repair(view, system, HostsHandler, LmHostsHandler, *page);
  } catch (const std::exception& error) {
    desktop.ShowMessage(hostfix::FailureMessage(error), MessageButtons::Ok);
  }
  view.Close();
}

}  // namespace veltrim::shell
