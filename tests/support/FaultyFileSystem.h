// Passes every operation to another FileSystem, except that one operation of the write path
// may fail, as a full disk or a locked file would, or another program change the file while the
// rename waits for a hold to end, or the rename be held up.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "FileSystem.h"
#include "SystemError.h"

namespace veltrim::testing {

// In this order, so that the fuzzer's inputs keep naming the same point.
enum class Fault {
  None,
  Create,
  Write,
  Flush,
  Close,
  CopyProtection,
  Replace,
  Writable,
  ChangedDuringWait
};

// What the other program adds at its `change`th write, at ChangedDuringWait: each write its own
// line, so that a repair shows which of them it read.
inline std::string OtherProgramsLine(int change) {
  return "10.8.0." + std::to_string(change) + " vpn.example.com\r\n";
}

inline void FailAt(Fault fault, Fault point, const std::string& path) {
  if (fault == point) {
    throw platform::SystemError(112, "There is not enough space on the disk.", "write", path);
  }
}

class FaultyFile final : public platform::OutputFile {
 public:
  FaultyFile(std::unique_ptr<platform::OutputFile> inner, const Fault& fault)
      : inner_(std::move(inner)), fault_(fault) {}
  const std::string& Path() const override { return inner_->Path(); }
  // Half the data reaches the file before the failure.
  void Write(std::string_view bytes) override {
    if (fault_ == Fault::Write) inner_->Write(bytes.substr(0, bytes.size() / 2));
    FailAt(fault_, Fault::Write, Path());
    inner_->Write(bytes);
  }
  void Flush() override {
    FailAt(fault_, Fault::Flush, Path());
    inner_->Flush();
  }
  void Close() override {
    inner_->Close();
    FailAt(fault_, Fault::Close, Path());
  }

 private:
  std::unique_ptr<platform::OutputFile> inner_;
  const Fault& fault_;
};

class FaultyFileSystem : public platform::FileSystem {
 public:
  explicit FaultyFileSystem(platform::FileSystem& inner, Fault fault = Fault::None)
      : fault(fault), inner_(inner) {}

  platform::PathKind KindOf(const std::string& path) override { return inner_.KindOf(path); }
  std::string ReadFile(const std::string& path, std::size_t limit) override {
    return inner_.ReadFile(path, limit);
  }
  bool Holds(const std::string& path, std::string_view expected) override {
    return inner_.Holds(path, expected);
  }
  std::unique_ptr<platform::HeldFile> OpenSharingNothing(const std::string& path,
                                                         unsigned waitMs) override {
    return inner_.OpenSharingNothing(path, waitMs);
  }
  void RemoveFile(const std::string& path) noexcept override { inner_.RemoveFile(path); }
  void RemoveLeftoversBeside(const std::string& path) noexcept override {
    inner_.RemoveLeftoversBeside(path);
  }

  // As a read-only file or one the user may not change: the rename alone would succeed.
  void CheckWritable(const std::string& path) override {
    FailAt(fault, Fault::Writable, path);
    inner_.CheckWritable(path);
  }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    FailAt(fault, Fault::Create, path);
    return std::make_unique<FaultyFile>(inner_.CreateFileBeside(path), fault);
  }
  void CopyProtection(const std::string& original, const std::string& copy) override {
    FailAt(fault, Fault::CopyProtection, original);
    inner_.CopyProtection(original, copy);
  }
  bool PutInPlace(const std::string& target, const std::string& replacement,
                  std::optional<std::string_view> expected) override {
    FailAt(fault, Fault::Replace, target);
    std::this_thread::sleep_for(heldUpBeforeRename);
    if (fault == Fault::ChangedDuringWait && changed_ < changes) {
      // The attempt finds the file as it was read but is held off, and the file changes before
      // the next.
      ++changed_;
      if (expected && !inner_.Holds(target, *expected)) return false;
      std::unique_ptr<platform::OutputFile> theirs = inner_.CreateFileBeside(target);
      theirs->Write(inner_.ReadFile(target, SIZE_MAX) + OtherProgramsLine(changed_));
      theirs->Close();
      inner_.PutInPlace(target, theirs->Path(), std::nullopt);
    }
    return inner_.PutInPlace(target, replacement, expected);
  }

  Fault fault;
  // At ChangedDuringWait, how many attempts at the rename the other program comes before: the
  // first that many.
  int changes = 1;
  // How long a repair is held up before its rename, as a process may be.
  std::chrono::milliseconds heldUpBeforeRename{0};

 private:
  platform::FileSystem& inner_;
  int changed_ = 0;
};

}  // namespace veltrim::testing
