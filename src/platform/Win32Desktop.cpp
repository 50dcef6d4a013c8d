#include "Win32Desktop.h"

#include <windows.h>

#include "ApplicationTitle.h"
#include "AskForText.h"
#include "Scoped.h"
#include "SystemVariables.h"
#include "Win32Error.h"
#include "Win32NameLookUp.h"
#include "Win32NetworkQuery.h"
#include "Win32ShellRoute.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

int ShowCommand(WindowState state) {
  return state == WindowState::Hidden ? SW_HIDE : SW_SHOWMAXIMIZED;
}

}  // namespace

std::string Win32Desktop::SystemFolder() {
  return Narrow(AskForText<wchar_t>(
      [](wchar_t* buffer, unsigned capacity) { return ::GetSystemDirectoryW(buffer, capacity); }));
}

ConfiguredFolder Win32Desktop::ConfiguredHostFilesFolder() {
  const wchar_t* const key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  const std::wstring configured = AskForText<wchar_t>([&](wchar_t* buffer, unsigned capacity) {
    DWORD bytes = capacity * sizeof(wchar_t);
    const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath",
                                          RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                          nullptr, buffer, &bytes);
    if (status == ERROR_MORE_DATA) return static_cast<unsigned>(bytes / sizeof(wchar_t));
    // The count without the terminating zero that the value holds.
    return status == ERROR_SUCCESS && bytes >= sizeof(wchar_t)
               ? static_cast<unsigned>(bytes / sizeof(wchar_t) - 1)
               : 0u;
  });
  const std::wstring windows = AskForText<wchar_t>([](wchar_t* buffer, unsigned capacity) {
    return ::GetSystemWindowsDirectoryW(buffer, capacity);
  });
  const std::string value = Narrow(configured);
  return {value, ExpandSystemVariables(value, Narrow(windows))};
}

bool Win32Desktop::IsLocalFolder(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  const std::wstring root = wide.substr(0, 3);  // "C:\"
  const UINT type = ::GetDriveTypeW(root.c_str());
  return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

void Win32Desktop::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::uint64_t Win32Desktop::Milliseconds() { return ::GetTickCount64(); }

std::unique_ptr<NameLookUp> Win32Desktop::StartLookUp(const std::string& host) {
  return StartWin32LookUp(host);
}

std::unique_ptr<NameLookUp> Win32Desktop::StartNetworkQuery(const std::string& host) {
  return StartWin32NetworkQuery(host);
}

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
