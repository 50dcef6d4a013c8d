// A FileSystem that passes every operation to another one; test doubles override what they
// change.
#pragma once

#include "FileSystem.h"

namespace veltrim::testing {

class ForwardingFileSystem : public platform::FileSystem {
 public:
  explicit ForwardingFileSystem(platform::FileSystem& inner) : inner_(inner) {}

  platform::PathKind KindOf(const std::string& path) override { return inner_.KindOf(path); }
  std::string ReadFile(const std::string& path, std::size_t limit) override {
    return inner_.ReadFile(path, limit);
  }
  bool Holds(const std::string& path, std::string_view expected) override {
    return inner_.Holds(path, expected);
  }
  void CheckWritable(const std::string& path) override { inner_.CheckWritable(path); }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    return inner_.CreateFileBeside(path);
  }
  void CopyProtection(const std::string& original, const std::string& copy) override {
    inner_.CopyProtection(original, copy);
  }
  std::unique_ptr<platform::HeldFile> OpenSharingNothing(const std::string& path,
                                                         unsigned waitMs) override {
    return inner_.OpenSharingNothing(path, waitMs);
  }
  bool PutInPlace(const std::string& target, const std::string& replacement,
                  std::optional<std::string_view> expected) override {
    return inner_.PutInPlace(target, replacement, expected);
  }
  void RemoveFile(const std::string& path) noexcept override { inner_.RemoveFile(path); }
  void RemoveLeftoversBeside(const std::string& path) noexcept override {
    inner_.RemoveLeftoversBeside(path);
  }

 protected:
  platform::FileSystem& inner_;
};

}  // namespace veltrim::testing
