// The disclaimer screen: terms of use, then Continue or Exit.
#pragma once

#include <memory>

#include "GdiObjects.h"
#include "Layout.h"
#include "MainForm.h"
#include "Window.h"

namespace veltrim::shell {

class frmSplash final : public Window {
 public:
  // Continue opens `main`.
  frmSplash(OpenWindows& windows, platform::Desktop& desktop, MainForm& main)
      : Window(windows, desktop), main_(main) {}
  // Throws when the screen cannot be created.
  void Show();
  // Escape pressed anywhere on the screen closes it: the screen sees keys before its controls.
  bool PreviewKey(const MSG& message);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate();
  void OnCommand(int id);
  void OnDpiChanged(int dpi, const RECT& suggested);

  MainForm& main_;
  std::unique_ptr<Fonts> fonts_;
  ScopedBitmap banner_;
};

}  // namespace veltrim::shell
