// The fix procedure's steps, in order, as the window and the system see them.
#include "FixProcedure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "SystemError.h"
#include "TempFolder.h"
#include "NativeFileSystem.h"
#include "support/ForwardingFileSystem.h"

namespace veltrim::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;
using Log = std::vector<std::string>;

// Everything the procedure asks of the desktop is recorded.
class RecordingDesktop final : public platform::Desktop {
 public:
  RecordingDesktop(Log& log, std::string systemFolder)
      : log_(log), folder_(std::move(systemFolder)) {}

  std::string SystemFolder() override { return folder_; }
  void Sleep(unsigned milliseconds) override {
    log_.push_back("sleep " + std::to_string(milliseconds));
  }
  void CheckProgramExists(const std::string& program) override {
    if (program == missingProgram) {
      throw platform::SystemError(2, "The system cannot find the file specified.", "start",
                                  program);
    }
  }
  void StartProgram(const std::string& program, const std::string& commandLine,
                    WindowState state) override {
    log_.push_back("start " + program + " | " + commandLine + StateName(state));
  }
  bool StartThroughShell(const std::string& program, const std::string& arguments,
                         WindowState state) override {
    log_.push_back("shell " + program + " | " + arguments + StateName(state) +
                   (hasShell ? "" : " | declined"));
    return hasShell;
  }
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    log_.push_back("message " + text + (buttons == MessageButtons::Ok ? " [OK]" : " [Yes No]"));
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
  }

  MessageAnswer answer = MessageAnswer::Yes;
  std::string missingProgram;
  bool hasShell = true;

 private:
  static std::string StateName(WindowState state) {
    return state == WindowState::Hidden ? " | hidden" : " | maximized";
  }
  Log& log_;
  std::string folder_;
};

// The procedure builds Windows paths; the native build's file system wants slashes.
class LocalFiles final : public testing::ForwardingFileSystem {
 public:
  LocalFiles() : ForwardingFileSystem(native_) {}
  bool IsOrdinaryFile(const std::string& path) override {
    return inner_.IsOrdinaryFile(Local(path));
  }
  std::string ReadFile(const std::string& path) override { return inner_.ReadFile(Local(path)); }
  void CheckWritable(const std::string& path) override { inner_.CheckWritable(Local(path)); }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    return inner_.CreateFileBeside(Local(path));
  }
  void CopyProtection(const std::string& original, const std::string& copy) override {
    inner_.CopyProtection(Local(original), copy);
  }
  void PutInPlace(const std::string& target, const std::string& replacement) override {
    inner_.PutInPlace(Local(target), replacement);
  }
  void RemoveLeftoversBeside(const std::string& path) noexcept override {
    inner_.RemoveLeftoversBeside(Local(path));
  }

 private:
  static std::string Local(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  platform::NativeFileSystem native_;
};

class RecordingView final : public FixView {
 public:
  RecordingView(Log& log, std::string address, std::string utf8)
      : log_(log), address_(std::move(address)), utf8_(std::move(utf8)) {}
  std::string AddressText() override { return address_; }
  std::string AddressTextUtf8() override { return utf8_; }
  void ShowWorkingState() override { log_.push_back("working state"); }
  void SetProgressItem(const std::string& caption) override {
    log_.push_back("progress " + caption);
  }
  void TakeFocus() override { log_.push_back("focus"); }
  void AskAgain() override { log_.push_back("ask again"); }
  void Close() override { log_.push_back("close"); }

 private:
  Log& log_;
  std::string address_;
  std::string utf8_;
};

const std::string kHosts = "127.0.0.1 localhost\r\n10.0.0.1 www.example.com\r\n";
const std::string kLmHosts = "10.0.0.2 EXAMPLE.COM #PRE\r\n10.0.0.3 other\r\n";

class FixProcedure : public ::testing::Test {
 protected:
  FixProcedure() {
    std::filesystem::create_directories(folder.PathOf("drivers/etc"));
    folder.Write("drivers/etc/hosts", kHosts);
    folder.Write("drivers/etc/lmhosts", kLmHosts);
  }
  // `utf8` is the typed text in every letter, where the code page cannot hold them all.
  Log Run(const std::string& address, const std::string& utf8 = "") {
    RecordingView view(log, address, utf8.empty() ? address : utf8);
    RunFix(view, desktop, hosts, lmHosts);
    return log;
  }

  testing::TempFolder folder;
  Log log;
  RecordingDesktop desktop{log, folder.Path()};
  LocalFiles files;
  hostfix::HostFileHandler hosts{files};
  hostfix::HostFileHandler lmHosts{files};
};

const std::string kBrowserByShell = "shell C:\\Program Files\\Internet Explorer\\iexplore.exe | ";

TEST_F(FixProcedure, FullFixAnsweredYes) {
  const std::string system = folder.Path();
  EXPECT_EQ(
      Run("http://www.example.com/page"),
      (Log{"working state", "progress Flushing DNS",
           "start " + system + "\\ipconfig.exe | " + system + "\\ipconfig.exe /flushdns | hidden",
           "progress Clearing Hosts", "progress Completed",
           kBrowserByShell + "http://www.example.com/page | maximized", "sleep 4000", "focus",
           "message Did the Page load successfully? [Yes No]",
           std::string("message The correction will remain within the system.\r\n\r\n") +
               "You may now reactivate any web acceleration software that you use. [OK]",
           "close"}));
  EXPECT_EQ(folder.Read("drivers/etc/hosts"),
            "127.0.0.1 localhost\r\n#10.0.0.1 www.example.com\r\n");
  EXPECT_EQ(folder.Read("drivers/etc/lmhosts"), "#10.0.0.2 EXAMPLE.COM #PRE\r\n10.0.0.3 other\r\n");
  EXPECT_EQ(hosts.LastDomain(), "example.com");
  EXPECT_EQ(lmHosts.LastFilePath(), system + "\\drivers\\etc\\lmhosts");
}

