// The yardstick for a fix: the least a program does for the same safe work. It shows one empty
// window and walks the route to the desktop shell; when the window is clicked, it starts
// ipconfig, rewrites two host files of 200 lines by one rename each, asks the name servers for
// the page's host and looks up the names it repairs once, reads the page once, has the shell
// open the page, and shows
// one message box, themed and scaled as the program's by the same manifest.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Scoped.h"
#include "Win32Desktop.h"
#include "Win32NameLookUp.h"
#include "Win32NetworkQuery.h"
#include "Win32ShellRoute.h"
#include "Win32WebReader.h"

namespace {

std::unique_ptr<veltrim::platform::ShellRoute> route;
// Made before the window shows.
std::string hostsContents;

void RewriteByRename(const wchar_t* path, const wchar_t* fresh) {
  veltrim::platform::ScopedHandle file(::CreateFileW(
      fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsSet()) return;
  DWORD written = 0;
  ::WriteFile(file.Get(), hostsContents.data(), static_cast<DWORD>(hostsContents.size()), &written,
              nullptr);
  ::FlushFileBuffers(file.Get());
  file.Reset();
  ::MoveFileExW(fresh, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void Fix(HWND window) {
  // As the program starts it, from the same code.
  veltrim::platform::Win32Desktop().StartProgram(
      "C:\\windows\\system32\\ipconfig.exe", "\"C:\\windows\\system32\\ipconfig.exe\" /flushdns",
      "C:\\windows\\system32", veltrim::platform::WindowState::Hidden);
  RewriteByRename(L"C:\\windows\\temp\\yardstick-hosts", L"C:\\windows\\temp\\yardstick-hosts.new");
  RewriteByRename(L"C:\\windows\\temp\\yardstick-lmhosts",
                  L"C:\\windows\\temp\\yardstick-lmhosts.new");
  // The names that the fix looks up for the same files, at once.
  std::vector<std::unique_ptr<veltrim::platform::NameLookUp>> lookUps;
  lookUps.push_back(veltrim::platform::StartWin32NetworkQuery("www.example.com"));
  for (const char* name : {"www.example.com", "example.com", "host0.example.com",
                           "host50.example.com", "host100.example.com", "host150.example.com"}) {
    lookUps.push_back(veltrim::platform::StartWin32LookUp(name));
  }
  for (const auto& lookUp : lookUps) {
    while (!lookUp->Answer()) ::Sleep(1);
  }
  veltrim::platform::Win32WebReader web;
  const auto page = web.StartFetch("http://www.example.com/", std::size_t{4} << 20, 15000);
  while (!page->Answer()) ::Sleep(1);
  route->Execute(L"http://www.example.com/", L"", SW_SHOWMAXIMIZED);
  ::MessageBoxW(window, L"Did the Page load successfully?", L"Yardstick", MB_YESNO);
  ::DestroyWindow(window);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONUP) {
    try {
      Fix(window);
    } catch (...) {
      // ipconfig could not be started: no message box, so the figure is missing.
      ::DestroyWindow(window);
    }
  }
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  for (int i = 0; i < 200; ++i) {
    hostsContents +=
        "#10.0.0." + std::to_string(i % 250) + " host" + std::to_string(i) + ".example.com\r\n";
  }
  route = std::make_unique<veltrim::platform::ShellRoute>();
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"VeltrimYardstick";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowExW(0, L"VeltrimYardstick", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                  instance, nullptr);
  if (window == nullptr) return 1;
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
