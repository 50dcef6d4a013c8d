// The disclaimer screen: terms of use, then Continue or Exit.
#pragma once

#include "Layout.h"
#include "MainForm.h"
#include "Window.h"

namespace veltrim::shell {

class DisclaimerForm final : public Window {
 public:
  // Continue opens `main`.
  DisclaimerForm(OpenWindows& windows, platform::Desktop& desktop, MainForm& main);
  // Throws when the screen cannot be created.
  void Show();
  // Escape pressed anywhere on the screen closes it: the screen sees keys before its controls.
  bool PreviewKey(const MSG& message);

 private:
  void OnCreated() override;
  void OnCommand(int id) override;

  MainForm& main_;
  platform::ScopedBitmap banner_;
};

}  // namespace veltrim::shell
