// The fix procedure's steps, in order, as the window and the system see them, and the host
// files it leaves behind.
#include "FixProcedure.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "MemoryFileSystem.h"
#include "SystemError.h"
#include "SystemFolder.h"

namespace veltrim::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;
using Log = std::vector<std::string>;
using Files = std::map<std::string, std::string>;

const std::string kSystem = "C:\\Windows\\System32";
const std::string kHostsPath = kSystem + "\\drivers\\etc\\hosts";
const std::string kLmHostsPath = kSystem + "\\drivers\\etc\\lmhosts";
const std::string kHosts = "127.0.0.1 localhost\r\n10.0.0.1 www.example.com\r\n";
const std::string kLmHosts = "10.0.0.2 EXAMPLE.COM #PRE\r\n10.0.0.3 other\r\n";
const Files kUntouched = {{kHostsPath, kHosts}, {kLmHostsPath, kLmHosts}};
const Files kRepaired = {{kHostsPath, "127.0.0.1 localhost\r\n#10.0.0.1 www.example.com\r\n"},
                         {kLmHostsPath, "#10.0.0.2 EXAMPLE.COM #PRE\r\n10.0.0.3 other\r\n"}};

// Everything the procedure asks of the desktop and the window is recorded in one log.
class RecordingDesktop final : public platform::Desktop {
 public:
  explicit RecordingDesktop(Log& log) : log_(log) {}

  std::string SystemFolder() override { return systemFolder; }
  std::string ConfiguredHostFilesFolder() override { return configuredFolder; }
  bool IsLocalFolder(const std::string& path) override { return path == localFolder; }
  std::string ProgramFilesFolder() override { return "C:\\Program Files"; }
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
                    const std::string& folder, WindowState state) override {
    log_.push_back("start " + program + " | " + commandLine + " | in " + folder + StateName(state));
  }
  void PrepareDesktopShell() override {}
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

  std::string systemFolder = kSystem;
  std::string configuredFolder = kSystem + "\\drivers\\etc";
  std::string localFolder = configuredFolder;
  MessageAnswer answer = MessageAnswer::Yes;
  std::string missingProgram;
  bool hasShell = true;

 private:
  static std::string StateName(WindowState state) {
    return state == WindowState::Hidden ? " | hidden" : " | maximized";
  }
  Log& log_;
};

// The machine a case runs on, changed by the case before the fix, and the main window's part
// in it: the window's steps go into the same log as the desktop's.
struct Machine final : FixView {
  std::string AddressText() override { return typed; }
  void ShowWorkingState() override { log.push_back("working state"); }
  void SetProgressItem(const std::string& caption) override {
    log.push_back("progress " + caption);
  }
  void TakeFocus() override { log.push_back("focus"); }
  void AskAgain() override { log.push_back("ask again"); }
  void Close() override { log.push_back("close"); }

  Log log;
  testing::MemoryFileSystem files;
  RecordingDesktop desktop{log};
  std::string typed;
};

Log Steps(std::initializer_list<Log> parts) {
  Log log;
  for (const Log& part : parts) log.insert(log.end(), part.begin(), part.end());
  return log;
}

const Log kUpToTheHostFiles = {"working state", "progress Flushing DNS",
                               "start " + kSystem + "\\ipconfig.exe | \"" + kSystem +
                                   "\\ipconfig.exe\" /flushdns | in " + kSystem + " | hidden",
                               "progress Clearing Hosts"};
const Log kUpToTheBrowser = Steps({kUpToTheHostFiles, {"progress Completed"}});
const std::string kBrowser = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
const std::string kByShell = "shell " + kBrowser + " | ";

Log ByShell(const std::string& typed) { return {kByShell + typed + " | maximized"}; }

// After the browser's start, through the question, to the end.
Log Ending(const std::string& answer) {
  return {"sleep 4000", "focus", "message Did the Page load successfully? [Yes No]",
          "message " + answer +
              "\r\n\r\nYou may now reactivate any web acceleration software that you use. [OK]",
          "close"};
}

const std::string kYes = "The correction will remain within the system.";
const Log kRefused = {"message Invalid web address [OK]", "ask again"};

struct FixCase {
  const char* name;
  std::function<void(Machine&)> arrange;
  std::string typed;
  Log log;
  Files files;  // every file afterwards
};

void PrintTo(const FixCase& c, std::ostream* os) { *os << c.name; }

class WholeFix : public ::testing::TestWithParam<FixCase> {};

TEST_P(WholeFix, StepsAndFiles) {
  const FixCase& c = GetParam();
  Machine machine;
  machine.files.files = kUntouched;
  machine.typed = c.typed;
  c.arrange(machine);
  hostfix::HostFileHandler hosts(machine.files);
  hostfix::HostFileHandler lmHosts(machine.files);

  RunFix(machine, machine.desktop, hosts, lmHosts);

  EXPECT_EQ(machine.log, c.log);
  EXPECT_EQ(machine.files.files, c.files);
}

const std::string kCyrillicAddress = "http://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.com/";
const std::string kElsewhere = "D:\\Resolver";

