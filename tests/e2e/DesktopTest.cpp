// The desktop operations against the real system under Wine, in a scenario prefix with
// Explorer's desktop: what they start, how and from where, what their message boxes say, and
// the folders they report.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <thread>

#include "StartedLog.h"
#include "SystemError.h"
#include "Scoped.h"
#include "UiDriver.h"
#include "Win32Desktop.h"
#include "Win32Text.h"

namespace veltrim::e2e {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::SystemError;
using platform::WindowState;
using namespace uidriver;

const std::string kStandin = platform::Narrow(DriverFolder()) + "veltrim_standin.exe";

void ExpectFails(const std::function<void()>& operation, unsigned long number,
                 const std::string& action, const std::string& path) {
  try {
    operation();
    ADD_FAILURE() << action << " " << path << ": no error";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.Number(), number) << action << " " << path;
    EXPECT_EQ(error.Action(), action);
    EXPECT_EQ(error.Path(), path);
  }
}

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
  EXPECT_NO_THROW(desktop.CheckProgramExists(kStandin));

  const std::string missing = "C:\\windows\\missing.exe";
  ExpectFails([&] { desktop.CheckProgramExists(missing); }, ERROR_FILE_NOT_FOUND, "start", missing);
  ExpectFails([&] { desktop.CheckProgramExists("C:\\windows"); }, ERROR_ACCESS_DENIED, "start",
              "C:\\windows");
  ExpectFails([&] { desktop.StartProgram(missing, missing, "C:\\", WindowState::Hidden); },
              ERROR_FILE_NOT_FOUND, "start", missing);
}

// The desktop shell starts the program as its own child, maximized, with the arguments in any
// alphabet; the route, found at the first start, serves the next.
TEST(Win32Desktop, TheShellStartsTheProgramAsItsOwnChild) {
  platform::Win32Desktop desktop;
  ForgetStartedPrograms();
  const std::string address = "https://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.example/a";
  // Wine brings the desktop up with this process's first window; on a busy machine its shell
  // answers some moments later.
  const ULONGLONG deadline = ::GetTickCount64() + 10000;
  while (!desktop.StartThroughShell(kStandin, address, WindowState::MaximizedFocused)) {
    ASSERT_LT(::GetTickCount64(), deadline) << "the desktop shell never answered";
    ::Sleep(200);
  }
  ASSERT_EQ(WaitForStartedPrograms(1).size(), 1u);
  ASSERT_TRUE(desktop.StartThroughShell(kStandin, "again", WindowState::Hidden));
  EXPECT_EQ(WaitForStartedPrograms(2),
            (std::vector<std::string>{"veltrim_standin.exe|3|\"" + kStandin + "\" " + address +
                                          "|explorer.exe|C:\\windows\\system32",
                                      "veltrim_standin.exe|0|\"" + kStandin +
                                          "\" again|explorer.exe|C:\\windows\\system32"}));
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
  platform::Win32Desktop desktop;
  EXPECT_EQ(desktop.SystemFolder(), "C:\\windows\\system32");
  EXPECT_EQ(desktop.ProgramFilesFolder(), "C:\\Program Files");
  EXPECT_TRUE(desktop.IsLocalFolder("C:\\windows"));
  EXPECT_FALSE(desktop.IsLocalFolder("C:\\windows\\win.ini"));
  EXPECT_FALSE(desktop.IsLocalFolder("C:\\missing"));

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
  EXPECT_EQ(desktop.ConfiguredHostFilesFolder(), "C:\\windows\\" + deep);
  ASSERT_TRUE(::SetEnvironmentVariableW(L"SystemRoot", L"C:\\windows"));
  configure(REG_SZ, L"D:\\etc");
  EXPECT_EQ(desktop.ConfiguredHostFilesFolder(), "D:\\etc");
  ASSERT_EQ(::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath"), ERROR_SUCCESS);
  EXPECT_EQ(desktop.ConfiguredHostFilesFolder(), "");

  const DWORD start = ::GetTickCount();
  desktop.Sleep(300);
  EXPECT_GE(::GetTickCount() - start, 250u);  // the tick count moves in steps
}

}  // namespace
}  // namespace veltrim::e2e
