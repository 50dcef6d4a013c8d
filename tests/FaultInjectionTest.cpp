// A failure at any point of the rewrite leaves the host file byte for byte as it was and no new
// file beside it; so does another program that keeps changing the file meanwhile.
#include <gtest/gtest.h>

#include <stdexcept>

#include "FaultyFileSystem.h"
#include "FixMessages.h"
#include "HostFileHandler.h"
#include "SystemError.h"
#include "TempFolder.h"

namespace veltrim::hostfix {
namespace {

using platform::SystemError;
using testing::TempFolder;

using testing::Fault;

const std::string kLock = RepairLockPath("C:\\windows\\system32");

class FailingRewrite : public ::testing::TestWithParam<Fault> {};

TEST_P(FailingRewrite, LeavesTheFileWholeAndNothingBeside) {
  TempFolder folder;
  const std::string before = "127.0.0.1 localhost\n10.0.0.1 example.com\n";
  folder.Write("hosts", before);
  testing::FaultyFileSystem faulty(folder.Files(), GetParam());
  HostFileHandler handler(faulty, kLock);

  try {
    handler.ProcessFile(folder.PathOf("hosts"), "example.com");
    ADD_FAILURE() << "no error";
  } catch (const SystemError& error) {
    EXPECT_EQ(FailureMessage(error),
              "Could not write " + error.Path() +
                  ".\r\n\r\nError 112: There is not enough space on the disk.");
  }
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});

  // Nothing was rewritten, so there is nothing to undo.
  EXPECT_NO_THROW(handler.RestoreFile());
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
  const char* const names[] = {"",        "AtCreate",         "MidWrite",  "AtFlush",
                               "AtClose", "AtCopyProtection", "AtReplace", "NotWritable"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(HostFileHandler, FailingRewrite,
                         ::testing::Values(Fault::Writable, Fault::Create, Fault::Write,
                                           Fault::Flush, Fault::Close, Fault::CopyProtection,
                                           Fault::Replace),
                         FaultName);

// Another program (a VPN client, say) writes the host file between Veltrim's read and its
// replace, for the first `times` rewrites.
class ChangedMeanwhile final : public testing::FaultyFileSystem {
 public:
  ChangedMeanwhile(TempFolder& folder, int times)
      : FaultyFileSystem(folder.Files()), folder_(folder), times_(times) {}
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    if (changes_ < times_) {
      folder_.Write("hosts", folder_.Read("hosts") + "10.8.0." + std::to_string(++changes_) +
                                 " vpn.example.com\r\n");
    }
    return inner_.CreateFileBeside(path);
  }

 private:
  TempFolder& folder_;
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
    const std::string ours = "127.0.0.1 localhost\r\n10.0.0.9 example.com\r\n";
    folder.Write("hosts", ours);
    ChangedMeanwhile changing(folder, times);
    HostFileHandler handler(changing, kLock);
    std::string error;
    try {
      handler.ProcessFile(folder.PathOf("hosts"), "example.com");
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
    const std::string theirs =
        ours + vpn[0] + vpn[1] + (times == HostFileHandler::kAttempts ? vpn[2] : "");
    if (times < HostFileHandler::kAttempts) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(folder.Read("hosts"),
                "127.0.0.1 localhost\r\n#10.0.0.9 example.com\r\n#" + vpn[0] + "#" + vpn[1]);
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