INSTANTIATE_TEST_SUITE_P(
    FixProcedure, WholeFix,
    ::testing::Values(
        FixCase{"AnsweredYes", [](Machine&) {}, "http://www.example.com/page",
                Steps({kUpToTheBrowser, ByShell("http://www.example.com/page"), Ending(kYes)}),
                kRepaired},
        // The repair stays: the page may not have loaded for another reason.
        FixCase{"AnsweredNo", [](Machine& m) { m.desktop.answer = MessageAnswer::No; },
                "example.com",
                Steps({kUpToTheBrowser, ByShell("example.com"),
                       Ending("The problem is not DNS related.")}),
                kRepaired},
        FixCase{"MissingLmHostsIsSkipped", [](Machine& m) { m.files.files.erase(kLmHostsPath); },
                "example.com", Steps({kUpToTheBrowser, ByShell("example.com"), Ending(kYes)}),
                Files{{kHostsPath, kRepaired.at(kHostsPath)}}},
        // A host file that cannot be repaired is reported instead of "Completed".
        FixCase{"LinkedHostsStopsBeforeTheBrowser",
                [](Machine& m) { m.files.links.insert(kHostsPath); }, "example.com",
                Steps({kUpToTheHostFiles,
                       {"message Could not repair " + kHostsPath +
                            ": it is a link to another file, which Veltrim does not follow. It "
                            "was left as it was. [OK]",
                        "close"}}),
                kUntouched},
        FixCase{"MissingBrowserIsReportedAfterTheRepair",
                [](Machine& m) { m.desktop.missingProgram = kBrowser; }, "example.com",
                Steps({kUpToTheBrowser,
                       {"message Could not start C:\\Program Files\\Internet "
                        "Explorer\\iexplore.exe.\r\n\r\nError 2: The system cannot find the file "
                        "specified.\r\n\r\nThe host files have been repaired. Open example.com in "
                        "your browser now to see whether it loads. [OK]",
                        "close"}}),
                kRepaired},
        // Where the desktop shell does not start the browser (Explorer restarting, hung, or
        // none, as on Server Core), it is asked once more and then nothing is started from
        // here, where it would have administrator rights. The name in another alphabet is
        // searched for in its ASCII form; the browser would get it as typed.
        FixCase{"WithoutADesktopShellTheBrowserIsNotStarted",
                [](Machine& m) {
                  m.desktop.hasShell = false;
                  m.files.files[kHostsPath] += "10.0.0.9 xn--e1afmkfd.com\r\n";
                },
                kCyrillicAddress,
                Steps({kUpToTheBrowser,
                       {kByShell + kCyrillicAddress + " | maximized | declined",
                        kByShell + kCyrillicAddress + " | maximized | declined",
                        "message Veltrim could not open the page for you: the Windows desktop did "
                        "not start the browser.\r\n\r\nThe host files have been repaired. Open " +
                            kCyrillicAddress + " in your browser now to see whether it loads. [OK]",
                        "close"}}),
                Files{{kHostsPath, kHosts + "#10.0.0.9 xn--e1afmkfd.com\r\n"},
                      {kLmHostsPath, kLmHosts}}},
        // An address pasted after the box's "http://", with the line break it was copied with:
        // the browser gets the pasted address.
        FixCase{
            "PastedAfterThePrefill", [](Machine&) {},
            "http://https://WWW.Example.com:8443/a?b#c\r\n",
            Steps({kUpToTheBrowser, ByShell("https://WWW.Example.com:8443/a?b#c"), Ending(kYes)}),
            kRepaired},
        // The host files are repaired where the resolver is set to read them, if that is a
        // folder of this computer; the usual ones are then left alone.
        FixCase{"ConfiguredHostFilesFolder",
                [](Machine& m) {
                  m.desktop.configuredFolder = m.desktop.localFolder = kElsewhere + "\\";
                  m.files.files[kElsewhere + "\\hosts"] = kHosts;
                },
                "example.com", Steps({kUpToTheBrowser, ByShell("example.com"), Ending(kYes)}),
                Files{{kElsewhere + "\\hosts", kRepaired.at(kHostsPath)},
                      {kHostsPath, kHosts},
                      {kLmHostsPath, kLmHosts}}},
        // Without a system folder the paths would name a program and files in the root of the
        // current drive.
        FixCase{"UnknownSystemFolderIsRefusedBeforeAnything",
                [](Machine& m) { m.desktop.systemFolder = ""; },
                "example.com",
                {"message Could not find the Windows system folder, so nothing was changed. [OK]",
                 "close"},
                kUntouched},
        // Which addresses name no host is the address table's; these stand for them.
        FixCase{"NoHost", [](Machine&) {}, "http://", kRefused, kUntouched},
        FixCase{"IpAddress", [](Machine&) {}, "https://127.0.0.1/", kRefused, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

// The host files' folder is the one the system is set to name only when that is an absolute
// path to a folder of this computer.
TEST(HostFilesFolder, IsTheConfiguredOneOnlyWhenLocal) {
  const std::string usual = kSystem + "\\drivers\\etc";
  struct Case {
    std::string configured;
    bool local;
    std::string folder;
  };
  for (const Case& c :
       {Case{"D:\\Resolver", true, "D:\\Resolver"}, Case{"D:\\Resolver\\\\", true, "D:\\Resolver"},
        Case{"C:\\", true, "C:"}, Case{"a:\\x", true, "a:\\x"}, Case{"Z:\\x", true, "Z:\\x"},
        Case{"D:\\Resolver", false, usual}, Case{"\\\\server\\etc", true, usual},
        Case{"Resolver", true, usual}, Case{"D:Resolver", true, usual},
        Case{"D:/Resolver", true, usual}, Case{"@:\\x", true, usual}, Case{"[:\\x", true, usual},
        Case{"`:\\x", true, usual}, Case{"{:\\x", true, usual}, Case{"D:", true, usual},
        Case{"", true, usual}}) {
    Log log;
    RecordingDesktop desktop(log);
    desktop.configuredFolder = c.configured;
    desktop.localFolder = c.local ? c.configured : "";
    EXPECT_EQ(hostfix::HostFilesFolder(desktop, kSystem), c.folder) << c.configured;
  }
}

}  // namespace
}  // namespace veltrim::shell
