// Start-up and the window loop.
#pragma once

namespace veltrim::shell {

// Creates the handlers and the windows, shows the disclaimer screen and runs the window loop
// until no window is left. Returns the program's exit code.
int Main();

}  // namespace veltrim::shell
