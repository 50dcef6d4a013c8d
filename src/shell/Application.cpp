#include "Application.h"

#include <windows.h>

#include <commctrl.h>

#include <exception>

#include "DisclaimerForm.h"
#include "FixMessages.h"
#include "HostFileHandler.h"
#include "MainForm.h"
#include "Scoped.h"
#include "SystemFolder.h"
#include "Win32FileSystem.h"
#include "Win32Desktop.h"
#include "Win32Error.h"
#include "Win32Resolver.h"
#include "Win32SystemSettings.h"
#include "Win32WebReader.h"

namespace veltrim::shell {

namespace {

// Loaded, not imported: an import is loaded before the program runs, and the common controls
// load further DLLs by their bare names as they start, which would then be looked for beside
// the program first. The manifest's dependency makes this the version 6 controls.
void InitCommonControls() {
  HMODULE controls = ::LoadLibraryW(L"comctl32.dll");
  if (controls == nullptr) platform::ThrowLastError("load", "comctl32.dll");
  using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = platform::FindFunction<Init>(controls, "InitCommonControlsEx");
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
  if (init == nullptr || !init(&classes)) {
    platform::ThrowLastError("start the common controls of", "comctl32.dll");
  }
}

bool IsDialogKey(MSG& message) {
  HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
  return root != nullptr && ::IsDialogMessageW(root, &message);
}

}  // namespace

int Main() {
  platform::Win32FileSystem files;
  platform::Win32Desktop desktop;
  platform::Win32SystemSettings settings;
  platform::Win32Resolver resolver;
  platform::Win32WebReader web;
  const std::string lock = hostfix::RepairLockPath(hostfix::GetSystemFolder(settings));
  hostfix::HostFileHandler HostsHandler(files, lock);
  hostfix::HostFileHandler LmHostsHandler(files, lock);
  OpenWindows windows;
  Fix fix({settings, desktop, resolver, web, files}, HostsHandler, LmHostsHandler);
  MainForm main(windows, desktop, fix);
  DisclaimerForm disclaimer(windows, desktop, main);

  try {
    InitCommonControls();
    disclaimer.Show();
  } catch (const std::exception& error) {
    // Reported, and the program ends here: with no window, the loop would wait forever.
    desktop.ShowMessage(hostfix::FailureMessage(error), platform::MessageButtons::Ok);
    return 1;
  }

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (disclaimer.PreviewKey(message) || IsDialogKey(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace veltrim::shell
