// The repair that "Fix It" runs, apart from the window that shows it.
#pragma once

#include "Desktop.h"
#include "FileSystem.h"
#include "FixView.h"
#include "HostFileHandler.h"
#include "NameResolver.h"
#include "SystemSettings.h"
#include "WebReader.h"

namespace veltrim::shell {

inline constexpr unsigned kBrowserHeadStartMs = 4000;

// What the fix asks of the system, beside the host files.
struct FixSystem {
  platform::SystemSettings& settings;
  platform::Desktop& desktop;
  platform::NameResolver& resolver;
  platform::WebReader& web;
  // The host files, read again to match the hosts that the page needs.
  platform::FileSystem& files;
};

// Runs the whole fix. A failure is reported in one message box and, like a fix that runs to
// its end, closes the window.
void RunFix(FixView& view, const FixSystem& system, hostfix::HostFileHandler& HostsHandler,
            hostfix::HostFileHandler& LmHostsHandler);

// The fix with what it works on, for the window that only starts it.
class Fix {
 public:
  Fix(const FixSystem& system, hostfix::HostFileHandler& HostsHandler,
      hostfix::HostFileHandler& LmHostsHandler)
      : system_(system), HostsHandler_(HostsHandler), LmHostsHandler_(LmHostsHandler) {}
  void Run(FixView& view) { RunFix(view, system_, HostsHandler_, LmHostsHandler_); }

 private:
  FixSystem system_;
  hostfix::HostFileHandler& HostsHandler_;
  hostfix::HostFileHandler& LmHostsHandler_;
};

}  // namespace veltrim::shell
