#include "PictureBox.h"

#include "GraphicAccessible.h"
#include "Scoped.h"
#include "Window.h"

namespace veltrim::shell {

namespace {

void Paint(HWND box) {
  platform::ScopedPaint paint(box);
  HDC dc = paint.Get();
  auto bitmap = reinterpret_cast<HBITMAP>(::GetWindowLongPtrW(box, GWLP_USERDATA));
  RECT client;
  ::GetClientRect(box, &client);
  BITMAP info = {};
  if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
    platform::ScopedMemoryDc source(::CreateCompatibleDC(dc));
    platform::ScopedSelect select(source.Get(), bitmap);
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, 0, 0, client.right, client.bottom, source.Get(), 0, 0, info.bmWidth,
                 info.bmHeight, SRCCOPY);
  } else {
    ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  }
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
  // No background: the picture covers it all.
  RegisterWindowClass(kPictureBoxClass, Procedure, nullptr);
}

void SetPicture(HWND box, HBITMAP bitmap) {
  ::SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
  ::InvalidateRect(box, nullptr, FALSE);
}

}  // namespace veltrim::shell
