// A top-level window whose object is reached through GWLP_USERDATA, set at WM_NCCREATE, with
// its controls made from a twips table and laid out again from it at every new DPI.
#pragma once

#include <windows.h>

#include <exception>
#include <vector>

#include "Desktop.h"
#include "Layout.h"

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

// Registers a window class with `procedure`, once. Throws SystemError.
void RegisterWindowClass(const wchar_t* className, WNDPROC procedure, HBRUSH background,
                         HICON icon = nullptr, HICON smallIcon = nullptr);

// A window's controls, in tab order, and its client area, in twips.
struct WindowLayout {
  const std::vector<ControlLayout>& controls;
  int clientWidth;
  int clientHeight;
};

class Window {
 public:
  Window(OpenWindows& windows, platform::Desktop& desktop, const WindowLayout& layout)
      : windows_(windows), desktop_(desktop), layout_(layout) {}
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window() = default;
  HWND Handle() const { return hwnd_; }

 protected:
  // Registers `className`, with the window procedure of every Window, and creates the window
  // centred on the screen, its controls laid out. Throws what went wrong when it cannot be
  // created, its own handlers' errors included.
  void CreateTopLevel(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                      HICON icon = nullptr, HICON smallIcon = nullptr);
  // The window's handlers may throw: an error while the window is created makes the creation
  // fail; any later one is reported to the user and closes the window.
  // Runs once the controls exist, before the window is centred.
  virtual void OnCreated() {}
  // A control's command: a click, or Escape as the dialog manager sends it.
  virtual void OnCommand(int id) = 0;
  // The close box, Alt+F4 or the system menu's Close: the window goes, unless a window that is
  // busy says otherwise.
  virtual void OnClose() { ::DestroyWindow(hwnd_); }
  platform::Desktop& Desktop() const { return desktop_; }
  const Fonts& WindowFonts() const { return fonts_; }
  HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void OnDpiChanged(int dpi, const RECT& suggested);
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // What the window procedure answers after HandleMessage threw.
  LRESULT Failed(UINT message, const std::exception_ptr& error) noexcept;
  // A window that is not a dialog keeps its focus across a message box or a switch to another
  // program only if it remembers it itself. True when the focus was given back.
  bool KeepFocus(WPARAM activation);

  OpenWindows& windows_;
  platform::Desktop& desktop_;
  WindowLayout layout_;
  Fonts fonts_;
  HWND hwnd_ = nullptr;
  bool counted_ = false;
  HWND focused_ = nullptr;
  std::exception_ptr creationError_;
};

}  // namespace veltrim::shell
