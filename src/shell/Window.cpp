#include "Window.h"

#include <stdexcept>

#include "FixMessages.h"
#include "Win32Error.h"
#include "Win32Text.h"

namespace veltrim::shell {

namespace {

std::string Describe(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& known) {
    return hostfix::FailureMessage(known);
  } catch (...) {
    return hostfix::kUnexpectedError;
  }
}

}  // namespace

void RegisterWindowClass(const wchar_t* className, WNDPROC procedure, HBRUSH background, HICON icon,
                         HICON smallIcon) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hIconSm = smallIcon;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    platform::ThrowLastError("register the window class", platform::Narrow(className));
  }
}

void Window::CreateTopLevel(const wchar_t* className, const wchar_t* caption, DWORD style,
                            DWORD exStyle, HICON icon, HICON smallIcon) {
  RegisterWindowClass(className, Procedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon,
                      smallIcon);
  creationError_ = nullptr;
  HWND created = ::CreateWindowExW(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), this);
  if (creationError_) std::rethrow_exception(creationError_);
  if (created == nullptr)
    platform::ThrowLastError("create the window", platform::Narrow(className));
  windows_.Opened();
  counted_ = true;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_ACTIVATE && self->KeepFocus(wParam)) return 0;
  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    result = self->Failed(message, std::current_exception());
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    if (self->counted_) {
      self->counted_ = false;
      self->windows_.Closed();
    }
  }
  return result;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
  }
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Window::OnCreate() {
  const int dpi = WindowDpi(hwnd_);
  fonts_ = Fonts(dpi);
  CreateControls(hwnd_, layout_.controls, dpi, fonts_);
  OnCreated();
  CentreOnScreen(hwnd_, layout_.clientWidth, layout_.clientHeight, dpi);
}

// Pictures are stretched to their boxes, as at any DPI other than 96.
void Window::OnDpiChanged(int dpi, const RECT& suggested) {
  Fonts fonts(dpi);
  LayOutControls(hwnd_, layout_.controls, dpi, fonts);
  fonts_ = std::move(fonts);
  MoveForNewDpi(hwnd_, suggested);
}

bool Window::KeepFocus(WPARAM activation) {
  if (LOWORD(activation) == WA_INACTIVE) {
    HWND focus = ::GetFocus();
    focused_ = focus != nullptr && ::IsChild(hwnd_, focus) ? focus : nullptr;
    return false;
  }
  if (focused_ == nullptr || !::IsChild(hwnd_, focused_) || !::IsWindowVisible(focused_) ||
      !::IsWindowEnabled(focused_)) {
    return false;
  }
  ::SetFocus(focused_);
  return true;
}

LRESULT Window::Failed(UINT message, const std::exception_ptr& error) noexcept {
  // No exception may cross into the system's code that called the window procedure.
  if (message == WM_NCCREATE || message == WM_CREATE) {
    creationError_ = error;
    return message == WM_NCCREATE ? FALSE : -1;
  }
  try {
    desktop_.ShowMessage(Describe(error), platform::MessageButtons::Ok);
  } catch (...) {
    // Nothing is left to tell the user with; closing the window still ends the program.
  }
  ::DestroyWindow(hwnd_);
  return 0;
}

}  // namespace veltrim::shell
