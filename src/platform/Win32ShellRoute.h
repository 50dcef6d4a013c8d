// The way to the desktop shell's ShellExecute, walked ahead of need on a thread of its own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace veltrim::platform {

// Finding the desktop shell takes a tenth of a second and more, which the user would wait for
// after "Fix It"; so the route is walked as soon as it is made, while the user types, by a
// thread that owns its COM objects. A request then only calls ShellExecute.
class ShellRoute {
 public:
  ShellRoute();
  ShellRoute(const ShellRoute&) = delete;
  ShellRoute& operator=(const ShellRoute&) = delete;
  // Does not wait for a shell that hangs: the thread ends once its call returns.
  ~ShellRoute();

  // Asks the shell to start `program` with `arguments` and the show command `show`. A route
  // that went stale (Explorer restarted) is walked again, once. False, with nothing started,
  // where there is no shell to ask or it declines.
  bool Execute(const std::wstring& program, const std::wstring& arguments, int show);

 private:
  struct Shared;
  // The thread's work: walks the route, then answers requests until it is told to quit.
  static void Serve(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
};

}  // namespace veltrim::platform
