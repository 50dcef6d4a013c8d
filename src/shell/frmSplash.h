// The disclaimer screen: terms of use, then Continue or Exit.
#pragma once

#include <memory>

#include "GdiObjects.h"
#include "Layout.h"
#include "Window.h"

namespace veltrim::shell {

class frmSplash final : public Window {
 public:
  void Show();
  // Escape pressed anywhere on the screen closes it: the screen sees keys before its controls.
  bool PreviewKey(const MSG& message);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate();
  void OnCommand(int id);
  void OnDestroy();

  std::unique_ptr<Fonts> fonts_;
  ScopedBitmap banner_;
};

}  // namespace veltrim::shell
