#include "Layout.h"

#include <string>

#include "Win32Error.h"
#include "Win32Text.h"

namespace veltrim::shell {

namespace {

// "MS Sans Serif" at 8.25 and 9.75 points, in hundredths of a point.
constexpr int kRegularSize = 825;
constexpr int kLargeSize = 975;

HFONT MakeFont(int hundredthsOfPoint, int dpi, bool bold, bool italic) {
  LOGFONTW font = {};
  font.lfHeight = -::MulDiv(hundredthsOfPoint, dpi, 7200);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = italic ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, L"MS Sans Serif", static_cast<int>(std::size(font.lfFaceName)));
  return ::CreateFontIndirectW(&font);
}

}  // namespace

void FitToText(HWND control, HFONT font, bool anchorRight) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)), L'\0');
  ::GetWindowTextW(control, text.data(), static_cast<int>(text.size() + 1));
  SIZE size = {};
  {
    platform::ScopedWindowDc dc(control);
    platform::ScopedSelect select(dc.Get(), font);
    ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  int left = anchorRight ? rect.right - size.cx : rect.left;
  ::MoveWindow(control, left, rect.top, size.cx, size.cy, FALSE);
}

int WindowDpi(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi > 0 ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

Fonts::Fonts(int dpi)
    : fonts_{platform::ScopedFont(MakeFont(kRegularSize, dpi, false, false)),
             platform::ScopedFont(MakeFont(kLargeSize, dpi, true, false)),
             platform::ScopedFont(MakeFont(kLargeSize, dpi, true, true))} {}

HFONT Fonts::Get(FontStyle style) const { return fonts_[static_cast<int>(style)].Get(); }

void CreateControls(HWND parent, const std::vector<ControlLayout>& table, int dpi,
                    const Fonts& fonts) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ControlLayout& control : table) {
    HWND hwnd = ::CreateWindowExW(control.exStyle, control.windowClass, control.text,
                                  WS_CHILD | WS_CLIPSIBLINGS | control.style, 0, 0, 0, 0, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                  instance, nullptr);
    if (hwnd == nullptr) {
      platform::ThrowLastError("create the control", platform::Narrow(control.windowClass));
    }
  }
  LayOutControls(parent, table, dpi, fonts);
}

void LayOutControls(HWND parent, const std::vector<ControlLayout>& table, int dpi,
                    const Fonts& fonts) {
  for (const ControlLayout& control : table) {
    int left = TwipsToPixels(control.left, dpi);
    int top = TwipsToPixels(control.top, dpi);
    // A container's children are placed relative to it, as it stands in pixels.
    for (const ControlLayout& outer : table) {
      if (outer.id == control.container) {
        left += TwipsToPixels(outer.left, dpi);
        top += TwipsToPixels(outer.top, dpi);
      }
    }
    HWND hwnd = ::GetDlgItem(parent, control.id);
    ::MoveWindow(hwnd, left, top, TwipsToPixels(control.width, dpi),
                 TwipsToPixels(control.height, dpi), FALSE);
    HFONT font = fonts.Get(control.font);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.sizing != Sizing::Fixed) {
      FitToText(hwnd, font, control.sizing == Sizing::FitTextAnchorRight);
    }
  }
}

void MoveForNewDpi(HWND window, const RECT& suggested) {
  ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // The controls were moved without repainting, and a parent that clips its children does not
  // paint over them: each is repainted itself.
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CentreOnScreen(HWND window, int clientWidthTwips, int clientHeightTwips, int dpi) {
  RECT rect = {0, 0, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi)};
  // The frame as it is drawn at this DPI, not at the system's.
  ::AdjustWindowRectExForDpi(&rect, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
                             FALSE, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)),
                             static_cast<UINT>(dpi));
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  ::SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace veltrim::shell
