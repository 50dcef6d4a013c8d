// A control that shows a picture stretched over its client area and can take the focus. Its
// window text is not drawn; it names the picture for screen readers.
#pragma once

#include <windows.h>

namespace veltrim::shell {

inline constexpr wchar_t kPictureBoxClass[] = L"VeltrimPictureBox";

// Throws SystemError.
void RegisterPictureBox();
// The box shows `bitmap` but does not own it.
void SetPicture(HWND box, HBITMAP bitmap);

}  // namespace veltrim::shell
