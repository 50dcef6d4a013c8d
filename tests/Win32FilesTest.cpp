// The host-file handler against the real Win32 file system: attributes, locks and files that
// may not be changed. (Wine keeps no DACL that is set on a file and drops the indexing
// attribute, so that the rewrite carries both over can be seen on Windows only.)
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "FaultyFileSystem.h"
#include "FixMessages.h"
#include "HostFileHandler.h"
#include "Scoped.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "Thrown.h"
#include "Win32Error.h"
#include "Win32FileSystem.h"

namespace veltrim::hostfix {
namespace {

using platform::SystemError;
using testing::ReadBytes;
using testing::TempFolder;

platform::Win32FileSystem files;
const std::string kLock = RepairLockPath("C:\\windows\\system32");

const std::string kBefore = "127.0.0.1 localhost\r\n10.0.0.1 example.com\r\n";

class Win32Files : public ::testing::Test {
 protected:
  Win32Files() { folder.Write("hosts", kBefore); }
  std::string Hosts() const { return folder.PathOf("hosts"); }
  TempFolder folder;
  HostFileHandler handler{files, kLock};
};

// Another program holds a file open for a while, sharing `share`, as a virus scanner or an
// editor does; `meanwhile` runs halfway through.
class Hold {
 public:
  Hold(const std::string& path, DWORD share, DWORD ms, const std::function<void()>& meanwhile = {})
      : file_(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)),
        thread_([this, ms, meanwhile] {
          ::Sleep(ms / 2);
          if (meanwhile) meanwhile();
          ::Sleep(ms / 2);
          file_.Reset();
        }) {}
  ~Hold() { thread_.join(); }
  bool Holds() const { return file_.IsSet(); }

 private:
  platform::ScopedHandle file_;
  std::thread thread_;
};

// The new file is held as soon as it is written and closed, as a scanner that looks at every
// file as it is closed would.
class ScannedNewFile final : public platform::Win32FileSystem {
 public:
  ScannedNewFile(DWORD share, std::function<void()> meanwhile = {})
      : share_(share), meanwhile_(std::move(meanwhile)) {}
  // The check before each attempt at the rename.
  bool Holds(const std::string& path, std::string_view expected) override {
    ++reads;
    return Win32FileSystem::Holds(path, expected);
  }
  void CopyProtection(const std::string& original, const std::string& copy) override {
    Win32FileSystem::CopyProtection(original, copy);
    if (hold_ != nullptr) return;
    hold_ = std::make_unique<Hold>(copy, share_, 600, meanwhile_);
    EXPECT_TRUE(hold_->Holds());
  }
  int reads = 0;

 private:
  DWORD share_;
  std::function<void()> meanwhile_;
  std::unique_ptr<Hold> hold_;
};

// A hold of either file for less than two seconds is waited out, whatever the holder shares.
TEST_F(Win32Files, BriefHoldsAreWaitedOutWhateverTheyShare) {
  const std::string repaired = "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n";
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                      DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    {
      Hold scanner(Hosts(), share, 600);
      ASSERT_TRUE(scanner.Holds());
      handler.ProcessFile(Hosts(), "example.com");
    }
    EXPECT_EQ(folder.Read("hosts"), repaired) << "hosts shared " << share;
    folder.Write("hosts", kBefore);
    ScannedNewFile scanned(share);
    HostFileHandler scannedHandler(scanned, kLock);
    scannedHandler.ProcessFile(Hosts(), "example.com");
    EXPECT_EQ(folder.Read("hosts"), repaired) << "the new file shared " << share;
    // Checked again every 50 ms or so while the hold lasts, not in a busy loop.
    EXPECT_LT(scanned.reads, 40) << "the new file shared " << share;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
    folder.Write("hosts", kBefore);
  }
}

