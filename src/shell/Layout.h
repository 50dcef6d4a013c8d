// Windows are laid out from tables in twips, converted to pixels for the DPI of the monitor they
// are on, and laid out again from the same tables when they move to a monitor of another DPI.
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "Scoped.h"

namespace veltrim::shell {

enum class FontStyle { Regular, Bold, BoldItalic, Count };
enum class Sizing { Fixed, FitTextAnchorLeft, FitTextAnchorRight };

struct ControlLayout {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;
  int left, top, width, height;  // twips, in the container's client area
  DWORD style;
  DWORD exStyle;
  FontStyle font;
  // The id of the control that contains this one, or 0 for the window itself.
  int container = 0;
  Sizing sizing = Sizing::Fixed;
};

inline int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

// The DPI of the monitor that the window is on; the program is aware of each monitor's DPI, so
// this is the real one.
int WindowDpi(HWND window);

// The fonts that the windows use, at one DPI.
class Fonts {
 public:
  Fonts() = default;
  explicit Fonts(int dpi);
  HFONT Get(FontStyle style) const;

 private:
  std::array<platform::ScopedFont, static_cast<int>(FontStyle::Count)> fonts_;
};

// Creates the controls in table order, which is also their tab order, laid out at `dpi`. Throws
// SystemError.
void CreateControls(HWND parent, const std::vector<ControlLayout>& table, int dpi,
                    const Fonts& fonts);

// Places, sizes and gives fonts to every control of the table at `dpi`; labels that fit their
// text are fitted again.
void LayOutControls(HWND parent, const std::vector<ControlLayout>& table, int dpi,
                    const Fonts& fonts);

// Takes the rectangle that WM_DPICHANGED suggests and repaints the window and its controls.
void MoveForNewDpi(HWND window, const RECT& suggested);

// Sizes a label to its text on one line, keeping its left or its right edge.
void FitToText(HWND control, HFONT font, bool anchorRight);

// A window style's outer size for a client area given in twips, centred on the screen.
void CentreOnScreen(HWND window, int clientWidthTwips, int clientHeightTwips, int dpi);

}  // namespace veltrim::shell
