// How a picture control describes itself to screen readers.
#pragma once

#include <windows.h>

namespace veltrim::shell {

// Answers WM_GETOBJECT for `window` with the system's own accessible object for it, except that
// it calls itself a graphic (ROLE_SYSTEM_GRAPHIC), named by its window text. Anything but the
// client object, or a system without the accessibility DLL, gets DefWindowProc's answer.
LRESULT AnswerAsGraphic(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace veltrim::shell
