// What the program asks of the system beyond the host files: the system folder and the host
// files' folder, starting programs, waiting and message boxes. Texts are UTF-8.
#pragma once

#include <string>

namespace veltrim::platform {

enum class WindowState { Hidden, MaximizedFocused };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Every operation that fails throws SystemError.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The system folder without a trailing backslash, however long, or the empty text when the
  // system cannot tell it.
  virtual std::string SystemFolder() = 0;
  // The folder that the system's resolver reads the host files from, as the system is set to
  // name it (on Windows the registry's DataBasePath, expanded from the system's own values), or
  // the empty text where it names none or names it with a variable of the environment.
  virtual std::string ConfiguredHostFilesFolder() = 0;
  // True for an existing folder on a drive of this computer.
  virtual bool IsLocalFolder(const std::string& path) = 0;
  // The system's own Program Files folder (never one the environment names), without a trailing
  // backslash.
  virtual std::string ProgramFilesFolder() = 0;
  virtual void Sleep(unsigned milliseconds) = 0;

  // Fails, as starting it would, when `program` is not a file.
  virtual void CheckProgramExists(const std::string& program) = 0;
  // Starts `program` from this process, with `commandLine` as its whole command line and
  // `folder` as its current folder, and returns at once. It inherits this process's rights, so
  // it is for the system's own programs only.
  virtual void StartProgram(const std::string& program, const std::string& commandLine,
                            const std::string& folder, WindowState state) = 0;
  // Finds the way to the desktop shell now, in the background, so that StartThroughShell is
  // quick when it comes.
  virtual void PrepareDesktopShell() = 0;
  // Asks the desktop shell to start `program` with `arguments`, so that it runs with the
  // desktop user's rights rather than this process's. False, with nothing started, where there
  // is no desktop shell to ask or it declines.
  virtual bool StartThroughShell(const std::string& program, const std::string& arguments,
                                 WindowState state) = 0;

  // A modal box captioned with the application's title, without icon.
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;
};

}  // namespace veltrim::platform
