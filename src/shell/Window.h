// A top-level window whose object is reached through GWLP_USERDATA, set at WM_NCCREATE.
#pragma once

#include <windows.h>

namespace veltrim::shell {

class Window {
 public:
  virtual ~Window() = default;
  HWND Handle() const { return hwnd_; }

 protected:
  // Registers `className` once, with this class's window procedure.
  static void Register(const char* className, HICON icon, HICON smallIcon);
  HWND CreateTopLevel(const char* className, const char* caption, DWORD style, DWORD exStyle);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace veltrim::shell
