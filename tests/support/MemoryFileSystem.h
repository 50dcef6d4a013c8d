// Files held in memory, keyed by path: the fuzzer runs thousands of repairs a second on them.
// One operation of the write path can be made to fail, as a full disk or a locked file would.
#pragma once

#include <cctype>
#include <map>
#include <memory>
#include <string>

#include "FileSystem.h"
#include "SystemError.h"

namespace veltrim::testing {

enum class Fault { None, Create, Write, Flush, Close, CopyProtection, Replace, Writable };

class MemoryFileSystem : public platform::FileSystem {
 public:
  std::map<std::string, std::string> files;
  Fault fault = Fault::None;

  void ToUpper(std::string& text) override {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  bool IsOrdinaryFile(const std::string& path) override { return files.count(path) != 0; }
  std::string ReadFile(const std::string& path) override { return files.at(path); }
  void CheckWritable(const std::string& path) override { FailAt(Fault::Writable, path); }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override;
  void CopyProtection(const std::string& original, const std::string&) override {
    FailAt(Fault::CopyProtection, original);
  }
  void PutInPlace(const std::string& target, const std::string& replacement) override {
    FailAt(Fault::Replace, target);
    files[target] = files.at(replacement);
    files.erase(replacement);
  }
  void RemoveFile(const std::string& path) noexcept override { files.erase(path); }
  void RemoveLeftoversBeside(const std::string&) noexcept override {}

  void FailAt(Fault point, const std::string& path) const {
    if (fault == point)
      throw platform::SystemError(112, "There is not enough space.", "write", path);
  }
};

class MemoryFile : public platform::OutputFile {
 public:
  MemoryFile(MemoryFileSystem& platform, std::string path)
      : platform_(platform), path_(std::move(path)) {}
  const std::string& Path() const override { return path_; }
  void Write(std::string_view bytes) override {
    // Half the data reaches the file before the failure.
    if (platform_.fault == Fault::Write) {
      platform_.files[path_].append(bytes.substr(0, bytes.size() / 2));
      platform_.FailAt(Fault::Write, path_);
    }
    platform_.files[path_].append(bytes);
  }
  void Flush() override { platform_.FailAt(Fault::Flush, path_); }
  void Close() override { platform_.FailAt(Fault::Close, path_); }

 private:
  MemoryFileSystem& platform_;
  std::string path_;
};

inline std::unique_ptr<platform::OutputFile> MemoryFileSystem::CreateFileBeside(
    const std::string& path) {
  FailAt(Fault::Create, path);
  std::string temporary = path + ".new";
  files[temporary] = "";
  return std::make_unique<MemoryFile>(*this, temporary);
}

}  // namespace veltrim::testing
