// The host-file handler against the real Win32 file system: attributes, locks and files that
// may not be changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "HostFileHandler.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "Win32Error.h"
#include "Win32Handle.h"

namespace veltrim::hostfix {
namespace {

using platform::SystemError;
using testing::ReadBytes;
using testing::TempFolder;

const std::string kBefore = "127.0.0.1 localhost\r\n10.0.0.1 example.com\r\n";

class Win32Files : public ::testing::Test {
 protected:
  Win32Files() { folder.Write("hosts", kBefore); }
  std::string Hosts() const { return folder.PathOf("hosts"); }
  TempFolder folder;
  HostFileHandler handler{platform::SystemPlatform()};
};

TEST_F(Win32Files, HiddenOrSystemFileIsLeftAlone) {
  for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    ASSERT_TRUE(::SetFileAttributesA(Hosts().c_str(), attribute));
    handler.ProcessFile(Hosts(), "example.com");
    EXPECT_EQ(handler.SavedLineCount(), 0);
    ASSERT_TRUE(::SetFileAttributesA(Hosts().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(folder.Read("hosts"), kBefore);
  }
}

TEST_F(Win32Files, FolderIsLeftAlone) {
  std::filesystem::create_directory(folder.PathOf("etc"));
  handler.ProcessFile(folder.PathOf("etc"), "example.com");
  EXPECT_EQ(handler.SavedLineCount(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder.PathOf("etc")));
}

TEST_F(Win32Files, FileHeldOpenWithoutSharingFailsUnchanged) {
  platform::AutoCloseHandle holder(::CreateFileA(Hosts().c_str(), GENERIC_READ, 0, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder.IsValid());
  try {
    handler.ProcessFile(Hosts(), "example.com");
    FAIL() << "no error";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.Number(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(error.Path(), Hosts());
    EXPECT_EQ(error.Action(), "open for reading");
  }
  holder.Close();
  EXPECT_EQ(folder.Read("hosts"), kBefore);
}

TEST_F(Win32Files, ReplacedFileIsTheOnlyOneLeft) {
  handler.ProcessFile(Hosts(), "example.com");
  EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

TEST_F(Win32Files, LetterCaseFollowsTheCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << ::GetACP();
  folder.Write("hosts", "1.1.1.1 CAF\xC9.example\r\n");
  handler.ProcessFile(Hosts(), "caf\xE9.example");
  EXPECT_EQ(folder.Read("hosts"), "#1.1.1.1 CAF\xC9.example\r\n");
}

// The wrapper script makes this file immutable on the Linux side, which Wine reports as
// "access denied" even to root.
TEST(Win32ProtectedFile, FileThatMayNotBeWrittenFailsUnchanged) {
  const char* path = std::getenv("VELTRIM_PROTECTED_HOSTS");
  if (path == nullptr) GTEST_SKIP() << "VELTRIM_PROTECTED_HOSTS is not set";
  std::filesystem::path file(path);
  const std::string before = ReadBytes(path);
  HostFileHandler handler(platform::SystemPlatform());
  try {
    handler.ProcessFile(path, "example.com");
    FAIL() << "no error";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.Number(), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(error.Action(), "open for writing");
    EXPECT_EQ(std::string(error.what()),
              "Could not open for writing " + std::string(path) +
                  ".\r\n\r\nError 5: " + platform::DescribeError(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(handler.SavedLineCount(), 2);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1);
}

TEST(Win32Error, DescriptionHasNoLineEnd) {
  std::string text = platform::DescribeError(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
}

}  // namespace
}  // namespace veltrim::hostfix
