#include "FixProcedure.h"

#include <exception>
#include <stdexcept>

#include "Address.h"
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

// The browser runs with the desktop user's rights, never with this program's: the page it
// opens may be one that a hosts entry was blocking for good reason, and its dialogs would run
// as administrator too. So only the desktop shell starts it, and where the shell will not, the
// user is told to open the page themselves.
void StartBrowser(platform::Desktop& desktop, const std::string& address) {
  const std::string browser = desktop.ProgramFilesFolder() + kBrowserInProgramFiles;
  try {
    desktop.CheckProgramExists(browser);
  } catch (const platform::SystemError& error) {
    // The repair is done by now: the user is not to think that nothing happened.
    throw std::runtime_error(std::string(error.what()) + "\r\n\r\n" + OpenItYourself(address));
  }
  // Asked twice, from scratch: Explorer may be restarting.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (desktop.StartThroughShell(browser, address, WindowState::MaximizedFocused)) return;
  }
  throw std::runtime_error(
      "Veltrim could not open the page for you: the Windows desktop did not start the "
      "browser.\r\n\r\n" +
      OpenItYourself(address));
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
  // Quoted in its command line, so that it reads its own path whole, and started in its own
  // folder rather than in this program's current one.
  const std::string ipconfig = systemFolder + "\\ipconfig.exe";
  desktop.StartProgram(ipconfig, "\"" + ipconfig + "\" /flushdns", systemFolder,
                       WindowState::Hidden);

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
