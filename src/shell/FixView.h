// What the fix procedure needs of the main window.
#pragma once

#include <string>

namespace veltrim::shell {

// How a pause of the fix ended.
enum class Paused { Through, Cancelled, Closed };

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
  // How long the wait for the resolver has gone on, so that the user sees that it is alive.
  virtual void ShowWaited(unsigned seconds) = 0;
  virtual void TakeFocus() = 0;
  // Lets `milliseconds` pass with the window painting and answering; a second "Fix It" is
  // ignored. Ends at once when the user presses Cancel or Escape, or closes the window.
  virtual Paused Pause(unsigned milliseconds) = 0;
  // After a refused address: the window, as it was, takes the activation back from the message
  // box and puts the focus in the address box, so that the user can type again.
  virtual void AskAgain() = 0;
  virtual void Close() = 0;
};

}  // namespace veltrim::shell
