// The working window: the address box, "Fix It" and the progress of the fix.
#pragma once

#include <memory>

#include "FixProcedure.h"
#include "Layout.h"
#include "Window.h"

namespace veltrim::shell {

class MainForm final : public Window, private FixView {
 public:
  void Show();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate();
  void OnCommand(int id);
  void OnDestroy();

  // FixView
  std::string AddressText() override;
  void ShowWorkingState() override;
  void SetProgressItem(const std::string& caption) override;
  void TakeFocus() override;
  void Close() override;

  HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }

  std::unique_ptr<Fonts> fonts_;
  bool fixing_ = false;
};

}  // namespace veltrim::shell
