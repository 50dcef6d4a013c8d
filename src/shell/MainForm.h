// The working window: the address box, "Fix It" and the progress of the fix.
#pragma once

#include "FixProcedure.h"
#include "Layout.h"
#include "Window.h"

namespace veltrim::shell {

class MainForm final : public Window, private FixView {
 public:
  // "Fix It" runs `fix` on the window.
  MainForm(OpenWindows& windows, platform::Desktop& desktop, Fix& fix);
  // Throws when the window cannot be created.
  void Show();

 private:
  void OnCommand(int id) override;
  void OnClose() override;

  // FixView
  std::string AddressText() override;
  void ShowWorkingState() override;
  void SetProgressItem(const std::string& caption) override;
  void ShowWaited(unsigned seconds) override;
  void TakeFocus() override;
  Paused Pause(unsigned milliseconds) override;
  void AskAgain() override;
  void Close() override;

  // The focus in the address box, the caret after its text.
  void FocusAddressAtEnd();

  Fix& fix_;
  bool fixing_ = false;
  // Cancel or Escape while a fix runs: it stops waiting and goes on.
  bool cancelled_ = false;
  // The close box, Alt+F4 or End task while a fix runs: it stops.
  bool closed_ = false;
  // The title shows how long the wait for the resolver has gone on.
  bool waitShown_ = false;
};

}  // namespace veltrim::shell
