// The operations on host files. Paths are UTF-8; file contents are bytes, as the system's
// single-byte code page has them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "SystemError.h"

namespace veltrim::platform {

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

// ReadFile's refusal of a file that holds more than it was asked to read, no more of it read.
class FileOverLimit : public SystemError {
 public:
  FileOverLimit(std::string path, std::uint64_t size)
      : SystemError(0, std::to_string(size) + " bytes", "read all of", std::move(path)),
        size_(size) {}
  std::uint64_t Size() const { return size_; }

 private:
  std::uint64_t size_;
};

// OpenSharingNothing's answer when another program kept the file open all the while.
class FileBusy : public SystemError {
 public:
  using SystemError::SystemError;
};

// A file held open sharing nothing; let go of when the object goes.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

// What a name stands for: the name itself, not what a link points to.
enum class PathKind {
  None,  // nothing, or a folder
  File,  // hidden and system files included, and one kept compressed, deduplicated or in the cloud
  Link,  // a symbolic link or a junction, to a file or a folder
};

// Every operation that fails throws SystemError. A brief hold of a file by another program (a
// virus scanner, an editor), whatever it shares, is waited out for about two seconds before it
// counts as a failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual PathKind KindOf(const std::string& path) = 0;
  // Throws FileOverLimit, having read no more than `limit` bytes, when the file holds more.
  virtual std::string ReadFile(const std::string& path, std::size_t limit) = 0;
  // True when the file holds `expected` and nothing more: compared piece by piece, reading at
  // most one byte beyond it.
  virtual bool Holds(const std::string& path, std::string_view expected) = 0;
  // Fails, as opening it for writing would, when the file may not be changed.
  virtual void CheckWritable(const std::string& path) = 0;
  // Creates a new, empty file with a unique name in the same folder as `path`.
  virtual std::unique_ptr<OutputFile> CreateFileBeside(const std::string& path) = 0;
  // Gives `copy` the permissions (on Windows the DACL) and attributes of `original`, hidden and
  // system included.
  virtual void CopyProtection(const std::string& original, const std::string& copy) = 0;
  // Opens the file, made hidden and empty for administrators and the system alone where there is
  // none, sharing nothing with any other program, in any session. Waits up to `waitMs` for
  // another that holds it; throws FileBusy when it still does.
  virtual std::unique_ptr<HeldFile> OpenSharingNothing(const std::string& path,
                                                       unsigned waitMs) = 0;
  // Renames `replacement` to `target` in one step, replacing it, if `target` still holds
  // `expected` (when given), checked immediately before each attempt: at every instant the name
  // `target` holds either the whole old file or the whole new one, and no change that another
  // program made is replaced unseen. False, with nothing replaced, when it no longer does.
  virtual bool PutInPlace(const std::string& target, const std::string& replacement,
                          std::optional<std::string_view> expected) = 0;
  // Best effort: a brief hold is waited out; a file that still cannot be removed is left behind.
  virtual void RemoveFile(const std::string& path) noexcept = 0;
  // Best effort: removes the new files that CreateFileBeside made for `path` in a run that
  // was killed before it could remove them. Names of any other pattern are never touched.
  virtual void RemoveLeftoversBeside(const std::string& path) noexcept = 0;
};

}  // namespace veltrim::platform
