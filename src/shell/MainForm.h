// The working window: the address box, "Fix It" and the progress of the fix.
#pragma once

#include <memory>

#include "FixProcedure.h"
#include "Layout.h"
#include "Window.h"

namespace veltrim::shell {

class MainForm final : public Window, private FixView {
 public:
  MainForm(OpenWindows& windows, platform::Desktop& desktop, hostfix::HostFileHandler& HostsHandler,
           hostfix::HostFileHandler& LmHostsHandler)
      : Window(windows, desktop), HostsHandler_(HostsHandler), LmHostsHandler_(LmHostsHandler) {}
  // Throws when the window cannot be created.
  void Show();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate();
  void OnCommand(int id);
  void OnDpiChanged(int dpi, const RECT& suggested);

  // FixView
  std::string AddressText() override;
  void ShowWorkingState() override;
  void SetProgressItem(const std::string& caption) override;
  void TakeFocus() override;
  void AskAgain() override;
  void Close() override;

  HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
  // The focus in the address box, the caret after its text.
  void FocusAddressAtEnd();

  hostfix::HostFileHandler& HostsHandler_;
  hostfix::HostFileHandler& LmHostsHandler_;
  std::unique_ptr<Fonts> fonts_;
  bool fixing_ = false;
};

}  // namespace veltrim::shell
