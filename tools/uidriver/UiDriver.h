// Drives a running Veltrim.exe from outside, as a user would: finds its windows, reads its
// controls and message boxes, clicks, types and presses keys. The end-to-end tests, the
// demonstration and the figures of the benchmark all drive it so. What cannot be done (no
// program, no message box, no such control) throws std::runtime_error.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Scoped.h"

namespace veltrim::uidriver {

struct ControlState {
  std::string text;
  RECT rect;  // in the parent's client area
  bool visible;
  bool enabled;
};

struct MessageBoxState {
  HWND handle;
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;  // in the order of their ids: OK, Yes, No...
  bool hasIcon;
};

class Program {
 public:
  // Starts `program` (Veltrim.exe unless told) from the driver's own folder.
  explicit Program(const char* program = "Veltrim.exe");
  // Starts the program at `path`, in its own folder.
  explicit Program(const std::wstring& path);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // The visible top-level window of `windowClass`, or nullptr after the timeout.
  HWND WaitForWindow(const wchar_t* windowClass, DWORD timeoutMs = 10000) const;
  // The next message box; throws after the timeout.
  // Long enough for a fix whose look-ups Wine's resolver leaves hanging for a while.
  MessageBoxState WaitForMessageBox(DWORD timeoutMs = 30000) const;
  // True if a message box shows up within the time.
  bool ShowsMessageBoxWithin(DWORD timeoutMs) const;
  bool WaitForExit(DWORD timeoutMs = 10000) const;
  HANDLE Process() const { return process_.Get(); }
  // Like WaitForWindow, looking every `pollMs`, for timing.
  HWND WaitForWindowPolling(const wchar_t* windowClass, DWORD pollMs, DWORD timeoutMs) const;
  // Tells `window` that it is now on a monitor of `dpi`, suggesting the outer rectangle that
  // keeps its top-left corner and holds its client area of 96 DPI, in pixels, scaled.
  void SendDpiChanged(HWND window, int dpi, int clientWidth96, int clientHeight96) const;

 private:
  platform::ScopedHandle process_;
  DWORD processId_ = 0;
};

// The visible top-level window of `windowClass` that process `processId` shows, or nullptr
// after the timeout.
HWND WaitForWindowOf(DWORD processId, const wchar_t* windowClass, DWORD pollMs, DWORD timeoutMs);
// The next message box of process `processId`, this one's too; throws after the timeout.
MessageBoxState WaitForMessageBoxOf(DWORD processId, DWORD timeoutMs = 15000);

ControlState Inspect(HWND window, int id);
// Waits until the label shows `text`; false after the timeout.
bool WaitForLabel(HWND window, int id, const std::string& text, DWORD timeoutMs = 5000);
RECT ClientRectOnScreen(HWND window);
HWND FocusOf(HWND window);

// What a screen reader is told of a control, through the system's accessibility.
struct AccessibleState {
  std::string name;
  long role;  // ROLE_SYSTEM_..., or -1 when there is no answer
};
AccessibleState AccessibleOf(HWND control);
void Click(HWND window, int id);
void PressKey(HWND target, WPARAM key);
// Types `text` on the keyboard: it goes wherever the focus is.
void TypeKeys(const std::string& text);
// Pastes `utf8` from the clipboard with Ctrl+V, wherever the focus is.
void PasteKeys(const std::string& utf8);
// Puts `utf8` into the control as its text, every letter kept.
void Type(HWND window, int id, const std::string& utf8);
// The folder of the running driver, with a trailing backslash.
std::wstring DriverFolder();
void Answer(const MessageBoxState& box, int buttonId);
// Saves a picture of the window to the folder that VELTRIM_SHOTS names, as NAME.bmp. A window
// that is busy cannot repaint on request, so it is taken as it is on the screen.
void Screenshot(HWND window, const std::string& name, bool repaint = true);

}  // namespace veltrim::uidriver
