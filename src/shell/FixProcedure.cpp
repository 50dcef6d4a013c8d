#include "FixProcedure.h"

#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Address.h"
#include "AsciiText.h"
#include "SystemError.h"
#include "SystemFolder.h"

namespace veltrim::shell {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;

std::string OpenItYourself(const std::string& address) {
  return "The host files have been repaired. Open " + address +
         " in your browser now to see whether it loads.";
}

// The page opens in the user's own browser, as the user, never with this program's rights: it
// may be one that a hosts entry was blocking for good reason, and the browser's dialogs would
// run as administrator too. So only the desktop shell opens it, and where the shell will not,
// the user is told to open the page themselves.
void OpenPage(platform::Desktop& desktop, const std::string& url, const std::string& address) {
  // Asked three times, a second apart, each time from scratch: Explorer may be restarting, or
  // still coming up, which takes a moment.
  constexpr int kAttempts = 3;
  for (int attempt = 1;; ++attempt) {
    if (desktop.OpenThroughShell(url, WindowState::MaximizedFocused)) return;
    if (attempt == kAttempts) break;
    desktop.Sleep(1000);
  }
  throw std::runtime_error(
      "Veltrim could not open the page for you: the Windows desktop did not start the "
      "browser.\r\n\r\n" +
      OpenItYourself(address));
}

bool HoldsAnyOf(const std::vector<std::string>& answer, const std::vector<std::string>& stale) {
  for (const std::string& address : answer) {
    for (const std::string& old : stale) {
      if (hostfix::EqualIgnoringCase(address, old)) return true;
    }
  }
  return false;
}

// Until the system's resolver no longer answers for `host` with an address of a repaired line:
// a page opened before would still go there, and the user would answer that it did not load.
// An answer without the host, or a failed look-up, ends the wait too, and so do Cancel and the
// time limit; a look-up that does not come back by then is abandoned.
void WaitForResolver(FixView& view, platform::Desktop& desktop, const std::string& host,
                     const std::vector<std::string>& stale) {
  if (stale.empty()) return;
  view.SetProgressItem("Waiting for DNS");
  const std::uint64_t deadline = desktop.Milliseconds() + kResolverWaitMs;
  std::unique_ptr<platform::NameLookUp> lookUp;
  std::uint64_t nextAsk = 0;
  for (;;) {
    if (lookUp == nullptr && desktop.Milliseconds() >= nextAsk) {
      nextAsk = desktop.Milliseconds() + kAskAgainMs;
      lookUp = desktop.StartLookUp(host);
    }
    if (lookUp != nullptr) {
      if (const std::optional<platform::LookUpAnswer> answer = lookUp->Answer()) {
        std::vector<std::string> texts;
        for (const platform::IpAddress& address : answer->addresses) {
          texts.push_back(platform::IpAddressText(address));
        }
        if (!HoldsAnyOf(texts, stale)) return;
        lookUp.reset();
      }
    }
    if (desktop.Milliseconds() >= deadline || !view.Pause(kLookUpPollMs)) return;
  }
}

void Repair(FixView& view, platform::Desktop& desktop, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler, const std::string& host,
            const hostfix::Page& page, const std::string& address) {
  const std::string systemFolder = hostfix::GetSystemFolder(desktop);
  // Without it the paths below would name files and a program in the current drive's root.
  if (systemFolder.empty()) {
    throw std::runtime_error("Could not find the Windows system folder, so nothing was changed.");
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
  const std::string folder = hostfix::HostFilesFolder(desktop, systemFolder);
  HostsHandler.ProcessFile(folder + "\\hosts", host);
  LmHostsHandler.ProcessFile(folder + "\\lmhosts", host);
  std::vector<std::string> stale = HostsHandler.RepairedAddresses();
  for (const std::string& address : LmHostsHandler.RepairedAddresses()) stale.push_back(address);
  WaitForResolver(view, desktop, page.host, stale);
  view.SetProgressItem("Completed");

  OpenPage(desktop, page.url, address);
  desktop.Sleep(kBrowserHeadStartMs);
  view.TakeFocus();

  const char* const kReactivate =
      "You may now reactivate any web acceleration software that you use.";
  if (desktop.ShowMessage("Did the Page load successfully?", MessageButtons::YesNo) ==
      MessageAnswer::Yes) {
    desktop.ShowMessage(
        std::string("The correction will remain within the system.\r\n\r\n") + kReactivate,
        MessageButtons::Ok);
  } else {
    desktop.ShowMessage(std::string("The problem is not DNS related.\r\n\r\n") + kReactivate,
                        MessageButtons::Ok);
  }
}

}  // namespace

void RunFix(FixView& view, platform::Desktop& desktop, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler) {
  const std::string typed = view.AddressText();
  std::string host = typed;
  const std::optional<hostfix::Page> page = hostfix::PageToOpen(typed);
  // Without a host name, or with an IP address for one, no host file line could be at fault,
  // and a repair would comment out every line that maps the address, localhost included.
  // Without a web address, the shell would be handed something else to open.
  if (hostfix::ExtractDomain(host).empty() || !page) {
    desktop.ShowMessage("Invalid web address", MessageButtons::Ok);
    view.AskAgain();
    return;
  }
  try {
    Repair(view, desktop, HostsHandler, LmHostsHandler, host, *page,
           hostfix::AddressForBrowser(typed));
  } catch (const std::exception& error) {
    desktop.ShowMessage(error.what(), MessageButtons::Ok);
  }
  view.Close();
}

}  // namespace veltrim::shell
