// What lives as long as the program: the two host-file handlers and its windows.
#pragma once

#include <windows.h>

#include "HostFileHandler.h"

namespace veltrim::shell {

class frmSplash;
class MainForm;

struct Application {
  hostfix::HostFileHandler& HostsHandler;
  hostfix::HostFileHandler& LmHostsHandler;
  frmSplash& splash;
  MainForm& main;
};

Application& App();

// Every window of the program reports here; the program ends when the last one closes.
void WindowOpened();
void WindowClosed();

// Start-up: creates the handlers, shows the disclaimer screen and runs the window loop until
// no window is left. Returns the program's exit code.
int Main();

}  // namespace veltrim::shell
