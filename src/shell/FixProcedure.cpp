#include "FixProcedure.h"

#include <exception>

#include "Address.h"
#include "SystemFolder.h"

namespace veltrim::shell {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;

// A host name of nothing but blanks would match every line of the host files.
bool NamesAHost(const std::string& typed) {
  std::string address = typed;
  std::string host = hostfix::ExtractDomain(address);
  return host.find_first_not_of(' ') != std::string::npos;
}

void ClearHostFile(platform::Platform& platform, hostfix::HostFileHandler& handler,
                   const std::string& typed, const char* relativePath) {
  std::string address = typed;
  handler.ProcessFile(hostfix::GetSystemFolder(platform) + relativePath,
                      hostfix::ExtractDomain(address));
}

void Repair(FixView& view, platform::Platform& platform, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler, const std::string& typed) {
  view.ShowWorkingState();

  view.SetProgressItem("Flushing DNS");
  // By full path: a bare "ipconfig" could run a program of that name planted in the current
  // folder, with administrator rights.
  const std::string ipconfig = hostfix::GetSystemFolder(platform) + "\\ipconfig.exe";
  platform.StartProgram(ipconfig, ipconfig + " /flushdns", WindowState::Hidden);

  view.SetProgressItem("Clearing Hosts");
  ClearHostFile(platform, HostsHandler, typed, "\\drivers\\etc\\hosts");
  ClearHostFile(platform, LmHostsHandler, typed, "\\drivers\\etc\\lmhosts");
  view.SetProgressItem("Completed");

  // Quoted, so that the blank in "Program Files" cannot make it C:\Program.exe.
  platform.StartProgram(kBrowserPath, std::string("\"") + kBrowserPath + "\" " + typed,
                        WindowState::MaximizedFocused);
  platform.Sleep(kBrowserHeadStartMs);
  view.TakeFocus();

  const char* const kReactivate =
      "You may now reactivate any web acceleration software that you use.";
  if (platform.ShowMessage("Did the Page load successfully?", MessageButtons::YesNo) ==
      MessageAnswer::Yes) {
    platform.ShowMessage(
        std::string("The correction will remain within the system.\r\n\r\n") + kReactivate,
        MessageButtons::Ok);
  } else {
    platform.ShowMessage(std::string("The problem is not DNS related.\r\n\r\n") + kReactivate,
                         MessageButtons::Ok);
  }
}

}  // namespace

void RunFix(FixView& view, platform::Platform& platform, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler) {
  const std::string typed = view.AddressText();
  if (typed == "http://" || !NamesAHost(typed)) {
    platform.ShowMessage("Invalid web address", MessageButtons::Ok);
    return;
  }
  try {
    Repair(view, platform, HostsHandler, LmHostsHandler, typed);
  } catch (const std::exception& error) {
    platform.ShowMessage(error.what(), MessageButtons::Ok);
  }
  view.Close();
}

}  // namespace veltrim::shell
