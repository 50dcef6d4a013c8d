// The operating-system operations that the rest of Veltrim uses. The logic talks only to this
// interface, so it runs against the real system or against test doubles alike.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace veltrim::platform {

enum class WindowState { Hidden, MaximizedFocused };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// A new file that is being written; it is closed when the object goes.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual const std::string& Path() const = 0;
  virtual void Write(std::string_view bytes) = 0;
  // Forces the written bytes to the disk.
  virtual void Flush() = 0;
  virtual void Close() = 0;
};

// Every operation that fails throws SystemError.
class Platform {
 public:
  virtual ~Platform() = default;

  // Same contract as kernel32's GetSystemDirectoryA: the path's length on success, 0 on
  // failure, or the capacity needed (terminating zero included) when `capacity` is too small.
  virtual unsigned GetSystemDirectoryA(char* buffer, unsigned capacity) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;

  // Starts `program` with `commandLine` as its whole command line and returns at once.
  virtual void StartProgram(const std::string& program, const std::string& commandLine,
                            WindowState state) = 0;
  // A modal box captioned with the application's title, without icon.
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;

  // Upper-cases single-byte text as the system's code page defines letters.
  virtual void ToUpper(std::string& text) = 0;

  // True for an ordinary file: not a folder, not hidden, not a system file.
  virtual bool IsOrdinaryFile(const std::string& path) = 0;
  virtual std::string ReadFile(const std::string& path) = 0;
  // Fails, as opening it for writing would, when the file may not be changed.
  virtual void CheckWritable(const std::string& path) = 0;
  // Creates a new, empty file with a unique name in the same folder as `path`.
  virtual std::unique_ptr<OutputFile> CreateFileBeside(const std::string& path) = 0;
  // Puts `replacement` in the place of `target` in one step, keeping target's security and
  // attributes; `target` is whole afterwards whether this succeeds or fails.
  virtual void PutInPlace(const std::string& target, const std::string& replacement) = 0;
  // Best effort: a file that cannot be removed is left behind.
  virtual void RemoveFile(const std::string& path) noexcept = 0;
};

// The platform that this build runs on.
Platform& SystemPlatform();

}  // namespace veltrim::platform
