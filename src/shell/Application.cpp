#include "Application.h"

#include <commctrl.h>

#include <exception>

#include "MainForm.h"
#include "frmSplash.h"

namespace veltrim::shell {

namespace {

int openWindows = 0;
Application* application = nullptr;

bool IsDialogKey(MSG& message) {
  HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
  return root != nullptr && ::IsDialogMessageA(root, &message);
}

}  // namespace

Application& App() { return *application; }

void WindowOpened() { ++openWindows; }

void WindowClosed() {
  if (--openWindows == 0) ::PostQuitMessage(0);
}

int Main() {
  hostfix::HostFileHandler HostsHandler(platform::SystemPlatform());
  hostfix::HostFileHandler LmHostsHandler(platform::SystemPlatform());
  frmSplash splash;
  MainForm main;
  Application app{HostsHandler, LmHostsHandler, splash, main};
  application = &app;

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  try {
    splash.Show();
  } catch (const std::exception& error) {
    platform::SystemPlatform().ShowMessage(error.what(), platform::MessageButtons::Ok);
    return 1;
  }

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (splash.PreviewKey(message) || IsDialogKey(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  application = nullptr;
  return static_cast<int>(message.wParam);
}

}  // namespace veltrim::shell
