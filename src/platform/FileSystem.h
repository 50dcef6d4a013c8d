// The operations on host files. Paths are UTF-8; file contents are bytes, as the system's
// single-byte code page has them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

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

// Every operation that fails throws SystemError.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True for a file, hidden and system files included; a folder or a link (a reparse point)
  // is none.
  virtual bool IsFile(const std::string& path) = 0;
  virtual std::string ReadFile(const std::string& path) = 0;
  // Fails, as opening it for writing would, when the file may not be changed.
  virtual void CheckWritable(const std::string& path) = 0;
  // Creates a new, empty file with a unique name in the same folder as `path`.
  virtual std::unique_ptr<OutputFile> CreateFileBeside(const std::string& path) = 0;
  // Gives `copy` the permissions (on Windows the DACL) and attributes of `original`, hidden and
  // system included.
  virtual void CopyProtection(const std::string& original, const std::string& copy) = 0;
  // Renames `replacement` to `target` in one step, replacing it: at every instant the name
  // `target` holds either the whole old file or the whole new one.
  virtual void PutInPlace(const std::string& target, const std::string& replacement) = 0;
  // Best effort: a file that cannot be removed is left behind.
  virtual void RemoveFile(const std::string& path) noexcept = 0;
  // Best effort: removes the new files that CreateFileBeside made for `path` in a run that
  // was killed before it could remove them. Names of any other pattern are never touched.
  virtual void RemoveLeftoversBeside(const std::string& path) noexcept = 0;
};

}  // namespace veltrim::platform
