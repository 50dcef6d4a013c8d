// A failure at any point of the rewrite leaves the host file byte for byte as it was and no new
// file beside it.
#include <gtest/gtest.h>

#include "HostFileHandler.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "support/ForwardingPlatform.h"

namespace veltrim::hostfix {
namespace {

using platform::SystemError;
using testing::TempFolder;

enum class Fault { AfterCreate, MidWrite, AtFlush, AtClose, AtReplace };

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

class FaultyPlatform final : public testing::ForwardingPlatform {
 public:
  explicit FaultyPlatform(Fault fault)
      : ForwardingPlatform(platform::SystemPlatform()), fault_(fault) {}
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    return std::make_unique<FaultyFile>(inner_.CreateFileBeside(path), fault_);
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
  FaultyPlatform platform(GetParam());
  HostFileHandler handler(platform);

  EXPECT_THROW(handler.ProcessFile(folder.PathOf("hosts"), "example.com"), SystemError);
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});

  EXPECT_THROW(handler.RestoreFile(), SystemError);
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
  static const char* const names[] = {"AfterCreate", "MidWrite", "AtFlush", "AtClose", "AtReplace"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(HostFileHandler, FailingRewrite,
                         ::testing::Values(Fault::AfterCreate, Fault::MidWrite, Fault::AtFlush,
                                           Fault::AtClose, Fault::AtReplace),
                         FaultName);

}  // namespace
}  // namespace veltrim::hostfix
