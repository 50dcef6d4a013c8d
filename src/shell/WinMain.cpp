#include <windows.h>

#include <cstdlib>
#include <exception>

#include "Application.h"
#include "FixMessages.h"
#include "SystemError.h"
#include "Win32Desktop.h"
#include "Win32Error.h"

// The library's own handler for an exception that nothing catches prints its demangled type
// to a console that this program does not have; the demangler alone would be a sixth of the
// program. Ending at once is all that is left to do then.
namespace __gnu_cxx {  // NOLINT(bugprone-reserved-identifier,cert-dcl58-cpp)
void __verbose_terminate_handler() { std::abort(); }  // NOLINT
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else is loaded: DLLs are then taken from the system folder only, never
  // from the program's own folder (often Downloads) or the current one, where anyone may have
  // left a DLL to be run with administrator rights.
  if (!::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    // It does not go on: every DLL it loaded from here on would be looked for in its own folder
    // first.
    const DWORD error = ::GetLastError();
    try {
      const veltrim::platform::SystemError failure(error, veltrim::platform::DescribeError(error),
                                                   "limit the search for DLLs to",
                                                   "the system folder");
      veltrim::platform::Win32Desktop().ShowMessage(veltrim::hostfix::FailureMessage(failure),
                                                    veltrim::platform::MessageButtons::Ok);
    } catch (const std::exception&) {
      // Not even a message box: nothing is left to tell the user with.
    }
    return 1;
  }
  try {
    return veltrim::shell::Main();
  } catch (const std::exception&) {
    return 1;
  }
}
