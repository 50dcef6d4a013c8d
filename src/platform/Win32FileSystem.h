// The host-file operations of Windows, through the W functions.
#pragma once

#include "FileSystem.h"

namespace veltrim::platform {

class Win32FileSystem : public FileSystem {
 public:
  PathKind KindOf(const std::string& path) override;
  std::string ReadFile(const std::string& path, std::size_t limit) override;
  bool Holds(const std::string& path, std::string_view expected) override;
  void CheckWritable(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateFileBeside(const std::string& path) override;
  void CopyProtection(const std::string& original, const std::string& copy) override;
  std::unique_ptr<HeldFile> OpenSharingNothing(const std::string& path, unsigned waitMs) override;
  bool PutInPlace(const std::string& target, const std::string& replacement,
                  std::optional<std::string_view> expected) override;
  void RemoveFile(const std::string& path) noexcept override;
  void RemoveLeftoversBeside(const std::string& path) noexcept override;
};

}  // namespace veltrim::platform
