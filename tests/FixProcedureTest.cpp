// The fix procedure's steps, in order, as the window and the system see them, and the host
// files it leaves behind.
#include "FixProcedure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "FixMessages.h"
#include "MemoryFileSystem.h"
#include "SystemError.h"
#include "SystemFolder.h"
#include "Thrown.h"

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

using platform::LookUpAnswer;
using platform::LookUpOutcome;
// Nothing: the look-up never comes back.
using Reply = std::optional<LookUpAnswer>;

LookUpAnswer Gives(std::initializer_list<const char*> texts) {
  LookUpAnswer answer{LookUpOutcome::Addresses, {}};
  for (const char* text : texts) answer.addresses.push_back(*platform::ParseIpAddress(text));
  return answer;
}
const LookUpAnswer kNoSuchName{LookUpOutcome::NoSuchName, {}};
const LookUpAnswer kTryAgain{LookUpOutcome::CannotAnswerNow, {}};
// The address that the name servers give every name, unless a case says otherwise.
const LookUpAnswer kReal = Gives({"192.0.2.7"});

// A look-up that answers what it was given at once. Nothing: it hangs, answers CannotAnswerNow
// at its bound, as the system's do, and comes back at `returnsAt`.
struct GivenLookUp final : platform::NameLookUp {
  GivenLookUp(Reply reply, const std::uint64_t& clock, std::uint64_t boundMs,
              std::uint64_t returnsAt)
      : reply(std::move(reply)), clock(clock), bound(clock + boundMs), returnsAt(returnsAt) {}
  Reply Answer() override { return reply || clock < bound ? reply : kTryAgain; }
  bool StillOut() override { return !reply && clock < returnsAt; }
  Reply reply;
  const std::uint64_t& clock;
  std::uint64_t bound;
  std::uint64_t returnsAt;
};

// The system's settings as a case sets them.
struct GivenSettings final : platform::SystemSettings {
  std::string SystemFolder() override { return systemFolder; }
  // Expanded as itself, unless it names a variable.
  platform::ConfiguredFolder ConfiguredHostFilesFolder() override {
    return {configuredFolder,
            configuredFolder.find('%') == std::string::npos ? configuredFolder : ""};
  }
  bool IsLocalFolder(const std::string& path) override { return path == localFolder; }

  std::string systemFolder = kSystem;
  std::string configuredFolder = kSystem + "\\drivers\\etc";
  std::string localFolder = configuredFolder;
};

// Everything the procedure asks of the desktop, the resolver and the window is recorded in one
// log. Time passes only while the window pauses.
class RecordingDesktop final : public platform::Desktop {
 public:
  RecordingDesktop(Log& log, const std::uint64_t& clock) : log_(log), clock_(clock) {}

  void Sleep(unsigned milliseconds) override {
    log_.push_back("sleep " + std::to_string(milliseconds));
  }
  std::uint64_t Milliseconds() override { return clock_; }
  void StartProgram(const std::string& program, const std::string& commandLine,
                    const std::string& folder, WindowState state) override {
    log_.push_back("start " + program + " | " + commandLine + " | in " + folder + StateName(state));
  }
  void PrepareDesktopShell() override {}
  bool OpenThroughShell(const std::string& item, WindowState state) override {
    log_.push_back("open " + item + StateName(state) +
                   (clock_ != 0 ? " after " + std::to_string(clock_) + " ms" : "") +
                   (hasShell ? "" : " | declined"));
    return hasShell;
  }
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    log_.push_back("message " + text + (buttons == MessageButtons::Ok ? " [OK]" : " [Yes No]"));
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
  }

  MessageAnswer answer = MessageAnswer::Yes;
  bool hasShell = true;

 private:
  static std::string StateName(WindowState state) {
    return state == WindowState::Hidden ? " | hidden" : " | maximized";
  }
  Log& log_;
  const std::uint64_t& clock_;
};

