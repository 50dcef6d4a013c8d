// The host-file handler against the real Win32 file system: attributes, locks and files that
// may not be changed.
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "HostFileHandler.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "Win32Error.h"
#include "Win32FileSystem.h"
#include "Win32Handle.h"

namespace veltrim::hostfix {
namespace {

using platform::SystemError;
using testing::ReadBytes;
using testing::TempFolder;

platform::Win32FileSystem files;

const std::string kBefore = "127.0.0.1 localhost\r\n10.0.0.1 example.com\r\n";

class Win32Files : public ::testing::Test {
 protected:
  Win32Files() { folder.Write("hosts", kBefore); }
  std::string Hosts() const { return folder.PathOf("hosts"); }
  TempFolder folder;
  HostFileHandler handler{files};
};

TEST_F(Win32Files, HiddenOrSystemFileIsLeftAlone) {
  for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    ASSERT_TRUE(::SetFileAttributesA(Hosts().c_str(), attribute));
    handler.ProcessFile(Hosts(), "example.com");
    ASSERT_TRUE(::SetFileAttributesA(Hosts().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(folder.Read("hosts"), kBefore);
  }
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

// A virus scanner that holds the file for a moment is waited out.
TEST_F(Win32Files, BriefHoldIsWaitedOut) {
  HANDLE holder = ::CreateFileA(Hosts().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  HANDLE letGo = ::CreateThread(
      nullptr, 0,
      [](void* file) -> DWORD {
        ::Sleep(300);
        ::CloseHandle(static_cast<HANDLE>(file));
        return 0;
      },
      holder, 0, nullptr);
  ASSERT_NE(letGo, nullptr);
  handler.ProcessFile(Hosts(), "example.com");
  ::WaitForSingleObject(letGo, INFINITE);
  ::CloseHandle(letGo);
  EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n");
}

// The DACL as text, without the owner and group that the rewrite does not carry over.
std::string DaclOf(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "unreadable";
  }
  char* text = nullptr;
  ::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
  std::string result = text != nullptr ? text : "none";
  ::LocalFree(text);
  ::LocalFree(descriptor);
  return result;
}

TEST_F(Win32Files, RewriteKeepsThePermissionsAndAttributes) {
  // Only administrators and the system may read or change it, cut off from the folder.
  PSECURITY_DESCRIPTOR wanted = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:P(A;;FA;;;SY)(A;;FA;;;S-1-5-21-0-0-0-1000)", SDDL_REVISION_1, &wanted, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(::GetSecurityDescriptorDacl(wanted, &present, &dacl, &defaulted));
  std::string path = Hosts();
  ASSERT_EQ(::SetNamedSecurityInfoA(path.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  ::LocalFree(wanted);
  const DWORD attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
  // Wine keeps neither the DACL nor the indexing attribute as set; it reports a DACL made from
  // the Unix permissions. So under Wine this shows that both stay as Wine reports them.
  const std::string before = DaclOf(path);
  const DWORD attributesBefore = ::GetFileAttributesA(path.c_str());

  handler.ProcessFile(path, "example.com");

  EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n");
  EXPECT_EQ(DaclOf(path), before);
  EXPECT_EQ(::GetFileAttributesA(path.c_str()), attributesBefore);
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
  HostFileHandler handler(files);
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
