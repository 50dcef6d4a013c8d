// The repair that "Fix It" runs, apart from the window that shows it.
#pragma once

#include "Desktop.h"
#include "FixView.h"
#include "HostFileHandler.h"

namespace veltrim::shell {

inline constexpr unsigned kBrowserHeadStartMs = 4000;

// Runs the whole fix. A failure is reported in one message box and, like a fix that runs to
// its end, closes the window.
void RunFix(FixView& view, platform::Desktop& desktop, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler);

// The fix with what it works on, for the window that only starts it.
class Fix {
 public:
  Fix(platform::Desktop& desktop, hostfix::HostFileHandler& HostsHandler,
      hostfix::HostFileHandler& LmHostsHandler)
      : desktop_(desktop), HostsHandler_(HostsHandler), LmHostsHandler_(LmHostsHandler) {}
  void Run(FixView& view) { RunFix(view, desktop_, HostsHandler_, LmHostsHandler_); }

 private:
  platform::Desktop& desktop_;
  hostfix::HostFileHandler& HostsHandler_;
  hostfix::HostFileHandler& LmHostsHandler_;
};

}  // namespace veltrim::shell