class GivenResolver final : public platform::NameResolver {
 public:
  GivenResolver(Log& log, const std::uint64_t& clock) : log_(log), clock_(clock) {}
  // The resolver answers a name in turn as `answers` says, the last for good.
  std::unique_ptr<platform::NameLookUp> StartLookUp(const std::string& host) override {
    log_.push_back("look up " + host + " at " + std::to_string(clock_));
    const std::vector<Reply>& replies = answers.count(host) != 0 ? answers[host] : real_;
    return std::make_unique<GivenLookUp>(replies[std::min(turns_[host]++, replies.size() - 1)],
                                         clock_, platform::kLookUpMs,
                                         returnsAt.count(host) != 0 ? returnsAt[host] : UINT64_MAX);
  }
  std::unique_ptr<platform::NameLookUp> StartNetworkQuery(const std::string& host) override {
    log_.push_back("ask network " + host);
    return std::make_unique<GivenLookUp>(network.count(host) != 0 ? network[host] : kReal, clock_,
                                         platform::kNetworkQueryMs, UINT64_MAX);
  }

  std::map<std::string, std::vector<Reply>> answers;
  std::map<std::string, Reply> network;
  // When a look-up of the name that hangs comes back; never, unless a case says so.
  std::map<std::string, std::uint64_t> returnsAt;

 private:
  const std::vector<Reply> real_ = {kReal};
  std::map<std::string, std::size_t> turns_;
  Log& log_;
  const std::uint64_t& clock_;
};

// A page that needs nothing from elsewhere.
const platform::FetchAnswer kPlainPage{
    platform::FetchOutcome::Response, 0, 200, "", "text/html; charset=utf-8", "<p>The page</p>"};

// The web as a case sets it: each address answers its page at once, a plain one unless the case
// gives another.
class GivenWeb final : public platform::WebReader {
 public:
  explicit GivenWeb(Log& log) : log_(log) {}
  std::unique_ptr<platform::WebFetch> StartFetch(const std::string& url, std::size_t maxBodyBytes,
                                                 std::uint64_t) override {
    log_.push_back("fetch " + url);
    platform::FetchAnswer answer = pages.count(url) != 0 ? pages[url] : kPlainPage;
    answer.body.resize(std::min(answer.body.size(), maxBodyBytes));
    return std::make_unique<Fetched>(answer);
  }
  std::map<std::string, platform::FetchAnswer> pages;

 private:
  struct Fetched final : platform::WebFetch {
    explicit Fetched(platform::FetchAnswer answer) : answer(std::move(answer)) {}
    std::optional<platform::FetchAnswer> Answer() override { return answer; }
    bool StillOut() override { return false; }
    platform::FetchAnswer answer;
  };
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
  void ShowWaited(unsigned) override {}
  void TakeFocus() override { log.push_back("focus"); }
  // Cancel is pressed at `cancelAt`, the window closed at `closeAt`.
  Paused Pause(unsigned milliseconds) override {
    if (clock >= closeAt) return Paused::Closed;
    if (clock >= cancelAt) return Paused::Cancelled;
    clock += milliseconds;
    return Paused::Through;
  }
  void AskAgain() override { log.push_back("ask again"); }
  void Close() override { log.push_back("close"); }

