// A top-level window whose object is reached through GWLP_USERDATA, set at WM_NCCREATE.
#pragma once

#include <windows.h>

#include <exception>

#include "Desktop.h"

namespace veltrim::shell {

// Counts the program's open windows: the program ends when the last one closes.
class OpenWindows {
 public:
  void Opened() { ++count_; }
  void Closed() {
    if (--count_ == 0) ::PostQuitMessage(0);
  }

 private:
  int count_ = 0;
};

class Window {
 public:
  Window(OpenWindows& windows, platform::Desktop& desktop) : windows_(windows), desktop_(desktop) {}
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window() = default;
  HWND Handle() const { return hwnd_; }

 protected:
  // Registers `className` once, with this class's window procedure. Throws SystemError.
  static void Register(const wchar_t* className, HICON icon, HICON smallIcon);
  // Throws what went wrong when the window cannot be created, its own handlers' errors
  // included.
  void CreateTopLevel(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle);
  // May throw: an error while the window is created makes the creation fail; any later one is
  // reported to the user and closes the window.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  platform::Desktop& Desktop() const { return desktop_; }
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // What the window procedure answers after HandleMessage threw.
  LRESULT Failed(UINT message, const std::exception_ptr& error) noexcept;
  // A window that is not a dialog keeps its focus across a message box or a switch to another
  // program only if it remembers it itself. True when the focus was given back.
  bool KeepFocus(WPARAM activation);

  OpenWindows& windows_;
  platform::Desktop& desktop_;
  HWND hwnd_ = nullptr;
  bool counted_ = false;
  HWND focused_ = nullptr;
  std::exception_ptr creationError_;
};

}  // namespace veltrim::shell
