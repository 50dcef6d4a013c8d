// The way to the desktop shell's ShellExecute, walked ahead of need on a thread of its own.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace veltrim::platform {

// Finding the desktop shell takes a tenth of a second and more, which the user would wait for
// after "Fix It"; so the route is walked as soon as it is made, while the user types, by a
// thread that owns its COM objects. A request then only calls ShellExecute.
class ShellRoute {
 public:
  // How long a request waits for the shell's answer: a call into an Explorer that hangs would
  // otherwise never return.
  static constexpr unsigned kAnswerWaitMs = 15000;
  // Starts a program on the route's thread and answers whether it did.
  using Starter =
      std::function<bool(const std::wstring& program, const std::wstring& arguments, int show)>;

  ShellRoute();
  // The same route to another starter, and another wait: for a shell that never answers.
  ShellRoute(Starter starter, unsigned answerWaitMs);
  ShellRoute(const ShellRoute&) = delete;
  ShellRoute& operator=(const ShellRoute&) = delete;
  // Does not wait for a shell that hangs: the thread ends once its call returns.
  ~ShellRoute();

  // Asks the shell to start `program` with `arguments` and the show command `show`. A route
  // that went stale (Explorer restarted) is walked again, once. False, with nothing started,
  // where there is no shell to ask, it declines, or it did not answer in time.
  bool Execute(const std::wstring& program, const std::wstring& arguments, int show);

 private:
  struct Shared;
  // The thread's work: answers requests until it is told to quit.
  static void Serve(Shared& shared, const Starter& start);

  std::shared_ptr<Shared> shared_;
  unsigned answerWaitMs_;
};

}  // namespace veltrim::platform