// Another program adds a line while the rename waits for the scanner: the line is kept, and
// repaired too; the new file that was made from the old contents goes once the scanner lets go.
// The file is hidden, as programs that take over name resolution leave it, and stays so.
TEST_F(Win32Files, AChangeWhileTheRenameWaitsIsKept) {
  const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(::SetFileAttributesA(Hosts().c_str(), hidden));
  ScannedNewFile scanned(0, [&] {
    // As that program would, it tries again while Veltrim holds the file for its check.
    platform::ScopedHandle file;
    for (int tries = 0; tries < 100 && !file.IsSet(); ++tries, ::Sleep(10)) {
      file.Reset(::CreateFileA(Hosts().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    const char line[] = "10.8.0.1 vpn.example.com\r\n";
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file.Get(), line, sizeof line - 1, &written, nullptr));
  });
  HostFileHandler scannedHandler(scanned, kLock);
  scannedHandler.ProcessFile(Hosts(), "example.com");
  EXPECT_EQ(folder.Read("hosts"),
            "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n#10.8.0.1 vpn.example.com\r\n");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
  EXPECT_EQ(::GetFileAttributesA(Hosts().c_str()), hidden);
}

// Only a Veltrim that is repairing holds a repair off: not the lock file that an earlier run
// left, held open by another program for its attributes alone, as any user may, across two
// repairs; nor a program that took a public name first, as a mutex that it never lets go of or
// as an event.
TEST_F(Win32Files, NothingButARepairHoldsOneOff) {
  std::ofstream(kLock).put(0);
  const platform::ScopedHandle attributesOnly(::CreateFileA(
      kLock.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(attributesOnly.IsSet());
  for (bool mutex : {true, false}) {
    folder.Write("hosts", kBefore);
    platform::ScopedHandle taken(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    platform::ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread squatter([&] {
      const wchar_t kName[] = L"Global\\Veltrim.HostFileRepair";
      platform::ScopedHandle name(mutex ? ::CreateMutexW(nullptr, TRUE, kName)
                                        : ::CreateEventW(nullptr, TRUE, FALSE, kName));
      ::SetEvent(taken.Get());
      ::WaitForSingleObject(done.Get(), INFINITE);
    });
    ::WaitForSingleObject(taken.Get(), INFINITE);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_NO_THROW(handler.ProcessFile(Hosts(), "example.com"));
    EXPECT_LT(::GetTickCount64() - start, 2000u);
    ::SetEvent(done.Get());
    squatter.join();
    EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n");
  }
  // Kept for the next repair: never deleted, so never left "delete pending" behind such a handle.
  EXPECT_NE(::GetFileAttributesA(kLock.c_str()), INVALID_FILE_ATTRIBUTES);
}

// A program that keeps the file open fails the repair, within a few seconds, which says so and
// leaves the file as it was.
TEST_F(Win32Files, ALongHoldIsReported) {
  platform::ScopedHandle held(::CreateFileA(Hosts().c_str(), GENERIC_READ, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.IsSet());
  // The system's description, as the message gives it, ends without a line end of its own.
  const std::string described = platform::DescribeError(ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(!described.empty() && described.find_first_of("\r\n") == std::string::npos);
  EXPECT_EQ(testing::WhatThrown([&] { handler.ProcessFile(Hosts(), "example.com"); }),
            "open for reading " + Hosts() + ": error 32, " + described);
  held.Reset();
  EXPECT_EQ(folder.Read("hosts"), kBefore);
}

// The wrapper script makes this file immutable on the Linux side, which Wine reports as
// "access denied" even to root.
TEST(Win32ProtectedFile, FileThatMayNotBeWrittenFailsUnchanged) {
  const char* path = std::getenv("VELTRIM_PROTECTED_HOSTS");
  if (path == nullptr) GTEST_SKIP() << "VELTRIM_PROTECTED_HOSTS is not set";
  std::filesystem::path file(path);
  const std::string before = ReadBytes(path);
  HostFileHandler handler(files, kLock);
  const auto error =
      testing::Thrown<SystemError>([&] { handler.ProcessFile(path, "example.com"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(FailureMessage(*error),
            "Could not open for writing " + std::string(path) +
                ".\r\n\r\nError 5: " + platform::DescribeError(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1);
}

// A name for the new file that is taken already (left by an earlier process that had the same
// id) is passed over, not failed on. A folder that is not there has no leftovers.
TEST(Win32FileSystem, NewFileTakesTheNextFreeName) {
  TempFolder folder;
  const std::string hosts = folder.PathOf("hosts");
  const std::string first = files.CreateFileBeside(hosts)->Path();
  // "hosts.<process>-<count>.veltrim-new"
  const std::size_t dash = first.rfind('-', first.size() - std::strlen(".veltrim-new") - 1);
  const std::string stem = first.substr(0, dash + 1);
  const unsigned long count = std::stoul(first.substr(dash + 1));
  const std::string taken = stem + std::to_string(count + 1) + ".veltrim-new";
  std::ofstream(taken) << "another's";
  EXPECT_EQ(files.CreateFileBeside(hosts)->Path(),
            stem + std::to_string(count + 2) + ".veltrim-new");
  EXPECT_EQ(ReadBytes(taken), "another's");
  files.RemoveLeftoversBeside(folder.PathOf("missing/hosts"));
}

// Each failing file operation says what it could not do, on which file, and none is taken for
// a success.
TEST(Win32FileSystem, FailuresNameTheActionAndTheFile) {
  TempFolder folder;
  folder.Write("hosts", "x");
  const std::string missing = folder.PathOf("missing");
  const std::string inMissingFolder = folder.PathOf("missing/hosts");
  struct Case {
    const char* action;
    std::string path;
    std::function<void()> operation;
  };
  const std::vector<Case> cases = {
      {"open for reading", missing, [&] { files.ReadFile(missing, SIZE_MAX); }},
      {"open for reading", folder.Path(), [&] { files.ReadFile(folder.Path(), SIZE_MAX); }},
      {"open for writing", missing, [&] { files.CheckWritable(missing); }},
      {"create a new file beside", inMissingFolder,
       [&] { files.CreateFileBeside(inMissingFolder); }},
      {"read the permissions of", missing,
       [&] { files.CopyProtection(missing, folder.PathOf("hosts")); }},
      {"replace", folder.PathOf("hosts"),
       [&] { files.PutInPlace(folder.PathOf("hosts"), missing, std::nullopt); }}};
  for (const Case& c : cases) {
    const auto error = testing::Thrown<SystemError>(c.operation);
    EXPECT_EQ(error ? error->Action() + " " + error->Path() : "", c.action + (" " + c.path));
  }
  EXPECT_EQ(folder.Read("hosts"), "x");
}

// A run that was killed part way leaves its new file beside the host file; the next one
// removes it, and nothing of another pattern.
TEST(HostFileHandler, RemovesOnlyTheNewFilesOfAnEarlierRun) {
  TempFolder folder;
  // Which names are a run's own is a table of its own; these stand for the rest.
  const std::vector<std::string> kept = {"hosts", "hosts.1a2b-3.veltrim-new.txt", "hosts.backup",
                                         "lmhosts.1a2b-3.veltrim-new"};
  for (const std::string& name : kept) folder.Write(name, "1.1.1.1 example.com\r\n");
  folder.Write("hosts.1a2b-3.veltrim-new", "half a fi");
  folder.Write("hosts.f-12.veltrim-new", "");
  HostFileHandler handler(folder.Files(), kLock);

  handler.ProcessFile(folder.PathOf("hosts"), "example.com");

  EXPECT_EQ(folder.Names(), kept);
  EXPECT_EQ(folder.Read("hosts"), "#1.1.1.1 example.com\r\n");
  EXPECT_EQ(folder.Read("hosts.backup"), "1.1.1.1 example.com\r\n");
}

// Two Veltrims repairing two hosts at once, the first held up before its rename: the second
// waits for the first's repair instead of removing its new file or being overwritten by it,
// and both lines end up commented out.
TEST(HostFileHandler, TwoRepairsAtOnceKeepBothMarks) {
  for (int round = 0; round < 3; ++round) {
    TempFolder folder;
    folder.Write("hosts", "10.0.0.1 a.example\r\n10.0.0.2 b.example\r\n");
    testing::FaultyFileSystem slow(folder.Files());
    slow.heldUpBeforeRename = std::chrono::milliseconds(300);
    HostFileHandler first(slow, kLock);
    HostFileHandler second(folder.Files(), kLock);
    std::string firstError;
    std::thread other([&] {
      firstError =
          testing::WhatThrown([&] { first.ProcessFile(folder.PathOf("hosts"), "a.example"); });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    second.ProcessFile(folder.PathOf("hosts"), "b.example");
    other.join();
    EXPECT_EQ(firstError, "");
    EXPECT_EQ(folder.Read("hosts"), "#10.0.0.1 a.example\r\n#10.0.0.2 b.example\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
  }
}

}  // namespace
}  // namespace veltrim::hostfix
