// The repair that "Fix It" runs, apart from the window that shows it.
#pragma once

#include <string>

#include "Desktop.h"
#include "HostFileHandler.h"

namespace veltrim::shell {

// What the fix procedure needs of the main window.
class FixView {
 public:
  virtual ~FixView() = default;
  // The typed text in UTF-8, every character kept.
  virtual std::string AddressText() = 0;
  // Hides the prompt and the address box, disables "Fix It" and shows the progress labels,
  // painted at once.
  virtual void ShowWorkingState() = 0;
  // Painted at once, although the procedure keeps the window from processing messages.
  virtual void SetProgressItem(const std::string& caption) = 0;
  virtual void TakeFocus() = 0;
  // Lets `milliseconds` pass with the window painting and answering; a second "Fix It" is
  // ignored. False, at once, when the user has pressed Cancel or Escape or closed the window.
  virtual bool Pause(unsigned milliseconds) = 0;
  // After a refused address: the window, as it was, takes the activation back from the message
  // box and puts the focus in the address box, so that the user can type again.
  virtual void AskAgain() = 0;
  virtual void Close() = 0;
};

inline constexpr unsigned kBrowserHeadStartMs = 4000;
// The system's resolver reads a changed hosts file anew, which takes minutes for a long
// blocking list; the page is opened once it answers without a repaired line's address, or
// after this long at most.
inline constexpr unsigned kResolverWaitMs = 120000;
// A look-up that has answered is asked again after this long; one that has not, is waited for.
inline constexpr unsigned kAskAgainMs = 250;
// How often the wait looks whether a look-up has answered.
inline constexpr unsigned kLookUpPollMs = 10;

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
