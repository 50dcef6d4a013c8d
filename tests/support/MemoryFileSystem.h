// Files held in memory, keyed by path, for the fuzzer and the native suite, with Windows paths
// on any system. One thread uses them at a time, so the lock holds nothing off.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "FileSystem.h"

namespace veltrim::testing {

// Its bytes are the file system's entry, which stays where it is until the file is renamed or
// removed; nothing writes to a file after that.
class MemoryFile : public platform::OutputFile {
 public:
  MemoryFile(std::string& bytes, std::string path) : bytes_(bytes), path_(std::move(path)) {}
  const std::string& Path() const override { return path_; }
  void Write(std::string_view bytes) override { bytes_.append(bytes); }
  void Flush() override {}
  void Close() override {}

 private:
  std::string& bytes_;
  std::string path_;
};

class MemoryFileSystem : public platform::FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::set<std::string> links;  // names that stand for another file or folder
  int created = 0;

  platform::PathKind KindOf(const std::string& path) override {
    if (links.count(path) != 0) return platform::PathKind::Link;
    return files.count(path) != 0 ? platform::PathKind::File : platform::PathKind::None;
  }
  std::string ReadFile(const std::string& path, std::size_t limit) override {
    const std::string& contents = files.at(path);
    if (contents.size() > limit) throw platform::FileOverLimit(path, contents.size());
    return contents;
  }
  bool Holds(const std::string& path, std::string_view expected) override {
    return files.at(path) == expected;
  }
  void CheckWritable(const std::string&) override {}
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    const std::string name = path + "." + std::to_string(++created) + ".new";
    std::string& bytes = files[name];
    bytes.clear();
    return std::make_unique<MemoryFile>(bytes, name);
  }
  void CopyProtection(const std::string&, const std::string&) override {}
  std::unique_ptr<platform::HeldFile> OpenSharingNothing(const std::string&, unsigned) override {
    return std::make_unique<platform::HeldFile>();
  }
  bool PutInPlace(const std::string& target, const std::string& replacement,
                  std::optional<std::string_view> expected) override {
    if (expected && !Holds(target, *expected)) return false;
    files[target] = std::move(files.at(replacement));
    files.erase(replacement);
    return true;
  }
  void RemoveFile(const std::string& path) noexcept override { files.erase(path); }
  void RemoveLeftoversBeside(const std::string&) noexcept override {}
};

}  // namespace veltrim::testing
