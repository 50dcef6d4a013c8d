// The desktop operations against the real system under Wine, in a scenario prefix with
// Explorer's desktop: what they start, how and from where, what their message boxes say, and
// the folders they report.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <new>
#include <optional>
#include <thread>

#include "Address.h"
#include "StartedLog.h"
#include "Scoped.h"
#include "TempFolder.h"
#include "Thrown.h"
#include "UiDriver.h"
#include "Win32Desktop.h"
#include "Win32Resolver.h"
#include "Win32SystemSettings.h"
#include "Win32Error.h"
#include "Win32NameLookUp.h"
#include "Win32Text.h"
#include "Win32WebReader.h"

namespace veltrim::e2e {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::WindowState;
using namespace uidriver;

const std::string kStandin = platform::Narrow(DriverFolder()) + "veltrim_standin.exe";

// Started from here, a program inherits this process's rights: with the window state, command
// line and current folder asked for.
TEST(Win32Desktop, StartsProgramsAsAskedAndNamesWhatFails) {
  platform::Win32Desktop desktop;
  ForgetStartedPrograms();
  desktop.StartProgram(kStandin, "\"" + kStandin + "\" /flushdns", "C:\\windows",
                       WindowState::Hidden);
  ASSERT_EQ(WaitForStartedPrograms(1).size(), 1u);
  desktop.StartProgram(kStandin, "x", "C:\\", WindowState::MaximizedFocused);
  EXPECT_EQ(WaitForStartedPrograms(2),
            (std::vector<std::string>{
                "veltrim_standin.exe|0|\"" + kStandin + "\" /flushdns|veltrim_e2e.exe|C:\\windows",
                "veltrim_standin.exe|3|x|veltrim_e2e.exe|C:\\"}));
  const std::string missing = "C:\\windows\\missing.exe";
  EXPECT_EQ(testing::WhatThrown(
                [&] { desktop.StartProgram(missing, missing, "C:\\", WindowState::Hidden); }),
            "start " + missing + ": error 2, " + platform::DescribeError(ERROR_FILE_NOT_FOUND));
}

// The desktop shell opens a web address in the browser registered for it, as its own child,
// maximized: every address, however hostile, as the one URL it was made into, one argument of
// the browser's. The route, found at the first request, serves the next.
TEST(Win32Desktop, TheShellOpensThePageInTheUsersBrowser) {
  platform::Win32Desktop desktop;
  ForgetStartedPrograms();
  const std::vector<std::string> typed = {
      "https://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.example/a",
      "example.com/\" --disable-web-security --user-data-dir=\"C:\\x",
      "example.com/a\r\nb\tc <d>^|`&x=%zz%41%windir%", "calc.exe", "example.com/a#b#c?d"};
  std::vector<std::string> urls(typed.size());
  for (std::size_t i = 0; i < typed.size(); ++i) urls[i] = hostfix::ReadAddress(typed[i])->url;
  // Wine brings the desktop up with this process's first window; on a busy machine its shell
  // answers some moments later.
  const ULONGLONG deadline = ::GetTickCount64() + 10000;
  while (!desktop.OpenThroughShell(urls[0], WindowState::MaximizedFocused)) {
    ASSERT_LT(::GetTickCount64(), deadline) << "the desktop shell never answered";
    ::Sleep(200);
  }
  for (std::size_t i = 1; i < urls.size(); ++i) {
    ASSERT_TRUE(desktop.OpenThroughShell(urls[i], WindowState::MaximizedFocused)) << urls[i];
  }
  // The browsers write their lines in whatever order they come to it.
  std::vector<std::string> started = WaitForStartedPrograms(urls.size());
  ASSERT_EQ(started.size(), urls.size());
  std::sort(started.begin(), started.end());
  std::sort(urls.begin(), urls.end());
  for (std::size_t i = 0; i < urls.size(); ++i) {
    EXPECT_EQ(started[i], "browser.exe|3|\"C:\\Program Files\\Browser\\browser.exe\" \"" + urls[i] +
                              "\"|explorer.exe|C:\\windows\\system32");
    // The command line, between the window state and the parent.
    const std::size_t from = started[i].find('|', started[i].find('|') + 1) + 1;
    const std::string commandLine = started[i].substr(from, started[i].find('|', from) - from);
    int count = 0;
    platform::ScopedLocal<LPWSTR*> arguments(
        ::CommandLineToArgvW(platform::Widen(commandLine).c_str(), &count));
    ASSERT_EQ(count, 2) << started[i];
    EXPECT_EQ(platform::Narrow(arguments.Get()[1]), urls[i]);
  }
}

// The system's resolver answers a name it knows, and one it does not, each within its bound.
TEST(Win32Desktop, LooksNamesUpThroughTheSystemsResolver) {
  platform::Win32Desktop desktop;
  platform::Win32Resolver resolver;
  for (const std::string host : {"localhost", "name.invalid"}) {
    // Now and then Wine's resolver hangs on a name: the look-up gives up at its bound, and is
    // asked again, as the fix does.
    std::optional<platform::LookUpAnswer> answer;
    for (int asked = 0;
         asked < 3 && (!answer || answer->outcome == platform::LookUpOutcome::CannotAnswerNow);
         ++asked) {
      const std::uint64_t start = desktop.Milliseconds();
      const std::unique_ptr<platform::NameLookUp> lookUp = resolver.StartLookUp(host);
      while (!(answer = lookUp->Answer())) ::Sleep(10);
      EXPECT_LE(desktop.Milliseconds() - start, platform::kLookUpMs + 500) << host;
    }
    EXPECT_EQ(answer->outcome, host == "localhost" ? platform::LookUpOutcome::Addresses
                                                   : platform::LookUpOutcome::NoSuchName)
        << host;
    EXPECT_EQ(std::count(answer->addresses.begin(), answer->addresses.end(),
                         *platform::ParseIpAddress("127.0.0.1")),
              host == "localhost")
        << host;
  }
}

// A look-up past its bound cannot answer now, and keeps that answer when the late one comes, its
// thread still out until then; one that fails on its thread cannot answer either, and the
// program goes on.
TEST(Win32Desktop, ALookUpPastItsBoundOrThatFailsCannotAnswerNow) {
  platform::ScopedHandle late(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const auto lookUp = platform::StartDetachedLookUp(
      [event = late.Get()] {
        ::WaitForSingleObject(event, INFINITE);
        return platform::LookUpAnswer{platform::LookUpOutcome::Addresses, {}};
      },
      200);
  const auto failing = platform::StartDetachedLookUp(
      []() -> platform::LookUpAnswer { throw std::bad_alloc(); }, std::nullopt);
  EXPECT_FALSE(lookUp->Answer().has_value());
  ::Sleep(300);
  const std::optional<platform::LookUpAnswer> past = lookUp->Answer();
  EXPECT_TRUE(lookUp->StillOut());
  ::SetEvent(late.Get());
  ::Sleep(100);
  EXPECT_FALSE(lookUp->StillOut());
  for (const std::optional<platform::LookUpAnswer>& answer :
       {past, lookUp->Answer(), failing->Answer()}) {
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, platform::LookUpOutcome::CannotAnswerNow);
  }
}

// One page read through the system's HTTP stack from the scenario's web servers (private_web):
// the response as sent, a redirect left to the caller, the body cut at the bound; a certificate
// of no authority the system trusts or for other names, a name that does not resolve, no answer
// within the bound, and an address that is no http or https one, the last without a request.
TEST(Win32Desktop, ReadsAPageThroughTheSystemsHttpStack) {
  using platform::FetchOutcome;
  struct Case {
    std::string url;
    FetchOutcome outcome;
    unsigned status;
    std::string body;
    std::string location;
    std::uint64_t boundMs;
  };
  const std::string page("<p>\0\xFF\r\n</p>", 11);
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  const auto ok = [](const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  };
  const std::string pages = std::getenv("VELTRIM_WEB_PAGES") + std::string("\\shop.test\\");
  ASSERT_TRUE(::CreateDirectoryA(pages.c_str(), nullptr));
  testing::WriteBytes(pages + "page", ok(page));
  testing::WriteBytes(pages + "big", ok(big));
  const std::string moved = "https://cdn.shop.test/a?b=1";
  testing::WriteBytes(pages + "moved",
                      "HTTP/1.1 302 Found\r\nLocation: " + moved + "\r\nContent-Length: 0\r\n\r\n");
  testing::WriteBytes(std::getenv("VELTRIM_RESOLVER_ZONE"),
                      "shop.test A 192.0.2.80\nother.test A 192.0.2.80\n"
                      "untrusted.shop.test A 192.0.2.81\n");
  const std::size_t bound = 100000;
  for (const Case& c :
       {Case{"http://shop.test/page", FetchOutcome::Response, 200, page, "", 10000},
        Case{"https://shop.test/page#top", FetchOutcome::Response, 200, page, "", 10000},
        Case{"http://shop.test/big", FetchOutcome::Response, 200, big.substr(0, bound), "", 10000},
        Case{"http://shop.test/moved", FetchOutcome::Response, 302, "", moved, 10000},
        Case{"https://untrusted.shop.test/page", FetchOutcome::CertificateError, 0, "", "", 10000},
        Case{"https://other.test/page", FetchOutcome::CertificateError, 0, "", "", 10000},
        Case{"http://missing.test/page", FetchOutcome::CannotConnect, 0, "", "", 10000},
        Case{"https://shop.test/page", FetchOutcome::TimedOut, 0, "", "", 1},
        Case{"ftp://shop.test/never", FetchOutcome::Failed, 0, "", "", 10000},
        Case{"http://shop.test/never ever", FetchOutcome::Failed, 0, "", "", 10000}}) {
    platform::Win32WebReader reader;
    const std::unique_ptr<platform::WebFetch> fetch = reader.StartFetch(c.url, bound, c.boundMs);
    std::optional<platform::FetchAnswer> answer;
    while (!(answer = fetch->Answer())) ::Sleep(10);
    EXPECT_EQ(answer->outcome, c.outcome) << c.url << ": error " << answer->error;
    EXPECT_EQ(answer->status, c.status) << c.url;
    EXPECT_EQ(answer->location, c.location) << c.url;
    EXPECT_EQ(answer->contentType, c.status == 200 ? "text/html; charset=utf-8" : "") << c.url;
    EXPECT_TRUE(answer->body == c.body) << c.url << ": " << answer->body.size() << " bytes";
  }
  EXPECT_EQ(testing::ReadBytes(std::getenv("VELTRIM_WEB_LOG")).find("never"), std::string::npos);
}

// A shell that takes a request and never answers, as a hung Explorer does, is given up once
// the wait ends; the next request is refused at once instead of waiting behind it.
TEST(Win32Desktop, AShellThatNeverAnswersIsGivenUp) {
  platform::ScopedHandle answer(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  platform::ShellRoute route(
      [event = answer.Get()](const std::wstring&, const std::wstring&, int) {
        return ::WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0;
      },
      500);
  const DWORD start = ::GetTickCount();
  EXPECT_FALSE(route.Execute(L"C:\\browser.exe", L"example.com", SW_SHOWMAXIMIZED));
  const DWORD waited = ::GetTickCount() - start;
  EXPECT_TRUE(waited >= 450 && waited < 2000) << waited;
  EXPECT_FALSE(route.Execute(L"C:\\browser.exe", L"example.com", SW_SHOWMAXIMIZED));
  EXPECT_LT(::GetTickCount() - start - waited, 100u);
  ::SetEvent(answer.Get());
}

// Captioned "Veltrim", without icon, with the buttons asked for; the button pressed is the
// answer. (Wine does not keep such a box in front of other windows, as Windows does.)
TEST(Win32Desktop, MessageBoxesSayWhatTheyAreToldAndAnswer) {
  struct Case {
    MessageButtons buttons;
    int press;
    std::vector<std::string> shown;
    MessageAnswer answer;
  };
  platform::Win32Desktop desktop;
  const std::string text = "Line one.\r\n\r\nLine \xD0\xB4\xD0\xB2\xD0\xB0.";
  for (const Case& c : {Case{MessageButtons::Ok, IDOK, {"OK"}, MessageAnswer::Ok},
                        Case{MessageButtons::YesNo, IDYES, {"&Yes", "&No"}, MessageAnswer::Yes},
                        Case{MessageButtons::YesNo, IDNO, {"&Yes", "&No"}, MessageAnswer::No}}) {
    MessageBoxState box{};
    std::thread user([&] {
      box = WaitForMessageBoxOf(::GetCurrentProcessId());
      Answer(box, c.press);
    });
    const MessageAnswer answer = desktop.ShowMessage(text, c.buttons);
    user.join();
    EXPECT_EQ(box.caption, "Veltrim");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, c.shown);
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(answer, c.answer) << c.press;
  }
}

// The folders as the system names them: the resolver's folder from the registry, expanded from
// the system's values, however long, or nothing where the registry names none.
TEST(Win32Desktop, FoldersAsTheSystemNamesThem) {
  platform::Win32SystemSettings settings;
  EXPECT_EQ(settings.SystemFolder(), "C:\\windows\\system32");
  EXPECT_TRUE(settings.IsLocalFolder("C:\\windows"));
  EXPECT_FALSE(settings.IsLocalFolder("C:\\windows\\win.ini"));
  EXPECT_FALSE(settings.IsLocalFolder("C:\\missing"));

  const wchar_t* const key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  auto configure = [&](DWORD type, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath", type, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  };
  const std::string deep(300, 'd');
  configure(REG_EXPAND_SZ, L"%SystemRoot%\\" + platform::Widen(deep));
  // From the system's own value, whatever this process's environment says.
  ASSERT_TRUE(::SetEnvironmentVariableW(L"SystemRoot", L"C:\\decoy"));
  EXPECT_EQ(settings.ConfiguredHostFilesFolder().folder, "C:\\windows\\" + deep);
  ASSERT_TRUE(::SetEnvironmentVariableW(L"SystemRoot", L"C:\\windows"));
  configure(REG_SZ, L"D:\\etc");
  EXPECT_EQ(settings.ConfiguredHostFilesFolder().folder, "D:\\etc");
  // Named by the environment alone: the value, for the message, and no folder.
  configure(REG_EXPAND_SZ, L"%ProgramData%\\VPN\\etc");
  const platform::ConfiguredFolder vpn = settings.ConfiguredHostFilesFolder();
  EXPECT_EQ(vpn.value, "%ProgramData%\\VPN\\etc");
  EXPECT_EQ(vpn.folder, "");
  ASSERT_EQ(::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath"), ERROR_SUCCESS);
  EXPECT_EQ(settings.ConfiguredHostFilesFolder().value, "");

  platform::Win32Desktop desktop;
  const std::uint64_t start = desktop.Milliseconds();
  desktop.Sleep(300);
  EXPECT_GE(desktop.Milliseconds() - start, 250u);  // the tick count moves in steps
}

}  // namespace
}  // namespace veltrim::e2e
