// Files held in memory, keyed by path: the fuzzer runs thousands of repairs a second on them,
// the native suite runs the core on them, and the fix procedure's cases use Windows paths on
// any system.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "FileSystem.h"
#include "SiblingNames.h"

namespace veltrim::testing {

class MemoryFileSystem : public platform::FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::set<std::string> links;  // names that stand for another file or folder
  std::set<std::string> held;   // by OpenSharingNothing
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
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override;
  void CopyProtection(const std::string&, const std::string&) override {}
  std::unique_ptr<platform::HeldFile> OpenSharingNothing(const std::string& path,
                                                         unsigned) override;
  bool PutInPlace(const std::string& target, const std::string& replacement,
                  std::optional<std::string_view> expected) override {
    if (expected && !Holds(target, *expected)) return false;
    files[target] = std::move(files.at(replacement));
    files.erase(replacement);
    return true;
  }
  void RemoveFile(const std::string& path) noexcept override { files.erase(path); }
  void RemoveLeftoversBeside(const std::string& path) noexcept override {
    const std::size_t name = path.find_last_of('\\') + 1;  // 0 where there is no folder
    for (auto file = files.begin(); file != files.end();) {
      const bool leftover = file->first.compare(0, name, path, 0, name) == 0 &&
                            platform::IsNewFileNameOf(path.substr(name), file->first.substr(name));
      file = leftover ? files.erase(file) : std::next(file);
    }
  }
};

class MemoryFile : public platform::OutputFile {
 public:
  MemoryFile(MemoryFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  const std::string& Path() const override { return path_; }
  void Write(std::string_view bytes) override { files_.files[path_].append(bytes); }
  void Flush() override {}
  void Close() override {}

 private:
  MemoryFileSystem& files_;
  std::string path_;
};

class MemoryHeldFile : public platform::HeldFile {
 public:
  MemoryHeldFile(MemoryFileSystem& files, std::string path)
      : files_(files), path_(std::move(path)) {
    files_.held.insert(path_);
  }
  ~MemoryHeldFile() override { files_.held.erase(path_); }

 private:
  MemoryFileSystem& files_;
  std::string path_;
};

inline std::unique_ptr<platform::OutputFile> MemoryFileSystem::CreateFileBeside(
    const std::string& path) {
  const std::string name = platform::NewFileNameBeside(path, 1, ++created);
  files[name] = "";
  return std::make_unique<MemoryFile>(*this, name);
}

// No wait: one thread alone uses these files.
inline std::unique_ptr<platform::HeldFile> MemoryFileSystem::OpenSharingNothing(
    const std::string& path, unsigned) {
  if (held.count(path) != 0) {
    throw platform::FileBusy(32, "The file is held by another program.", "open", path);
  }
  return std::make_unique<MemoryHeldFile>(*this, path);
}

}  // namespace veltrim::testing
