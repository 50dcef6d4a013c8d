#include "PictureBox.h"

#include "GdiObjects.h"
#include "GraphicAccessible.h"
#include "Win32Error.h"

namespace veltrim::shell {

namespace {

void Paint(HWND box) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(box, &paint);
  auto bitmap = reinterpret_cast<HBITMAP>(::GetWindowLongPtrW(box, GWLP_USERDATA));
  RECT client;
  ::GetClientRect(box, &client);
  BITMAP info = {};
  if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
    HDC source = ::CreateCompatibleDC(dc);
    {
      ScopedSelect select(source, bitmap);
      ::SetStretchBltMode(dc, HALFTONE);
      ::SetBrushOrgEx(dc, 0, 0, nullptr);
      ::StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight,
                   SRCCOPY);
    }
    ::DeleteDC(source);
  } else {
    ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  }
  ::EndPaint(box, &paint);
}

LRESULT CALLBACK Procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(box);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      ::SetFocus(box);
      return 0;
    case WM_GETOBJECT:
      return AnswerAsGraphic(box, wParam, lParam);
  }
  return ::DefWindowProcW(box, message, wParam, lParam);
}

}  // namespace

void RegisterPictureBox() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kPictureBoxClass;
  if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    platform::ThrowLastError("register the window class", "VeltrimPictureBox");
  }
}

void SetPicture(HWND box, HBITMAP bitmap) {
  ::SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
  ::InvalidateRect(box, nullptr, FALSE);
}

}  // namespace veltrim::shell