  Log log;
  std::uint64_t clock = 0;
  testing::MemoryFileSystem files;
  GivenSettings settings;
  RecordingDesktop desktop{log, clock};
  GivenResolver resolver{log, clock};
  GivenWeb web{log};
  std::string typed;
  std::uint64_t cancelAt = UINT64_MAX;
  std::uint64_t closeAt = UINT64_MAX;
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

// After a repair: the network's name servers are asked for the page's host, the resolver for
// each name at 0, then as `later` says, until it answers each without its old addresses.
Log Waited(const std::vector<std::string>& names, std::initializer_list<std::string> later = {}) {
  Log log = {"progress Waiting for DNS", "ask network " + names.front()};
  for (const std::string& name : names) log.push_back("look up " + name + " at 0");
  log.insert(log.end(), later.begin(), later.end());
  return log;
}

// The page's host and its other name, both repaired.
const std::vector<std::string> kPageNames = {"www.example.com", "example.com"};
const std::vector<std::string> kDomainNames = {"example.com", "www.example.com"};
const Log kUpToTheBrowser = Steps({kUpToTheHostFiles, Waited(kPageNames)});

// Opened without reading it first: the wait was cut short.
Log Unchecked(const std::string& url, const std::string& after = "") {
  return {"progress Completed", "open " + url + " | maximized" + after};
}

// The page read, needing nothing, then opened.
Log Opened(const std::string& url, const std::string& after = "") {
  return Steps({{"progress Checking page", "fetch " + url}, Unchecked(url, after)});
}

const std::string kYes = "The correction will remain within the system.";
const std::string kNotYetRead =
    "Windows had not yet read the repaired host files when the page opened, so it may still "
    "have gone to the old address. The host files stay repaired: reload the page in a few "
    "minutes.";
const std::string kReactivate =
    "\r\n\r\nYou may now reactivate any web acceleration software that you use. [OK]";

// After the page was opened, through the question, to the end.
Log Ending(const std::string& answer) {
  return {"sleep 4000", "focus", "message Did the Page load successfully? [Yes No]",
          "message " + answer + kReactivate, "close"};
}

// The network's own name server answers 0.0.0.0 for the page's host.
Log Blocked(const std::string& host, const std::string& files) {
  return {"message The network blocks " + host +
              ": its name server answers 0.0.0.0 for it, as a blocking list does, so the page "
              "cannot load on this network.\r\n\r\n" +
              files +
              " Ask whoever runs the network (a router, a blocking program or your company) to "
              "allow " +
              host + "." + kReactivate,
          "close"};
}
const Log kRefused = {"message Invalid web address [OK]", "ask again"};
const std::string kPage = "http://www.example.com/page";

// A page that loads a script and an image from hosts that the hosts file blocks, and links to
// a third that it blocks too.
const platform::FetchAnswer kShopPage{
    platform::FetchOutcome::Response,
    0,
    200,
    "",
    "text/html",
    "<script src=\"https://cdn.shopcdn.test/a.js\"></script><a href=\"http://ads.test/\">Ad</a>"
    "<!-- <img src=\"http://old.test/\"> --><IMG SRCSET=\"//img.test/i.png 2x\">"};
const std::string kShopLines = "0.0.0.0 cdn.shopcdn.test ads.test\r\n0.0.0.0 img.test\r\n";
const std::string kOffer =
    "message The page needs hosts that lines of the host files block:\r\n\r\ncdn.shopcdn.test: "
    "line 3 of " +
    kHostsPath + "\r\nimg.test: line 4 of " + kHostsPath +
    "\r\n\r\nUnblocking a host unblocks it for every program on this computer, not only for "
    "this page. Unblock them too? [Yes No]";
void ServeTheShop(Machine& m) {
  m.files.files[kHostsPath] += kShopLines;
  m.web.pages[kPage] = kShopPage;
}
// Redirected to `location`.
platform::FetchAnswer Redirect(const std::string& location) {
  return {platform::FetchOutcome::Response, 0, 302, location, "text/html", ""};
}
const LookUpAnswer kOld = Gives({"10.0.0.2"});

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
  const std::string lock = hostfix::RepairLockPath(machine.settings.systemFolder);
  hostfix::HostFileHandler hosts(machine.files, lock);
  hostfix::HostFileHandler lmHosts(machine.files, lock);

  RunFix(machine, {machine.settings, machine.desktop, machine.resolver, machine.web, machine.files},
         hosts, lmHosts);

  EXPECT_EQ(machine.log, c.log);
  EXPECT_EQ(machine.files.files, c.files);
}

#ifdef _WIN32
const std::string kCyrillicAddress = "http://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.com/";
#else
// Natively there is no IDNA conversion (it is the system's): the name in its ASCII form.
const std::string kCyrillicAddress = "http://xn--e1afmkfd.com/";
#endif
const std::string kElsewhere = "D:\\Resolver";

