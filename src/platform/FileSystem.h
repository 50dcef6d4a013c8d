// The operations on host files. Paths are UTF-8; file contents are bytes, as the system's
// single-byte code page has them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
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

// ReadFile's refusal of a file larger than it was asked to read, nothing more of it read; or a
// repair's of a file that would come out larger, nothing of it written.
class FileTooLarge : public std::runtime_error {
 public:
  FileTooLarge(const std::string& path, std::uint64_t size, std::uint64_t limit,
               bool repaired = false)
      : std::runtime_error("Could not repair " + path +
                           (repaired ? ": repaired, it would be " : ": it is ") + Megabytes(size) +
                           " (" + std::to_string(size) +
                           " bytes), and Veltrim repairs host files of up "
                           "to " +
                           std::to_string(limit >> 20) + " MB. It was left as it was.") {}

 private:
  // In tenths, rounded down, so that a size just over the limit does not read as the limit.
  static std::string Megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = bytes * 10 >> 20;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
  }
};

// IsFile's refusal of a symbolic link or junction: the repair would replace the link with a file,
// or change the file it points to, wherever that is.
class LinkNotFollowed : public std::runtime_error {
 public:
  explicit LinkNotFollowed(const std::string& path)
      : std::runtime_error("Could not repair " + path +
                           ": it is a link to another file, which Veltrim does not follow. It "
                           "was left as it was.") {}
};

// Held while one repair of a host file runs; released when the object goes.
class RepairLock {
 public:
  virtual ~RepairLock() = default;
};

// Every operation that fails throws SystemError. A brief hold of a file by another program (a
// virus scanner, an editor), whatever it shares, is waited out for about two seconds before it
// counts as a failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True for a file, hidden and system files included, and one that the system keeps
  // compressed, deduplicated or in the cloud; false for a folder or nothing. Throws
  // LinkNotFollowed for a link.
  virtual bool IsFile(const std::string& path) = 0;
  // Throws FileTooLarge, having read no more than `limit` bytes, when the file holds more.
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
  // Keeps every other Veltrim, in any session, from repairing host files until the lock goes.
  // Waits some seconds for one that is repairing; nothing, when it is still at it then.
  virtual std::unique_ptr<RepairLock> LockForRepair(const std::string& path) = 0;
  // Renames `replacement` to `target` in one step, replacing it, if `unchanged()` still says
  // that `target` holds what the replacement was made from, asked immediately before each
  // attempt: at every instant the name `target` holds either the whole old file or the whole
  // new one, and no change that another program made is replaced unseen. False, with nothing
  // replaced, when `unchanged()` says no.
  virtual bool PutInPlace(const std::string& target, const std::string& replacement,
                          const std::function<bool()>& unchanged) = 0;
  // Best effort: a brief hold is waited out; a file that still cannot be removed is left behind.
  virtual void RemoveFile(const std::string& path) noexcept = 0;
  // Best effort: removes the new files that CreateFileBeside made for `path` in a run that
  // was killed before it could remove them. Names of any other pattern are never touched.
  virtual void RemoveLeftoversBeside(const std::string& path) noexcept = 0;
};

}  // namespace veltrim::platform
