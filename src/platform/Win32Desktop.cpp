#include "Win32Desktop.h"

#include <windows.h>

#include "ApplicationTitle.h"
#include "Scoped.h"
#include "Win32Error.h"
#include "Win32ShellRoute.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

int ShowCommand(WindowState state) {
  return state == WindowState::Hidden ? SW_HIDE : SW_SHOWMAXIMIZED;
}

}  // namespace

void Win32Desktop::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::uint64_t Win32Desktop::Milliseconds() { return ::GetTickCount64(); }

void Win32Desktop::StartProgram(const std::string& program, const std::string& commandLine,
                                const std::string& folder, WindowState state) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(ShowCommand(state));
  PROCESS_INFORMATION process = {};
  std::wstring line = Widen(commandLine);  // CreateProcessW may write into it
  if (!::CreateProcessW(Widen(program).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Widen(folder).c_str(), &startup, &process)) {
    ThrowLastError("start", program);
  }
  ScopedHandle processHandle(process.hProcess);
  ScopedHandle threadHandle(process.hThread);
}

void Win32Desktop::PrepareDesktopShell() {
  if (route_ == nullptr) route_ = std::make_unique<ShellRoute>();
}

bool Win32Desktop::OpenThroughShell(const std::string& item, WindowState state) {
  PrepareDesktopShell();
  // The started program comes up in front only if this process, which has the foreground,
  // lets the shell that starts it have it; no other process may take it from the elevated
  // windows meanwhile.
  DWORD shellProcess = 0;
  if (HWND shellWindow = ::GetShellWindow(); shellWindow != nullptr) {
    ::GetWindowThreadProcessId(shellWindow, &shellProcess);
  }
  if (shellProcess != 0) ::AllowSetForegroundWindow(shellProcess);
  return route_->Execute(Widen(item), std::wstring(), ShowCommand(state));
}

MessageAnswer Win32Desktop::ShowMessage(const std::string& text, MessageButtons buttons) {
  // Topmost: a box may come while the browser is in front, and Windows may refuse it the
  // foreground; it must not be hidden behind the browser then.
  UINT style = (buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK) | MB_TASKMODAL |
               MB_SETFOREGROUND | MB_TOPMOST;
  int pressed =
      ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(kApplicationTitle).c_str(), style);
  if (pressed == 0) ThrowLastError("show the message", "\"" + text + "\"");
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return pressed == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace veltrim::platform