INSTANTIATE_TEST_SUITE_P(
    FixProcedure, WholeFix,
    ::testing::Values(
        FixCase{"AnsweredYes", [](Machine&) {}, kPage,
                Steps({kUpToTheBrowser, Opened(kPage), Ending(kYes)}), kRepaired},
        // The repair stays: the page may not have loaded for another reason.
        FixCase{"AnsweredNo", [](Machine& m) { m.desktop.answer = MessageAnswer::No; },
                "example.com",
                Steps({kUpToTheHostFiles, Waited(kDomainNames), Opened("http://example.com"),
                       Ending("The problem is not DNS related.")}),
                kRepaired},
        // Nothing names the host: no file is rewritten, and there is nothing to wait for; the
        // network's own answer is looked at all the same.
        FixCase{"NothingToRepair", [](Machine&) {}, "www.example.net/",
                Steps({kUpToTheHostFiles,
                       {"progress Checking DNS", "ask network www.example.net",
                        "look up www.example.net at 0"},
                       Opened("http://www.example.net/"), Ending(kYes)}),
                kUntouched},
        // The resolver still answers with a repaired line's address (lmhosts' here, the hosts
        // file missing) while it reads the file anew; it is asked again every quarter second
        // until it does not.
        FixCase{"OldAddressThreeTimesThenANewOne",
                [](Machine& m) {
                  m.files.files.erase(kHostsPath);
                  m.resolver.answers["example.com"] = {kOld, kOld, kOld, kReal};
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited(kPageNames,
                              {"ask network example.com", "look up example.com at 250", "look up example.com at 500", "look up example.com at 750"}),
                       Opened(kPage, " after 750 ms"), Ending(kYes)}),
                Files{{kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // While it reads a long list, the resolver cannot answer: that is no answer.
        FixCase{"TryAgainThreeTimesThenAnAnswer",
                [](Machine& m) {
                  m.resolver.answers["www.example.com"] = {kTryAgain, kTryAgain, kTryAgain, kReal};
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited(kPageNames, {"look up www.example.com at 250", "look up www.example.com at 500",
                                             "look up www.example.com at 750"}),
                       Opened(kPage, " after 750 ms"), Ending(kYes)}),
                kRepaired},
        // "No such name" is no answer while the network's name server gives the name
        // addresses: the resolver may say so while it reads its files anew.
        FixCase{"NoSuchNameWhileTheNetworkGivesAddresses",
                [](Machine& m) {
                  m.resolver.answers["example.com"] = {kNoSuchName, kOld, kNoSuchName, kReal};
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited(kPageNames, {"ask network example.com", "look up example.com at 250",
                                           "look up example.com at 500",
                                           "look up example.com at 750"}),
                       Opened(kPage, " after 750 ms"), Ending(kYes)}),
                kRepaired},
        // Neither the resolver nor the network knows the name: no page, and the user is told
        // what was seen.
        FixCase{"UnknownToBoth",
                [](Machine& m) {
                  m.files.files[kHostsPath] += "0.0.0.0 www.shop.tset\r\n";
                  m.resolver.answers["www.shop.tset"] = {kNoSuchName};
                  m.resolver.network["www.shop.tset"] = kNoSuchName;
                },
                "www.shop.tset",
                Steps({kUpToTheHostFiles,
                       {"progress Waiting for DNS", "ask network www.shop.tset",
                        "look up www.shop.tset at 0",
                        "message Windows cannot find www.shop.tset, and neither can the network's "
                        "name server: it answers that the name does not exist, or that it has no "
                        "address. Check the address for a typing mistake; or the network blocks "
                        "the name that way, as some blockers do.\r\n\r\nThe host files have "
                        "been repaired: the lines that named www.shop.tset were commented out." +
                            kReactivate,
                        "close"}}),
                Files{{kHostsPath, kHosts + "#0.0.0.0 www.shop.tset\r\n"},
                      {kLmHostsPath, kLmHosts}}},
        // Five names, three of them answering an old address at first: each is asked again
        // once its look-up is back, however many have answered.
        FixCase{"ManyNamesAskedAgain",
                [](Machine& m) {
                  for (const char* name : {"a.example.com", "b.example.com", "c.example.com"}) {
                    m.files.files[kHostsPath] += "10.0.0.5 " + std::string(name) + "\r\n";
                    m.resolver.answers[name] = {Gives({"10.0.0.5"}), kReal};
                  }
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       {"progress Waiting for DNS", "ask network www.example.com",
                        "look up www.example.com at 0", "look up example.com at 0",
                        "look up a.example.com at 0", "ask network a.example.com",
                        "look up b.example.com at 0", "ask network b.example.com",
                        "look up c.example.com at 0", "ask network c.example.com",
                        "look up a.example.com at 250", "look up b.example.com at 250",
                        "look up c.example.com at 250"},
                       Opened(kPage, " after 250 ms"), Ending(kYes)}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) + "#10.0.0.5 a.example.com\r\n#10.0.0.5 "
                                                             "b.example.com\r\n#10.0.0.5 c.example.com\r\n"},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // A name that still answers its old address holds the page past the grace, to Cancel.
        FixCase{"OldAnswerHoldsThePagePastTheGrace",
                [](Machine& m) {
                  m.files.files[kHostsPath] += "10.0.0.5 img.example.com\r\n";
                  m.resolver.answers["img.example.com"] = {Gives({"10.0.0.5"})};
                  m.cancelAt = 5500;
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited({"www.example.com", "example.com", "img.example.com"},
                              {"ask network img.example.com"}),
                       [] {
                         Log asked;
                         for (int at = 250; at <= 5500; at += 250) {
                           asked.push_back("look up img.example.com at " + std::to_string(at));
                         }
                         return asked;
                       }(),
                       Unchecked(kPage, " after 5500 ms"), Ending(kYes)}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) + "#10.0.0.5 img.example.com\r\n"},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // A look-up that hangs past its bound is not asked again until it comes back.
        FixCase{"HungLookUpAskedAgainOnlyOnceBack",
                [](Machine& m) {
                  m.resolver.answers["www.example.com"] = {std::nullopt, kReal};
                  m.resolver.returnsAt["www.example.com"] = 12000;
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited(kPageNames, {"look up www.example.com at 12000"}),
                       Opened(kPage, " after 12000 ms"), Ending(kYes)}),
                kRepaired},
        // Once the page's names are answered anew, Windows has read the files: a name that no
        // name server answers holds the page no longer than the grace, and No says so.
        FixCase{"UnanswerableNameHoldsThePageForTheGraceAlone",
                [](Machine& m) {
                  m.files.files[kHostsPath] += "10.0.0.5 img.example.com\r\n";
                  m.resolver.answers["img.example.com"] = {std::nullopt};
                  m.desktop.answer = MessageAnswer::No;
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited({"www.example.com", "example.com", "img.example.com"}),
                       Opened(kPage, " after 5000 ms"),
                       Ending("Windows answered for the page's own name without the repaired "
                              "lines, but had given no new answer for img.example.com, which "
                              "the page may load from, when the page opened. The host files "
                              "stay repaired: reload the page in a few minutes.")}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) + "#10.0.0.5 img.example.com\r\n"},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // A page at example.com may send the browser on to www.example.com.
        FixCase{"HostConfirmedWhileWwwStillAnswersOld",
                [](Machine& m) {
                  m.resolver.answers["www.example.com"] = {Gives({"10.0.0.1"}), Gives({"10.0.0.1"}),
                                                           kReal};
                },
                "example.com",
                Steps({kUpToTheHostFiles,
                       Waited(kDomainNames, {"ask network www.example.com", "look up www.example.com at 250", "look up www.example.com at 500"}),
                       Opened("http://example.com", " after 500 ms"), Ending(kYes)}),
                kRepaired},
        // A line that pinned a name to the address that the name servers give it too: that
        // answer is no sign of the old file, and there is nothing to wait for.
        FixCase{"PinnedRealAddressThatDnsGivesToo",
                [](Machine& m) {
                  m.files.files[kHostsPath] +=
                      "198.51.100.7 static.example.com.\r\n0.0.0.0 *.example.com\r\n";
                  m.resolver.answers["static.example.com"] = {Gives({"198.51.100.7"})};
                  m.resolver.network["static.example.com"] = Gives({"198.51.100.7"});
                },
                "example.com",
                Steps({kUpToTheHostFiles, Waited({"example.com", "www.example.com", "static.example.com"}, {"ask network static.example.com"}),
                       Opened("http://example.com", " after 10 ms"), Ending(kYes)}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) +
                                        "#198.51.100.7 static.example.com.\r\n#0.0.0.0 *.example.com\r\n"},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // Addresses are compared as addresses: "::" is the line's "::0", read after the blank
        // that the line starts with.
        FixCase{"AnsweredAsTheLinesAddressWrittenOtherwise",
                [](Machine& m) {
                  m.files.files = {{kHostsPath, " ::0 www.example.com\r\n"}};
                  m.resolver.answers["www.example.com"] = {Gives({"::"}), Gives({"::"}), kReal};
                  m.resolver.network["www.example.com"] = Gives({"2001:db8::1"});
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       Waited({"www.example.com"},
                              {"look up www.example.com at 250", "look up www.example.com at 500"}),
                       Opened(kPage, " after 500 ms"), Ending(kYes)}),
                Files{{kHostsPath, "# ::0 www.example.com\r\n"}}},
        // A blocker of the network's own answers as a blocking list does: the page cannot
        // load, and the user is told why, whether or not a line of the files named it.
        FixCase{"NetworkBlocksTheHost",
                [](Machine& m) {
                  m.files.files = {{kHostsPath, "0.0.0.0 example.com\r\n"}};
                  m.resolver.network["www.example.com"] = Gives({"0.0.0.0", "::"});
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       {"progress Waiting for DNS", "ask network www.example.com"},
                       Blocked("www.example.com", "The host files have been repaired: the lines "
                                                  "that named example.com were commented out.")}),
                Files{{kHostsPath, "#0.0.0.0 example.com\r\n"}}},
        FixCase{"NetworkBlocksAHostNoLineNamed",
                [](Machine& m) { m.resolver.network["www.example.net"] = Gives({"0.0.0.0"}); },
                "www.example.net",
                Steps({kUpToTheHostFiles, {"progress Checking DNS", "ask network www.example.net"},
                       Blocked("www.example.net",
                               "No line of the host files named it, so they were left as they "
                               "were.")}),
                kUntouched},
        // A look-up that never comes back is waited for five minutes at most; the page then
        // opens, but No cannot rule the host files out.
        FixCase{"BoundReachedThenNo",
                [](Machine& m) {
                  m.resolver.answers["www.example.com"] = {std::nullopt};
                  m.desktop.answer = MessageAnswer::No;
                },
                kPage,
                Steps({kUpToTheHostFiles, Waited(kPageNames),
                       Unchecked(kPage, " after 300000 ms"), Ending(kNotYetRead)}),
                kRepaired},
        FixCase{"CancelThenNo",
                [](Machine& m) {
                  m.resolver.answers["example.com"] = {kOld};
                  m.cancelAt = 300;
                  m.desktop.answer = MessageAnswer::No;
                },
                kPage,
                Steps({kUpToTheHostFiles, Waited(kPageNames, {"ask network example.com", "look up example.com at 250"}),
                       Unchecked(kPage, " after 300 ms"), Ending(kNotYetRead)}),
                kRepaired},
        // Every name confirmed, only the network's own answer outstanding: No rules the host
        // files out.
        FixCase{"CancelOnceEveryNameIsConfirmed",
                [](Machine& m) {
                  m.resolver.network["www.example.com"] = std::nullopt;
                  m.cancelAt = 300;
                  m.desktop.answer = MessageAnswer::No;
                },
                kPage,
                Steps({kUpToTheHostFiles, Waited(kPageNames), Unchecked(kPage, " after 300 ms"),
                       Ending("Veltrim could not read the page to see which other hosts it needs: "
                              "you pressed Cancel before Veltrim had read it. So it cannot tell "
                              "whether a line of the host files keeps the page from loading.")}),
                kRepaired},
        // Closing means stop: no page, no question, the files staying repaired.
        FixCase{"ClosedDuringTheWait",
                [](Machine& m) {
                  m.resolver.answers["example.com"] = {kOld};
                  m.closeAt = 300;
                },
                kPage,
                Steps({kUpToTheHostFiles,
                       {"progress Waiting for DNS", "ask network www.example.com", "look up www.example.com at 0", "look up example.com at 0", "ask network example.com", "look up example.com at 250",
                        "message The host files have been repaired. Windows had not yet read "
                        "them: the page may load once it has, in a few minutes." +
                            kReactivate,
                        "close"}}),
                kRepaired},
        // Where the desktop shell opens nothing (no browser registered, Explorer restarting,
        // hung, or none, as on Server Core), it is asked twice more, a second apart, and then
        // nothing is started from here, where it would have administrator rights. The name in
        // another alphabet is opened and searched for in its ASCII form; the message gives it
        // as typed.
        FixCase{"WithoutADesktopShellTheBrowserIsNotStarted",
                [](Machine& m) {
                  m.desktop.hasShell = false;
                  m.files.files[kHostsPath] += "10.0.0.9 xn--e1afmkfd.com\r\n";
                },
                kCyrillicAddress,
                Steps({kUpToTheHostFiles, Waited({"xn--e1afmkfd.com"}),
                       {"progress Checking page", "fetch http://xn--e1afmkfd.com/",
                        "progress Completed","open http://xn--e1afmkfd.com/ | maximized | declined", "sleep 1000",
                        "open http://xn--e1afmkfd.com/ | maximized | declined", "sleep 1000",
                        "open http://xn--e1afmkfd.com/ | maximized | declined",
                        "message Veltrim could not open the page for you: the Windows desktop did "
                        "not start the browser.\r\n\r\nThe host files have been repaired. Open " +
                            kCyrillicAddress + " in your browser now to see whether it loads. [OK]",
                        "close"}}),
                Files{{kHostsPath, kHosts + "#10.0.0.9 xn--e1afmkfd.com\r\n"},
                      {kLmHostsPath, kLmHosts}}},
        // An address pasted after the box's "http://", with the line break it was copied with:
        // the browser gets the pasted address, the resolver is asked for its host.
        FixCase{"PastedAfterThePrefill", [](Machine&) {},
                "http://https://WWW.Example.com:8443/a b?c#d\r\n",
                Steps({kUpToTheHostFiles, Waited({"WWW.Example.com", "Example.com"}),
                       Opened("https://WWW.Example.com:8443/a%20b?c#d"), Ending(kYes)}),
                kRepaired},
        // The host files are repaired where the resolver is set to read them, if that is a
        // folder of this computer; the usual ones are then left alone.
        FixCase{"ConfiguredHostFilesFolder",
                [](Machine& m) {
                  m.settings.configuredFolder = m.settings.localFolder = kElsewhere + "\\";
                  m.files.files[kElsewhere + "\\hosts"] = kHosts;
                },
                "example.com",
                Steps({kUpToTheHostFiles, Waited({"example.com", "www.example.com"}),
                       Opened("http://example.com"), Ending(kYes)}),
                Files{{kElsewhere + "\\hosts", kRepaired.at(kHostsPath)},
                      {kHostsPath, kHosts},
                      {kLmHostsPath, kLmHosts}}},
        FixCase{"ConfiguredFolderThatCannotBeTold",
                [](Machine& m) {
                  m.settings.configuredFolder = "%ProgramData%\\VPN\\etc";
                  m.files.files["C:\\ProgramData\\VPN\\etc\\hosts"] = kHosts;
                },
                "example.com",
                Steps({kUpToTheHostFiles,
                       {"message Could not repair the host files: Windows is set to read them "
                        "from \"%ProgramData%\\VPN\\etc\", and Veltrim cannot tell which folder "
                        "of this computer that is. No host file was changed. [OK]",
                        "close"}}),
                Files{{"C:\\ProgramData\\VPN\\etc\\hosts", kHosts},
                      {kHostsPath, kHosts},
                      {kLmHostsPath, kLmHosts}}},
        // Without a system folder the paths would name a program and files in the root of the
        // current drive.
        FixCase{"UnknownSystemFolderIsRefusedBeforeAnything",
                [](Machine& m) { m.settings.systemFolder = ""; },
                "example.com",
                {"message Could not find the Windows system folder, so nothing was changed. [OK]",
                 "close"},
                kUntouched},
        // The page needs hosts that lines block: the user is asked, and on Yes exactly those
        // names are commented out, a line's other name kept blocked, and waited for; the host
        // that the page only links to, or names in a comment, stays blocked.
        FixCase{"NeededHostsUnblockedOnYes", ServeTheShop, kPage,
                Steps({kUpToTheBrowser,
                       {"progress Checking page", "fetch " + kPage, kOffer,
                        "progress Clearing Hosts", "progress Waiting for DNS",
                        "look up cdn.shopcdn.test at 0", "look up img.test at 0"},
                       Unchecked(kPage), Ending(kYes)}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) +
                                       "#0.0.0.0 cdn.shopcdn.test ads.test\r\n0.0.0.0 "
                                       "ads.test\r\n#0.0.0.0 img.test\r\n"},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        FixCase{"NeededHostsKeptBlockedOnNo",
                [](Machine& m) {
                  ServeTheShop(m);
                  m.desktop.answer = MessageAnswer::No;
                },
                kPage,
                Steps({kUpToTheBrowser, {"progress Checking page", "fetch " + kPage, kOffer},
                       Unchecked(kPage),
                       Ending("The page needs hosts that the host files still block, as you "
                              "chose: cdn.shopcdn.test and img.test. To unblock them, run Veltrim "
                              "again and answer Yes when it asks, or put a # in front of their "
                              "lines in the host files.")}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) + kShopLines},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // A redirect to a blocked host is not followed; once unblocked and answered anew, the
        // reading goes on from it.
        FixCase{"BlockedRedirectUnblockedThenFollowed",
                [](Machine& m) {
                  m.files.files[kHostsPath] += "0.0.0.0 clickserve.test\r\n";
                  m.web.pages[kPage] = Redirect("//clickserve.test/x");
                },
                kPage,
                Steps({kUpToTheBrowser,
                       {"progress Checking page", "fetch " + kPage,
                        "message The page needs hosts that lines of the host files block:\r\n\r\n"
                        "clickserve.test: line 3 of " +
                            kHostsPath +
                            "\r\n\r\nUnblocking a host unblocks it for every program on this "
                            "computer, not only for this page. Unblock them too? [Yes No]",
                        "progress Clearing Hosts", "progress Waiting for DNS",
                        "look up clickserve.test at 0", "progress Checking page",
                        "look up clickserve.test at 0", "ask network clickserve.test",
                        "fetch http://clickserve.test/x"},
                       Unchecked(kPage), Ending(kYes)}),
                Files{{kHostsPath, kRepaired.at(kHostsPath) + "#0.0.0.0 clickserve.test\r\n"},
                      {kLmHostsPath, kRepaired.at(kLmHostsPath)}}},
        // A redirect to a host that the network blocks: named as the network's, no page.
        FixCase{"RedirectToAHostTheNetworkBlocks",
                [](Machine& m) {
                  m.web.pages[kPage] = Redirect("https://login.test/");
                  m.resolver.network["login.test"] = Gives({"0.0.0.0"});
                },
                kPage,
                Steps({kUpToTheBrowser,
                       {"progress Checking page", "fetch " + kPage, "look up login.test at 0",
                        "ask network login.test"},
                       Blocked("login.test",
                               "The host files have been repaired: the lines that named "
                               "www.example.com and example.com were commented out.")}),
                kRepaired},
        // A page that cannot be read rules nothing out.
        FixCase{"PageThatCannotBeRead",
                [](Machine& m) {
                  m.web.pages[kPage].outcome = platform::FetchOutcome::CertificateError;
                  m.web.pages[kPage].error = 12175;
                  m.desktop.answer = MessageAnswer::No;
                },
                kPage,
                Steps({kUpToTheBrowser, Opened(kPage),
                       Ending("Veltrim could not read the page to see which other hosts it "
                              "needs: the site's certificate is not one that Windows trusts "
                              "(error 12175). So it cannot tell whether a line of the host files "
                              "keeps the page from loading.")}),
                kRepaired},
        // Which addresses name no host, or make no web address, is the address table's; this
        // stands for them.
        FixCase{"NoHost", [](Machine&) {}, "http://", kRefused, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

// The host files' folder is the one the system is set to name, if that is an absolute path to a
// folder of this computer; otherwise nothing is repaired, and the setting is named.
TEST(HostFilesFolder, IsTheConfiguredOneOnlyWhenLocal) {
  const std::string usual = kSystem + "\\drivers\\etc";
  struct Case {
    std::string configured;
    bool local;
    std::string folder;  // empty: refused
  };
  for (const Case& c :
       {Case{"D:\\Resolver", true, "D:\\Resolver"}, Case{"D:\\Resolver\\\\", true, "D:\\Resolver"},
        Case{"C:\\", true, "C:"}, Case{"a:\\x", true, "a:\\x"}, Case{"Z:\\x", true, "Z:\\x"},
        Case{"", true, usual}, Case{"D:\\Resolver", false, ""}, Case{"\\\\server\\etc", true, ""},
        Case{"Resolver", true, ""}, Case{"D:Resolver", true, ""}, Case{"D:/Resolver", true, ""},
        Case{"@:\\x", true, ""}, Case{"[:\\x", true, ""}, Case{"`:\\x", true, ""},
        Case{"{:\\x", true, ""}, Case{"D:", true, ""}, Case{"%ProgramData%\\VPN\\etc", true, ""}}) {
    GivenSettings settings;
    settings.configuredFolder = c.configured;
    settings.localFolder = c.local ? c.configured : "";
    std::string folder;
    EXPECT_EQ(testing::WhatThrown([&] { folder = hostfix::HostFilesFolder(settings, kSystem); }),
              c.folder.empty() ? hostfix::HostFilesFolderUnknown(c.configured) : "");
    EXPECT_EQ(folder, c.folder) << c.configured;
  }
}

}  // namespace
}  // namespace veltrim::shell
