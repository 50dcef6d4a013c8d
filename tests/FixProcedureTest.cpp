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
#include "support/ForwardingPlatform.h"

namespace veltrim::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;
using Log = std::vector<std::string>;

// Files go to the real file system under a test folder that stands in for the system folder;
// everything else is recorded.
class RecordingPlatform final : public testing::ForwardingPlatform {
 public:
  RecordingPlatform(Log& log, std::string systemFolder)
      : ForwardingPlatform(platform::SystemPlatform()),
        log_(log),
        folder_(std::move(systemFolder)) {}

  unsigned GetSystemDirectoryA(char* buffer, unsigned capacity) override {
    if (folder_.size() >= capacity) return static_cast<unsigned>(folder_.size() + 1);
    std::memcpy(buffer, folder_.c_str(), folder_.size() + 1);
    return static_cast<unsigned>(folder_.size());
  }
  void Sleep(unsigned milliseconds) override {
    log_.push_back("sleep " + std::to_string(milliseconds));
  }
  void StartProgram(const std::string& program, const std::string& commandLine,
                    WindowState state) override {
    log_.push_back("start " + program + " | " + commandLine +
                   (state == WindowState::Hidden ? " | hidden" : " | maximized"));
    if (program == missingProgram) {
      throw platform::SystemError(2, "The system cannot find the file specified.", "start",
                                  program);
    }
  }
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    log_.push_back("message " + text + (buttons == MessageButtons::Ok ? " [OK]" : " [Yes No]"));
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
  }
  bool IsOrdinaryFile(const std::string& path) override {
    return inner_.IsOrdinaryFile(Local(path));
  }
  std::string ReadFile(const std::string& path) override { return inner_.ReadFile(Local(path)); }
  void CheckWritable(const std::string& path) override { inner_.CheckWritable(Local(path)); }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    return inner_.CreateFileBeside(Local(path));
  }
  void PutInPlace(const std::string& target, const std::string& replacement) override {
    inner_.PutInPlace(Local(target), replacement);
  }

  MessageAnswer answer = MessageAnswer::Yes;
  std::string missingProgram;

 private:
  // The procedure builds Windows paths; the native build's file system wants slashes.
  static std::string Local(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  Log& log_;
  std::string folder_;
};

class RecordingView final : public FixView {
 public:
  RecordingView(Log& log, std::string address) : log_(log), address_(std::move(address)) {}
  std::string AddressText() override { return address_; }
  void ShowWorkingState() override { log_.push_back("working state"); }
  void SetProgressItem(const std::string& caption) override {
    log_.push_back("progress " + caption);
  }
  void TakeFocus() override { log_.push_back("focus"); }
  void Close() override { log_.push_back("close"); }

 private:
  Log& log_;
  std::string address_;
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
  Log Run(const std::string& address) {
    RecordingView view(log, address);
    RunFix(view, platform, hosts, lmHosts);
    return log;
  }

  testing::TempFolder folder;
  Log log;
  RecordingPlatform platform{log, folder.Path()};
  hostfix::HostFileHandler hosts{platform};
  hostfix::HostFileHandler lmHosts{platform};
};

const std::string kBrowserStarted =
    "start C:\\Program Files\\Internet Explorer\\iexplore.exe | "
    "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" ";

TEST_F(FixProcedure, FullFixAnsweredYes) {
  const std::string system = folder.Path();
  EXPECT_EQ(
      Run("http://www.example.com/page"),
      (Log{"working state", "progress Flushing DNS",
           "start " + system + "\\ipconfig.exe | " + system + "\\ipconfig.exe /flushdns | hidden",
           "progress Clearing Hosts", "progress Completed",
           kBrowserStarted + "http://www.example.com/page | maximized", "sleep 4000", "focus",
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
  platform.answer = MessageAnswer::No;
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
    EXPECT_EQ(Run(typed), Log{"message Invalid web address [OK]"}) << '"' << typed << '"';
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
  platform.missingProgram = kBrowserPath;
  Log result = Run("example.com");
  ASSERT_EQ(result.size(), 8u);
  EXPECT_EQ(result[6],
            "message Could not start C:\\Program Files\\Internet Explorer\\iexplore.exe.\r\n\r\n"
            "Error 2: The system cannot find the file specified. [OK]");
  EXPECT_EQ(result[7], "close");
  EXPECT_EQ(folder.Read("drivers/etc/hosts"),
            "127.0.0.1 localhost\r\n#10.0.0.1 www.example.com\r\n");
}

}  // namespace
}  // namespace veltrim::shell
