#include "FixProcedure.h"

#include <exception>
#include <stdexcept>

#include "Address.h"
#include "SystemFolder.h"

namespace veltrim::shell {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;

// The browser runs with the desktop user's rights, not this program's: the page it opens may
// be one that a hosts entry was blocking for good reason. Only where the desktop shell cannot
// start it is it started from here.
void StartBrowser(platform::Desktop& desktop, const std::string& typed) {
  desktop.CheckProgramExists(kBrowserPath);
  if (desktop.StartThroughShell(kBrowserPath, typed, WindowState::MaximizedFocused)) return;
  // Quoted, so that the browser reads its own path whole from its command line.
  desktop.StartProgram(kBrowserPath, std::string("\"") + kBrowserPath + "\" " + typed,
                       WindowState::MaximizedFocused);
}

void Repair(FixView& view, platform::Desktop& desktop, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler, const std::string& host,
            const std::string& address) {
  const std::string systemFolder = hostfix::GetSystemFolder(desktop);
  // Without it the paths below would name files and a program in the current drive's root.
  if (systemFolder.empty()) {
    throw std::runtime_error("Could not find the Windows system folder, so nothing was changed.");
  }
  view.ShowWorkingState();

  view.SetProgressItem("Flushing DNS");
  // By full path, passed as the program to run: a bare "ipconfig" could run a program of that
  // name planted in the current folder, with administrator rights.
  const std::string ipconfig = systemFolder + "\\ipconfig.exe";
  desktop.StartProgram(ipconfig, ipconfig + " /flushdns", WindowState::Hidden);

  view.SetProgressItem("Clearing Hosts");
  const std::string folder = hostfix::HostFilesFolder(desktop, systemFolder);
  HostsHandler.ProcessFile(folder + "\\hosts", host);
  LmHostsHandler.ProcessFile(folder + "\\lmhosts", host);
  view.SetProgressItem("Completed");

  StartBrowser(desktop, address);
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
  // Without a host name, or with an IP address for one, no host file line could be at fault,
  // and a repair would comment out every line that maps the address, localhost included.
  if (hostfix::ExtractDomain(host).empty()) {
    desktop.ShowMessage("Invalid web address", MessageButtons::Ok);
    view.AskAgain();
    return;
  }
  try {
    Repair(view, desktop, HostsHandler, LmHostsHandler, host, hostfix::AddressForBrowser(typed));
  } catch (const std::exception& error) {
    desktop.ShowMessage(error.what(), MessageButtons::Ok);
  }
  view.Close();
}

}  // namespace veltrim::shell
