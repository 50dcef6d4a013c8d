// A failure at any point of the rewrite leaves the host file byte for byte as it was and no new
// file beside it; so does another program that keeps changing the file meanwhile.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "HostFileHandler.h"
#include "NativeFileSystem.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "support/ForwardingFileSystem.h"

namespace veltrim::hostfix {
namespace {

using platform::SystemError;
using testing::TempFolder;

platform::NativeFileSystem files;

enum class Fault {
  NotWritable,
  AfterCreate,
  MidWrite,
  AtFlush,
  AtClose,
  AtCopyProtection,
  AtReplace
};

[[noreturn]] void Fail(const char* action, const std::string& path) {
  throw SystemError(112, "There is not enough space on the disk.", action, path);
}

class FaultyFile final : public platform::OutputFile {
 public:
  FaultyFile(std::unique_ptr<platform::OutputFile> inner, Fault fault)
      : inner_(std::move(inner)), fault_(fault) {}
  const std::string& Path() const override { return inner_->Path(); }
  void Write(std::string_view bytes) override {
    if (fault_ == Fault::AfterCreate) Fail("write", Path());
    if (fault_ == Fault::MidWrite) {
      inner_->Write(bytes.substr(0, bytes.size() / 2));
      Fail("write", Path());
    }
    inner_->Write(bytes);
  }
  void Flush() override {
    if (fault_ == Fault::AtFlush) Fail("write to the disk", Path());
    inner_->Flush();
  }
  void Close() override {
    inner_->Close();
    if (fault_ == Fault::AtClose) Fail("close", Path());
  }

 private:
  std::unique_ptr<platform::OutputFile> inner_;
  Fault fault_;
};

class FaultyFileSystem final : public testing::ForwardingFileSystem {
 public:
  explicit FaultyFileSystem(Fault fault) : ForwardingFileSystem(files), fault_(fault) {}
  // As a read-only file or one the user may not change: the rename alone would succeed.
  void CheckWritable(const std::string& path) override {
    if (fault_ == Fault::NotWritable) Fail("open for writing", path);
  }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    return std::make_unique<FaultyFile>(inner_.CreateFileBeside(path), fault_);
  }
  void CopyProtection(const std::string& original, const std::string& copy) override {
    if (fault_ == Fault::AtCopyProtection) Fail("read the permissions of", original);
    inner_.CopyProtection(original, copy);
  }
  void PutInPlace(const std::string& target, const std::string& replacement) override {
    if (fault_ == Fault::AtReplace) Fail("replace", target);
    inner_.PutInPlace(target, replacement);
  }

 private:
  Fault fault_;
};

class FailingRewrite : public ::testing::TestWithParam<Fault> {};

TEST_P(FailingRewrite, LeavesTheFileWholeAndNothingBeside) {
  TempFolder folder;
  const std::string before = "127.0.0.1 localhost\n10.0.0.1 example.com\n";
  folder.Write("hosts", before);
  FaultyFileSystem faulty(GetParam());
  HostFileHandler handler(faulty);

  EXPECT_THROW(handler.ProcessFile(folder.PathOf("hosts"), "example.com"), SystemError);
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});

  // Nothing was rewritten, so there is nothing to undo.
  EXPECT_NO_THROW(handler.RestoreFile());
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
  static const char* const names[] = {"NotWritable", "AfterCreate",      "MidWrite", "AtFlush",
                                      "AtClose",     "AtCopyProtection", "AtReplace"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(HostFileHandler, FailingRewrite,
                         ::testing::Values(Fault::NotWritable, Fault::AfterCreate, Fault::MidWrite,
                                           Fault::AtFlush, Fault::AtClose, Fault::AtCopyProtection,
                                           Fault::AtReplace),
                         FaultName);

// Another program (a VPN client, say) writes the host file between Veltrim's read and its
// replace, for the first `times` rewrites.
class ChangedMeanwhile final : public testing::ForwardingFileSystem {
 public:
  explicit ChangedMeanwhile(int times) : ForwardingFileSystem(files), times_(times) {}
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    if (changes_ < times_) {
      std::string changed = inner_.ReadFile(path);
      changed += "10.8.0." + std::to_string(++changes_) + " vpn.example.com\r\n";
      std::ofstream(path, std::ios::binary | std::ios::trunc) << changed;
    }
    return inner_.CreateFileBeside(path);
  }

 private:
  int times_;
  int changes_ = 0;
};

// Changed once or twice, the file is repaired with the other program's lines in it and marked
// too; changed at every attempt, it is left as the other program wrote it.
TEST(HostFileHandler, ChangesOfAnotherProgramAreKept) {
  const std::string vpn[] = {"10.8.0.1 vpn.example.com\r\n", "10.8.0.2 vpn.example.com\r\n",
                             "10.8.0.3 vpn.example.com\r\n"};
  for (int times : {2, HostFileHandler::kAttempts}) {
    TempFolder folder;
    folder.Write("hosts", "127.0.0.1 localhost\r\n");
    ChangedMeanwhile changing(times);
    HostFileHandler handler(changing);
    std::string error;
    try {
      handler.ProcessFile(folder.PathOf("hosts"), "example.com");
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
    const std::string theirs = "127.0.0.1 localhost\r\n" + vpn[0] + vpn[1] +
                               (times == HostFileHandler::kAttempts ? vpn[2] : "");
    if (times < HostFileHandler::kAttempts) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n#" + vpn[0] + "#" + vpn[1]);
    } else {
      EXPECT_EQ(error, "Could not repair " + folder.PathOf("hosts") +
                           ": another program kept changing it. It was left as that program "
                           "wrote it.");
      EXPECT_EQ(folder.Read("hosts"), theirs);
    }
    // Undone, it holds the other program's lines as last read, or nothing was rewritten.
    handler.RestoreFile();
    EXPECT_EQ(folder.Read("hosts"), theirs);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
  }
}

}  // namespace
}  // namespace veltrim::hostfix
