#include "Win32ShellRoute.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Scoped.h"

namespace veltrim::platform {

namespace {

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

bool ExecuteThrough(IShellDispatch2& shell, const std::wstring& program,
                    const std::wstring& arguments, int show) {
  ScopedVariant file;
  file.Get().vt = VT_BSTR;
  file.Get().bstrVal = ::SysAllocString(program.c_str());
  ScopedVariant args;
  args.Get().vt = VT_BSTR;
  args.Get().bstrVal = ::SysAllocString(arguments.c_str());
  ScopedVariant folder;
  ScopedVariant operation;
  ScopedVariant showCommand;
  showCommand.Get().vt = VT_I4;
  showCommand.Get().lVal = show;
  return file.Get().bstrVal != nullptr && args.Get().bstrVal != nullptr &&
         shell.ShellExecute(file.Get().bstrVal, args.Get(), folder.Get(), operation.Get(),
                            showCommand.Get()) == S_OK;
}

// The desktop shell's way to start a program, walked when it is made; walked again when a
// request fails, since Explorer may have restarted.
class DesktopShellStarter {
 public:
  DesktopShellStarter() : walked_(DesktopShell(shell_)) {}

  bool Start(const std::wstring& program, const std::wstring& arguments, int show) {
    bool started = walked_ && ExecuteThrough(*shell_.Get(), program, arguments, show);
    if (!started) {
      walked_ = DesktopShell(shell_);
      started = walked_ && ExecuteThrough(*shell_.Get(), program, arguments, show);
    }
    // A route that failed is walked from scratch for the next request.
    walked_ = started;
    return started;
  }

 private:
  ComPtr<IShellDispatch2> shell_;
  bool walked_;
};

}  // namespace

// What the caller and the route's thread share; it outlives whichever of them ends first.
struct ShellRoute::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  bool quit = false;
  bool asked = false;
  bool answered = false;
  std::wstring program;
  std::wstring arguments;
  int show = SW_SHOWNORMAL;
  bool started = false;
};

void ShellRoute::Serve(Shared& shared, const Starter& start) {
  for (;;) {
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.changed.wait(lock, [&] { return shared.quit || shared.asked; });
    if (shared.quit) return;
    const std::wstring program = shared.program;
    const std::wstring arguments = shared.arguments;
    const int show = shared.show;
    lock.unlock();

    const bool started = start(program, arguments, show);

    lock.lock();
    shared.asked = false;
    shared.answered = true;
    shared.started = started;
    shared.changed.notify_all();
  }
}

ShellRoute::ShellRoute() : ShellRoute(nullptr, kAnswerWaitMs) {}

ShellRoute::ShellRoute(Starter starter, unsigned answerWaitMs)
    : shared_(std::make_shared<Shared>()), answerWaitMs_(answerWaitMs) {
  std::thread([shared = shared_, starter = std::move(starter)] {
    try {
      if (starter) return Serve(*shared, starter);
      const ScopedCom com(COINIT_MULTITHREADED);
      DesktopShellStarter desktop;
      Serve(*shared, [&](const std::wstring& program, const std::wstring& arguments, int show) {
        return desktop.Start(program, arguments, show);
      });
    } catch (...) {
      // Out of memory: the request that waits is answered "not started".
      const std::lock_guard<std::mutex> lock(shared->mutex);
      shared->quit = true;
      shared->changed.notify_all();
    }
  }).detach();
}

ShellRoute::~ShellRoute() {
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->quit = true;
  shared_->changed.notify_all();
}

bool ShellRoute::Execute(const std::wstring& program, const std::wstring& arguments, int show) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  if (shared_->quit) return false;
  shared_->program = program;
  shared_->arguments = arguments;
  shared_->show = show;
  shared_->asked = true;
  shared_->answered = false;
  shared_->changed.notify_all();
  if (!shared_->changed.wait_for(lock, std::chrono::milliseconds(answerWaitMs_),
                                 [&] { return shared_->answered || shared_->quit; })) {
    // A shell that hangs is given up for good: a later request would only wait behind it.
    shared_->quit = true;
    return false;
  }
  return shared_->answered && shared_->started;
}

}  // namespace veltrim::platform
