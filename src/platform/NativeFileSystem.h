// The host-file operations of the system this build runs on: Win32FileSystem.cpp, through the
// W functions, or PosixFileSystem.cpp.
#pragma once

#include "FileSystem.h"

namespace veltrim::platform {

class NativeFileSystem final : public FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::string ReadFile(const std::string& path, std::size_t limit) override;
  bool Holds(const std::string& path, std::string_view expected) override;
  void CheckWritable(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateFileBeside(const std::string& path) override;
  void CopyProtection(const std::string& original, const std::string& copy) override;
  std::unique_ptr<RepairLock> LockForRepair(const std::string& path) override;
  bool PutInPlace(const std::string& target, const std::string& replacement,
                  const std::function<bool()>& unchanged) override;
  void RemoveFile(const std::string& path) noexcept override;
  void RemoveLeftoversBeside(const std::string& path) noexcept override;
};

}  // namespace veltrim::platform
