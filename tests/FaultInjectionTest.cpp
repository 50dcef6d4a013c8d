// A failure at any point of the rewrite leaves the host file byte for byte as it was and no new
// file beside it; so does another program that keeps changing the file meanwhile.
#include <gtest/gtest.h>

#include "FaultyFileSystem.h"
#include "FixMessages.h"
#include "HostFileHandler.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "Thrown.h"

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

  const auto error = testing::Thrown<SystemError>(
      [&] { handler.ProcessFile(folder.PathOf("hosts"), "example.com"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(FailureMessage(*error),
            "Could not write " + error->Path() +
                ".\r\n\r\nError 112: There is not enough space on the disk.");
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

// Another program (a VPN client, say) writes the host file while the rename waits, for the first
// `times` attempts. Changed once or twice, the file is repaired with the other program's lines
// in it and marked too; changed at every attempt, it is left as the other program wrote it.
TEST(HostFileHandler, ChangesOfAnotherProgramAreKept) {
  for (int times : {2, HostFileHandler::kAttempts}) {
    TempFolder folder;
    const std::string ours = "127.0.0.1 localhost\r\n10.0.0.9 example.com\r\n";
    folder.Write("hosts", ours);
    testing::FaultyFileSystem changing(folder.Files(), Fault::ChangedDuringWait);
    changing.changes = times;
    HostFileHandler handler(changing, kLock);
    const std::string error =
        testing::WhatThrown([&] { handler.ProcessFile(folder.PathOf("hosts"), "example.com"); });
    std::string theirs = ours;
    for (int time = 0; time < times; ++time) theirs += testing::kOtherProgramsLine;
    if (times < HostFileHandler::kAttempts) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n#10.0.0.9 example.com\r\n#" +
                                          std::string(testing::kOtherProgramsLine) + "#" +
                                          testing::kOtherProgramsLine);
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
