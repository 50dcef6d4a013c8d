// What the program asks of the desktop: starting programs, opening a page through the desktop
// shell, waiting and message boxes. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace veltrim::platform {

enum class WindowState { Hidden, MaximizedFocused };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Every operation that fails throws SystemError.
class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual void Sleep(unsigned milliseconds) = 0;
  // A clock that counts milliseconds and never goes back.
  virtual std::uint64_t Milliseconds() = 0;

  // Starts `program` from this process, with `commandLine` as its whole command line and
  // `folder` as its current folder, and returns at once. It inherits this process's rights, so
  // it is for the system's own programs only.
  virtual void StartProgram(const std::string& program, const std::string& commandLine,
                            const std::string& folder, WindowState state) = 0;
  // Finds the way to the desktop shell now, in the background, so that OpenThroughShell is
  // quick when it comes.
  virtual void PrepareDesktopShell() = 0;
  // Asks the desktop shell to open `item`, a program or a web address, as a double-click would:
  // a web address in the browser that the user chose for it. What starts runs with the desktop
  // user's rights rather than this process's. False, with nothing started, where there is no
  // desktop shell to ask, it declines, or it finds nothing to open the item with.
  virtual bool OpenThroughShell(const std::string& item, WindowState state) = 0;

  // A modal box captioned with the application's title, without icon.
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;
};

}  // namespace veltrim::platform