TEST_F(FixProcedure, AnsweredNoKeepsTheRepairAndSaysSo) {
  desktop.answer = MessageAnswer::No;
  Log result = Run("example.com");
  ASSERT_GE(result.size(), 2u);
  EXPECT_EQ(result[result.size() - 2],
            "message The problem is not DNS related.\r\n\r\nYou may now reactivate any web "
            "acceleration software that you use. [OK]");
  EXPECT_EQ(result.back(), "close");
  EXPECT_EQ(folder.Read("drivers/etc/hosts"),
            "127.0.0.1 localhost\r\n#10.0.0.1 www.example.com\r\n");
}

TEST_F(FixProcedure, AddressWithoutHostIsRefused) {
  for (const char* typed : {"http://", "", "http:///a", "http://www./", "   ", "http://  /x"}) {
    log.clear();
    EXPECT_EQ(Run(typed), (Log{"message Invalid web address [OK]", "ask again"}))
        << '"' << typed << '"';
  }
  EXPECT_EQ(folder.Read("drivers/etc/hosts"), kHosts);
  EXPECT_EQ(folder.Read("drivers/etc/lmhosts"), kLmHosts);
}

TEST_F(FixProcedure, PrefixInCapitalsPasses) {
  Log result = Run("HTTP://");
  EXPECT_EQ(result.front(), "working state");
  EXPECT_EQ(hosts.LastDomain(), "HTTP:");
}

TEST_F(FixProcedure, MissingLmHostsIsSkipped) {
  std::filesystem::remove(folder.PathOf("drivers/etc/lmhosts"));
  Log result = Run("example.com");
  EXPECT_EQ(result.back(), "close");
  EXPECT_EQ(result.size(), 11u);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"drivers"});
  EXPECT_FALSE(std::filesystem::exists(folder.PathOf("drivers/etc/lmhosts")));
}

TEST_F(FixProcedure, HostsFileTooLongStopsBeforeTheBrowser) {
  std::string big;
  for (int i = 0; i < 201; ++i) big += "10.0.0.1 example.com\r\n";
  folder.Write("drivers/etc/hosts", big);
  const std::string hostsPath = folder.Path() + "\\drivers\\etc\\hosts";
  Log result = Run("example.com");
  ASSERT_EQ(result.size(), 6u);
  EXPECT_EQ(result[3], "progress Clearing Hosts");
  EXPECT_EQ(result[4], "message " + hostsPath +
                           " has more than 200 lines; Veltrim can repair host files of up to "
                           "200 lines. [OK]");
  EXPECT_EQ(result[5], "close");
  EXPECT_EQ(folder.Read("drivers/etc/hosts"), big);
  EXPECT_EQ(folder.Read("drivers/etc/lmhosts"), kLmHosts);
}

TEST_F(FixProcedure, MissingBrowserIsReportedAfterTheRepair) {
  desktop.missingProgram = kBrowserPath;
  Log result = Run("example.com");
  ASSERT_EQ(result.size(), 7u);
  EXPECT_EQ(result[4], "progress Completed");
  EXPECT_EQ(result[5],
            "message Could not start C:\\Program Files\\Internet Explorer\\iexplore.exe.\r\n\r\n"
            "Error 2: The system cannot find the file specified. [OK]");
  EXPECT_EQ(result[6], "close");
  EXPECT_EQ(folder.Read("drivers/etc/hosts"),
            "127.0.0.1 localhost\r\n#10.0.0.1 www.example.com\r\n");
}

// Where no desktop shell starts the browser (no Explorer, as on Server Core), it is started
// from here, with the typed text in every letter, the code page's or not.
TEST_F(FixProcedure, WithoutADesktopShellTheBrowserIsStartedDirectly) {
  desktop.hasShell = false;
  const std::string typed = "http://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.com/";
  Log result = Run("http://?????.com/", typed);
  ASSERT_GE(result.size(), 8u);
  EXPECT_EQ(result[4], "progress Completed");
  EXPECT_EQ(result[5], kBrowserByShell + typed + " | maximized | declined");
  EXPECT_EQ(result[6],
            "start C:\\Program Files\\Internet Explorer\\iexplore.exe | "
            "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" " +
                typed + " | maximized");
  EXPECT_EQ(result[7], "sleep 4000");
  EXPECT_EQ(hosts.LastDomain(), "?????.com");
}

// Without a system folder the paths would name a program and files in the root of the current
// drive; nothing is started or changed.
TEST_F(FixProcedure, UnknownSystemFolderIsRefusedBeforeAnything) {
  RecordingDesktop noFolder(log, "");
  RecordingView view(log, "example.com", "example.com");
  RunFix(view, noFolder, hosts, lmHosts);
  EXPECT_EQ(log, (Log{"message Could not find the Windows system folder, so nothing was changed. "
                      "[OK]",
                      "close"}));
  EXPECT_EQ(folder.Read("drivers/etc/hosts"), kHosts);
  EXPECT_EQ(folder.Read("drivers/etc/lmhosts"), kLmHosts);
  EXPECT_EQ(hosts.LastFilePath(), "");
}

}  // namespace
}  // namespace veltrim::shell
