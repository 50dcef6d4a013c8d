#include "Win32Desktop.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <windows.h>

#include "ApplicationTitle.h"
#include "AskForText.h"
#include "Win32Com.h"
#include "Win32Error.h"
#include "Win32Handle.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

int ShowCommand(WindowState state) {
  return state == WindowState::Hidden ? SW_HIDE : SW_SHOWMAXIMIZED;
}

// Only S_OK with an object counts: S_FALSE means "no such window" or "not done". The object is
// looked at only after the call that fills it has run.
template <typename Interface>
bool Got(HRESULT result, const ComPtr<Interface>& object) {
  return result == S_OK && object.Get() != nullptr;
}

// The desktop's shell folder view, through which Explorer starts programs as the user it runs
// as. False where there is no Explorer (as on Server Core) or it does not answer.
bool DesktopShell(ComPtr<IShellDispatch2>& shell) {
  ComPtr<IShellWindows> windows;
  if (!Got(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.OutVoid()),
           windows)) {
    return false;
  }
  ScopedVariant location;
  ScopedVariant root;
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (!Got(windows->FindWindowSW(&location.Get(), &root.Get(), SWC_DESKTOP, &window,
                                 SWFO_NEEDDISPATCH, desktop.Out()),
           desktop)) {
    return false;
  }
  ComPtr<IServiceProvider> services;
  if (!Got(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid()), services)) {
    return false;
  }
  ComPtr<IShellBrowser> browser;
  if (!Got(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid()),
           browser)) {
    return false;
  }
  ComPtr<IShellView> view;
  if (!Got(browser->QueryActiveShellView(view.Out()), view)) return false;
  ComPtr<IDispatch> background;
  if (!Got(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid()),
           background)) {
    return false;
  }
  ComPtr<IShellFolderViewDual> folderView;
  if (!Got(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid()),
           folderView)) {
    return false;
  }
  ComPtr<IDispatch> application;
  if (!Got(folderView->get_Application(application.Out()), application)) return false;
  return Got(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid()), shell);
}

}  // namespace

std::string Win32Desktop::SystemFolder() {
  return Narrow(AskForText<wchar_t>(
      [](wchar_t* buffer, unsigned capacity) { return ::GetSystemDirectoryW(buffer, capacity); }));
}

std::string Win32Desktop::ConfiguredHostFilesFolder() {
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
  if (configured.empty()) return {};
  return Narrow(AskForText<wchar_t>([&](wchar_t* buffer, unsigned capacity) {
    // The count includes the terminating zero, on success as when the buffer is too small.
    const DWORD needed = ::ExpandEnvironmentStringsW(configured.c_str(), buffer, capacity);
    return needed > capacity ? static_cast<unsigned>(needed) : (needed == 0 ? 0u : needed - 1);
  }));
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

std::string Win32Desktop::ProgramFilesFolder() {
  // Loaded, not imported, and only now: the DLLs that shell32 loads in turn then come from the
  // system folder too.
  HMODULE shell32 = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (shell32 == nullptr) ThrowLastError("load", "shell32.dll");
  using GetKnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  const auto getPath = reinterpret_cast<GetKnownFolderPath>(
      reinterpret_cast<void*>(::GetProcAddress(shell32, "SHGetKnownFolderPath")));
  if (getPath == nullptr) ThrowLastError("find SHGetKnownFolderPath in", "shell32.dll");
  PWSTR path = nullptr;
  const HRESULT result = getPath(FOLDERID_ProgramFiles, KF_FLAG_DONT_VERIFY, nullptr, &path);
  std::wstring folder = SUCCEEDED(result) && path != nullptr ? path : L"";
  ::CoTaskMemFree(path);
  if (FAILED(result)) ThrowError(static_cast<DWORD>(result), "find", "the Program Files folder");
  return Narrow(folder);
}

void Win32Desktop::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

void Win32Desktop::CheckProgramExists(const std::string& program) {
  DWORD attributes = ::GetFileAttributesW(Widen(program).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError("start", program);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    ThrowError(ERROR_ACCESS_DENIED, "start", program);
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
  AutoCloseHandle processHandle(process.hProcess);
  AutoCloseHandle threadHandle(process.hThread);
}

bool Win32Desktop::StartThroughShell(const std::string& program, const std::string& arguments,
                                     WindowState state) {
  ScopedCom com;
  ComPtr<IShellDispatch2> shell;
  if (!DesktopShell(shell)) return false;
  // The started program comes up in front only if this process, which has the foreground,
  // lets the shell that starts it have it; no other process may take it from the elevated
  // windows meanwhile.
  DWORD shellProcess = 0;
  if (HWND shellWindow = ::GetShellWindow(); shellWindow != nullptr) {
    ::GetWindowThreadProcessId(shellWindow, &shellProcess);
  }
  if (shellProcess != 0) ::AllowSetForegroundWindow(shellProcess);
  ScopedVariant file;
  file.Get().vt = VT_BSTR;
  file.Get().bstrVal = ::SysAllocString(Widen(program).c_str());
  ScopedVariant args;
  args.Get().vt = VT_BSTR;
  args.Get().bstrVal = ::SysAllocString(Widen(arguments).c_str());
  ScopedVariant folder;
  ScopedVariant operation;
  ScopedVariant show;
  show.Get().vt = VT_I4;
  show.Get().lVal = ShowCommand(state);
  return shell->ShellExecute(file.Get().bstrVal, args.Get(), folder.Get(), operation.Get(),
                             show.Get()) == S_OK;
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
