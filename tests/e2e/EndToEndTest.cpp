// Veltrim.exe as a user meets it, under Wine: each test is one scenario in a prefix of its own,
// with stand-ins for ipconfig.exe and the browser registered for http and https that record how
// they were started.
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>

#include "BlockList.h"
#include "ResourceIds.h"
#include "StartedLog.h"
#include "TempFolder.h"
#include "UiDriver.h"
#include "Scoped.h"
#include "Win32Error.h"

namespace veltrim::e2e {
namespace {

using namespace shell;
using namespace uidriver;
using testing::ReadBytes;
using testing::WriteBytes;

const std::string kEtc = "C:\\windows\\system32\\drivers\\etc\\";
const std::string kHostsPath = kEtc + "hosts";
const std::string kLmHostsPath = kEtc + "lmhosts";
const std::string kHosts = "127.0.0.1 localhost\r\n::1 localhost\r\n10.0.0.1 www.example.com\r\n";
const std::string kLmHosts = "10.0.0.2 EXAMPLE #PRE\r\n10.0.0.3 example.com\r\n";
const std::string kRepairedHosts =
    "127.0.0.1 localhost\r\n::1 localhost\r\n#10.0.0.1 www.example.com\r\n";
const std::string kRepairedLmHosts = "10.0.0.2 EXAMPLE #PRE\r\n#10.0.0.3 example.com\r\n";
// Hidden, quoted, in its own folder.
const std::string kIpconfigStarted =
    "ipconfig.exe|0|\"C:\\windows\\system32\\ipconfig.exe\" /flushdns|Veltrim.exe|"
    "C:\\windows\\system32";
const std::string kReactivate =
    "You may now reactivate any web acceleration software that you use.";

// What Veltrim says when the desktop shell opened no page for it.
std::string NoBrowserStarted(const std::string& typed) {
  return "Veltrim could not open the page for you: the Windows desktop did not start the "
         "browser.\r\n\r\nThe host files have been repaired. Open " +
         typed + " in your browser now to see whether it loads.";
}

// The font a label is drawn in: "MS Sans Serif" 8.25 point, or 9.75 point bold, as the
// program asks for it, so that the system substitutes the same face for both.
enum class Face { None, Regular, Bold, BoldItalic };
// How a label's box follows its text: not at all, or fitted to it keeping its left or its right
// edge.
enum class Fit { Fixed, KeepsLeft, KeepsRight };

// A control as the layout requirement places it at 96 DPI: its box in pixels in the client
// area, the texts it shows (the first as the window opens), whether it is visible then.
struct Control {
  int id;
  int left, top, width, height;
  std::vector<std::string> texts;
  bool visible = true;
  Face face = Face::None;
  Fit fit = Fit::Fixed;
  bool wraps = false;
};

struct WindowRequirement {
  int clientWidth, clientHeight;  // pixels at 96 DPI
  std::vector<Control> controls;
  std::vector<int> tabOrder;  // from the first control with the focus, round to it again
};

const std::string kDisclaimerWords =
    "This software is provided as is, with no support or warranty of any kind. The use of this "
    "software is not endorsed by Microsoft Corporation, and we accept no responsibility for loss "
    "of data or damage to your system which may result from the use of this software. By using "
    "this software you agree to the above terms. If you do not agree to the above terms press "
    "ESC to exit from the program.";
const std::string kAccelerators =
    "Please close all web acceleration programs prior to using this application.";
const std::string kAgree =
    "If you agree to the above terms please click continue otherwise click exit.";
const std::vector<std::string> kSteps = {"",
                                         "Flushing DNS",
                                         "Clearing Hosts",
                                         "Checking DNS",
                                         "Waiting for DNS",
                                         "Checking page",
                                         "Completed"};

const std::vector<Control> kDisclaimerControls = {
    {kDisclaimerFrame, 8, 0, 552, 326, {""}},
    {kBanner, 8, 8, 549, 94, {"Veltrim"}},
    {kProductName, 204, 112, 58, 16, {"Veltrim"}, true, Face::Bold, Fit::KeepsRight},
    {kVersionLabel, 272, 112, 54, 16, {"Version 1.0.0"}, true, Face::Bold, Fit::KeepsLeft},
    {kAcceleratorsNotice, 32, 144, 497, 17, {kAccelerators}, true, Face::Regular},
    {kWarningTitle, 248, 176, 73, 17, {"Warning"}, true, Face::Bold},
    {kDisclaimerText, 32, 200, 497, 57, {kDisclaimerWords}, true, Face::Regular, Fit::Fixed, true},
    {kAgreePrompt, 32, 264, 497, 17, {kAgree}, true, Face::Regular},
    {kContinueButton, 168, 288, 89, 25, {"Continue"}},
    {kExitButton, 304, 288, 89, 25, {"Exit"}}};
const WindowRequirement kDisclaimer = {
    566, 333, kDisclaimerControls, {kBanner, kContinueButton, kExitButton, kBanner}};

const std::vector<Control> kMainControls = {
    {kWebLabel, 16, 16, 241, 17, {"Type website to fix below"}, true, Face::Regular},
    {kWebAddress, 16, 32, 225, 19, {"http://"}},
    {kCancel, 16, 64, 105, 33, {"Cancel"}},
    {kFixItButton, 136, 64, 105, 33, {"Fix It"}},
    {kProgress, 16, 24, 73, 25, {"Fixing....."}, false, Face::Bold},
    {kProgressItem, 128, 24, 113, 25, kSteps, false, Face::BoldItalic}};
const WindowRequirement kMain = {
    261, 105, kMainControls, {kWebAddress, kCancel, kFixItButton, kWebAddress}};

// The text fits inside the label with its font at `dpi`: wrapped to its width when it wraps,
// otherwise on one line, and never taller than the label. Returns the height it takes.
long ExpectTextFits(const Control& control, const RECT& box, const std::string& text, int dpi) {
  LOGFONTA request = {};
  request.lfHeight = -::MulDiv(control.face == Face::Regular ? 825 : 975, dpi, 7200);
  request.lfWeight = control.face == Face::Regular ? FW_NORMAL : FW_BOLD;
  request.lfItalic = control.face == Face::BoldItalic;
  request.lfCharSet = DEFAULT_CHARSET;
  std::strcpy(request.lfFaceName, "MS Sans Serif");
  platform::ScopedFont font(::CreateFontIndirectA(&request));
  platform::ScopedWindowDc dc(nullptr);
  platform::ScopedSelect select(dc.Get(), font.Get());
  RECT needed = {0, 0, box.right - box.left, 0};
  ::DrawTextA(dc.Get(), text.c_str(), -1, &needed,
              DT_CALCRECT | DT_NOPREFIX | (control.wraps ? DT_WORDBREAK : DT_SINGLELINE));
  EXPECT_LE(needed.bottom, box.bottom - box.top) << '"' << text << "\" at " << dpi;
  EXPECT_LE(needed.right, box.right - box.left) << '"' << text << "\" at " << dpi;
  return needed.bottom;
}

// Within a pixel of the 96-DPI length scaled to `dpi`, and exactly it at 96 DPI.
void ExpectScaled(long actual, int at96, int dpi, const char* what, int id) {
  EXPECT_LE(std::abs(actual - ::MulDiv(at96, dpi, 96)), dpi == 96 ? 0 : 1)
      << what << " of control " << id << " at " << dpi << " DPI";
}

// The window laid out at `dpi` as required: at 96 DPI every box is the requirement's to the
// pixel, at any other each is within a pixel of it scaled. Every control lies inside the client
// area, every label's texts fit, no two visible ones overlap where they draw (a label only as
// far down as its text) unless one holds the other, and Tab goes round the required controls in
// order.
void ExpectLaidOut(HWND window, const WindowRequirement& required, int dpi) {
  const RECT client = ClientRectOnScreen(window);
  ExpectScaled(client.right - client.left, required.clientWidth, dpi, "client width", 0);
  ExpectScaled(client.bottom - client.top, required.clientHeight, dpi, "client height", 0);
  std::vector<RECT> shown;
  for (const Control& control : required.controls) {
    const ControlState state = Inspect(window, control.id);
    const RECT& box = state.rect;
    ExpectScaled(box.top, control.top, dpi, "top", control.id);
    if (control.fit != Fit::KeepsRight)
      ExpectScaled(box.left, control.left, dpi, "left", control.id);
    if (control.fit != Fit::KeepsLeft)
      ExpectScaled(box.right, control.left + control.width, dpi, "right", control.id);
    if (control.fit == Fit::Fixed)
      ExpectScaled(box.bottom - box.top, control.height, dpi, "height", control.id);
    EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= client.right - client.left &&
                box.bottom <= client.bottom - client.top)
        << "control " << control.id << " inside the client area at " << dpi;
    RECT drawn = box;
    if (control.face != Face::None) {
      drawn.bottom = box.top;
      for (const std::string& text : control.texts) {
        drawn.bottom = std::max(drawn.bottom, box.top + ExpectTextFits(control, box, text, dpi));
      }
    }
    if (!state.visible) continue;
    for (const RECT& other : shown) {
      RECT overlap;
      if (!::IntersectRect(&overlap, &drawn, &other)) continue;
      EXPECT_TRUE(::EqualRect(&overlap, &drawn) || ::EqualRect(&overlap, &other))
          << "control " << control.id << " overlaps another at " << dpi;
    }
    shown.push_back(drawn);
  }
  HWND item = nullptr;
  for (int id : required.tabOrder) {
    item = ::GetNextDlgTabItem(window, item, FALSE);
    EXPECT_EQ(item, ::GetDlgItem(window, id)) << "Tab to control " << id;
  }
}

// The window as it first opens at `dpi`: centred on the screen, laid out as required, each
// control showing its first text, visible or hidden as required, the focus on the first control
// of the tab order.
void ExpectOpened(HWND window, const WindowRequirement& required, int dpi) {
  ExpectLaidOut(window, required, dpi);
  RECT outer;
  ::GetWindowRect(window, &outer);
  // Centred to the pixel: halving may round either way.
  EXPECT_LE(std::abs(outer.left + outer.right - ::GetSystemMetrics(SM_CXSCREEN)), 2);
  EXPECT_LE(std::abs(outer.top + outer.bottom - ::GetSystemMetrics(SM_CYSCREEN)), 2);
  for (const Control& control : required.controls) {
    const ControlState state = Inspect(window, control.id);
    EXPECT_EQ(state.text, control.texts.front()) << "control " << control.id;
    EXPECT_EQ(state.visible, control.visible) << "control " << control.id;
    EXPECT_TRUE(state.enabled) << "control " << control.id;
  }
  EXPECT_EQ(FocusOf(window), ::GetDlgItem(window, required.tabOrder.front()));
}

// Continues from the disclaimer to the main window.
HWND OpenMain(const Program& program) {
  HWND disclaimer = program.WaitForWindow(kDisclaimerClass);
  EXPECT_NE(disclaimer, nullptr);
  Click(disclaimer, kContinueButton);
  HWND main = program.WaitForWindow(kMainClass);
  EXPECT_NE(main, nullptr);
  ::Sleep(300);
  return main;
}

// The program as it starts at `dpi`: the disclaimer, then the main window, each as described,
// each pictured; moved to a monitor at 150 % when asked, each lays itself out again from its
// table. Cancel ends the program.
void ExpectBothWindows(const Program& program, int dpi, bool moved) {
  const std::string at = std::to_string(dpi) + "dpi";
  HWND disclaimer = program.WaitForWindow(kDisclaimerClass);
  ASSERT_NE(disclaimer, nullptr);
  ExpectOpened(disclaimer, kDisclaimer, dpi);
  LONG_PTR style = ::GetWindowLongPtrA(disclaimer, GWL_STYLE);
  LONG_PTR exStyle = ::GetWindowLongPtrA(disclaimer, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_DLGFRAME) << "a dialog frame without title bar";
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0) << "kept out of the task bar";
  EXPECT_EQ(::GetSystemMenu(disclaimer, FALSE), nullptr);
  // The banner has the focus first: a screen reader names it and calls it a picture.
  AccessibleState banner = AccessibleOf(::GetDlgItem(disclaimer, kBanner));
  EXPECT_EQ(banner.name, "Veltrim");
  EXPECT_EQ(banner.role, ROLE_SYSTEM_GRAPHIC);
  Screenshot(disclaimer, "disclaimer-" + at);
  if (moved) {
    program.SendDpiChanged(disclaimer, 144, kDisclaimer.clientWidth, kDisclaimer.clientHeight);
    ExpectLaidOut(disclaimer, kDisclaimer, 144);
    Screenshot(disclaimer, "disclaimer-moved-to-144dpi");
  }
  HWND main = OpenMain(program);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(program.WaitForWindow(kDisclaimerClass, 0), nullptr) << "the disclaimer closed";
  ExpectOpened(main, kMain, dpi);
  char caption[64];
  ::GetWindowTextA(main, caption, static_cast<int>(std::size(caption)));
  EXPECT_STREQ(caption, "Veltrim");
  EXPECT_EQ(::GetWindowLongPtrA(main, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  // Named after the prompt just before it.
  EXPECT_EQ(AccessibleOf(::GetDlgItem(main, kWebAddress)).name, "Type website to fix below");
  Screenshot(main, "main-" + at);
  if (moved) {
    program.SendDpiChanged(main, 144, kMain.clientWidth, kMain.clientHeight);
    ExpectLaidOut(main, kMain, 144);
  }
  Click(main, kCancel);
  EXPECT_TRUE(program.WaitForExit());
}

// Wine does not answer WM_GETICON across processes, so the icon is read from the program.
// The program's icon has 32- and 16-pixel images of 24 bits.
void ExpectIconImages() {
  platform::ScopedLibrary program(::LoadLibraryExW((DriverFolder() + L"Veltrim.exe").c_str(),
                                                   nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program.IsSet());
  HMODULE module = program.Get();
  HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(VELTRIM_ICON), MAKEINTRESOURCEA(14));
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(module, group)));
  for (int size : {32, 16}) {
    int id = ::LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));
    ASSERT_NE(image, nullptr) << size;
    auto* header = static_cast<BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, image)));
    EXPECT_EQ(header->biWidth, size);
    EXPECT_EQ(header->biHeight, 2 * size);  // the colour image and its mask
    EXPECT_EQ(header->biBitCount, 24);
  }
}

class EndToEnd : public ::testing::Test {
 protected:
  // The host files are laid out before the program starts; a test may change them further
  // before it presses "Fix It".
  void SetUp() override {
    LayOutHostFiles();
    program_ = std::make_unique<Program>();
  }
  static void LayOutHostFiles() {
    WriteBytes(kHostsPath, kHosts);
    WriteBytes(kLmHostsPath, kLmHosts);
  }

  void ExpectNothingDone() {
    EXPECT_EQ(ReadBytes(kHostsPath), kHosts);
    EXPECT_EQ(ReadBytes(kLmHostsPath), kLmHosts);
    EXPECT_TRUE(StartedPrograms().empty());
  }

  void ExpectOkMessage(const std::string& text) {
    MessageBoxState box = program_->WaitForMessageBox();
    EXPECT_EQ(box.caption, "Veltrim");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(box.hasIcon);
    Answer(box, IDOK);
  }

  // Runs a whole fix of what `enter` puts into the address box, and checks what the user saw
  // and which programs were started, and how: the browser with the URL `opened`.
  void ExpectFixReported(const std::string& answerText, int answer,
                         const std::function<void(HWND)>& enter, const std::string& opened) {
    HWND main = program_->WaitForWindow(kMainClass);
    enter(main);
    const DWORD clicked = ::GetTickCount();
    Click(main, kFixItButton);
    // The program waits for the browser with "Completed" showing.
    WaitForLabel(main, kProgressItem, "Completed", 3000);
    Screenshot(main, "main-working", false);
    // A click that waits while the fix runs is ignored: the fix goes on to its question.
    Click(main, kCancel);
    MessageBoxState question = program_->WaitForMessageBox();
    EXPECT_TRUE(::IsWindow(main));
    EXPECT_GE(::GetTickCount() - clicked, 4000u) << "the browser's head start";
    EXPECT_EQ(question.caption, "Veltrim");
    EXPECT_EQ(question.text, "Did the Page load successfully?");
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_FALSE(question.hasIcon);
    // The working state: the address hidden, "Fix It" disabled, the progress showing.
    EXPECT_FALSE(Inspect(main, kWebLabel).visible);
    EXPECT_FALSE(Inspect(main, kWebAddress).visible);
    EXPECT_FALSE(Inspect(main, kFixItButton).enabled);
    EXPECT_TRUE(Inspect(main, kCancel).enabled);
    EXPECT_TRUE(Inspect(main, kProgress).visible);
    EXPECT_TRUE(Inspect(main, kProgressItem).visible);
    EXPECT_EQ(Inspect(main, kProgressItem).text, "Completed");
    Screenshot(question.handle, "question");
    Answer(question, answer);
    ExpectOkMessage(answerText + "\r\n\r\n" + kReactivate);
    EXPECT_TRUE(program_->WaitForExit());
    // ipconfig hidden and started by Veltrim; the browser registered for web addresses
    // maximized, with the address the user meant, started by the desktop shell so that it has
    // the user's rights, not Veltrim's.
    // Neither is waited for: they write their lines in whatever order they come to it.
    std::vector<std::string> started = StartedPrograms();
    ASSERT_GE(started.size(), 2u);
    std::sort(started.end() - 2, started.end());
    EXPECT_EQ(
        std::vector<std::string>(started.end() - 2, started.end()),
        (std::vector<std::string>{"browser.exe|3|\"C:\\Program Files\\Browser\\browser.exe\" \"" +
                                      opened + "\"|explorer.exe|C:\\windows\\system32",
                                  kIpconfigStarted}));
  }

  std::unique_ptr<Program> program_;
};

// Users run Veltrim straight from their Downloads folder, where a web page may have left DLLs
// named as the system's. Their name, and the address they type, may have letters that the code
// page cannot spell.
class Downloads : public EndToEnd {
 protected:
  void SetUp() override { LayOutHostFiles(); }
};

TEST_F(Downloads, WholeFixLoadsNoPlantedDllFromAFolderNamedOutsideTheCodePage) {
  const std::wstring user = L"C:\\users\\\x041F\x043E\x043B\x044C\x0437\x043E \x7528\x6237\\";
  const std::wstring folder = user + L"Downloads\\";
  ASSERT_TRUE(::CreateDirectoryW(user.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  // Copies of a DLL that leaves "NAME.dll.loaded" beside itself when it is loaded, under names
  // that Windows looks for beside the program first unless told otherwise; the scenario script
  // makes Wine do the same.
  const std::wstring marker = DriverFolder() + L"veltrim_marker.dll";
  const wchar_t* const planted[] = {L"windowscodecs.dll", L"uxtheme.dll", L"dwmapi.dll",
                                    L"propsys.dll",       L"userenv.dll", L"cryptbase.dll",
                                    L"textshaping.dll"};
  for (const wchar_t* name : planted) {
    ASSERT_TRUE(::CopyFileW(marker.c_str(), (folder + name).c_str(), FALSE));
  }
  // The marker works: loaded on purpose, it leaves its trace.
  const std::wstring control = folder + L"control.dll";
  ASSERT_TRUE(::CopyFileW(marker.c_str(), control.c_str(), FALSE));
  ASSERT_TRUE(platform::ScopedLibrary(::LoadLibraryW(control.c_str())).IsSet());
  EXPECT_TRUE(::DeleteFileW((control + L".loaded").c_str()));
  ASSERT_TRUE(::CopyFileW((DriverFolder() + L"Veltrim.exe").c_str(),
                          (folder + L"Veltrim.exe").c_str(), FALSE));
  program_ = std::make_unique<Program>(folder + L"Veltrim.exe");

  OpenMain(*program_);
  ExpectFixReported(
      "The correction will remain within the system.", IDYES,
      [](HWND main) {
        Type(
            main, kWebAddress,
            "http://www.example.com/\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80/\xE4\xBE\x8B");
      },
      "http://www.example.com/%D0%BF%D1%80%D0%B8%D0%BC%D0%B5%D1%80/%E4%BE%8B");
  for (const wchar_t* name : planted) {
    EXPECT_EQ(::GetFileAttributesW((folder + name + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
        << name << " was loaded";
  }
  EXPECT_EQ(ReadBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(ReadBytes(kLmHostsPath), kRepairedLmHosts);
}

// An address as people paste it today, on a machine whose name resolution a program took over:
// its hosts file hidden and a system file. (The resolver's own folder is the desktop suite's and
// the fix table's.)
// The hosts file is hidden, as some blocking tools leave it, and ends in a blocking list of
// 100,000 lines with several names on some of the lines that match. The lmhosts file, an
// LF-only list without the host, is not touched: its bytes and its time stamp stay.
TEST_F(EndToEnd, PastedAddressIntoAHiddenHostsFile) {
  const blocklist::BlockList list = blocklist::MakeBlockList(100000);
  WriteBytes(kHostsPath, kHosts + list.before);
  const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(::SetFileAttributesA(kHostsPath.c_str(), hidden));
  const std::string lmHosts = "10.0.0.2 OTHER #PRE\n10.0.0.3 example.net\n";
  WriteBytes(kLmHostsPath, lmHosts);
  const auto written = std::filesystem::last_write_time(kLmHostsPath) - std::chrono::hours(24);
  std::filesystem::last_write_time(kLmHostsPath, written);
  OpenMain(*program_);
  // Pasted where the caret stands when the window opens: after the box's "http://".
  ExpectFixReported(
      "The correction will remain within the system.", IDYES,
      [](HWND main) {
        PasteKeys("https://www.example.com/page\r\n");
        EXPECT_EQ(Inspect(main, kWebAddress).text, "http://https://www.example.com/page");
      },
      "https://www.example.com/page");
  EXPECT_EQ(::GetFileAttributesA(kHostsPath.c_str()), hidden);
  EXPECT_TRUE(ReadBytes(kHostsPath) == kRepairedHosts + list.after);
  EXPECT_EQ(ReadBytes(kLmHostsPath), lmHosts);
  EXPECT_EQ(std::filesystem::last_write_time(kLmHostsPath), written);
}

// With no desktop shell to start the browser as the user (the scenario script takes Explorer's
// shell away), Veltrim repairs the host files and starts no browser itself, where it would
// have administrator rights; it says so. The environment it inherits from the user names a
// decoy as the Windows folder, and the resolver's folder is named as Windows names it: the real
// host files are the ones repaired.
TEST_F(EndToEnd, WithoutADesktopShellNoBrowserIsStarted) {
  const std::string decoy = "C:\\decoy\\system32\\drivers\\etc\\";
  ASSERT_TRUE(std::filesystem::create_directories(decoy));
  WriteBytes(decoy + "hosts", kHosts);
  // Wine sets SystemRoot afresh in every process it starts; windir it passes on.
  const std::wstring configured = L"%windir%\\System32\\drivers\\etc";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE,
                              L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                              L"DataBasePath", REG_EXPAND_SZ, configured.c_str(),
                              static_cast<DWORD>((configured.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  ASSERT_TRUE(::SetEnvironmentVariableW(L"windir", L"C:\\decoy"));
  program_ = std::make_unique<Program>();
  ASSERT_TRUE(::SetEnvironmentVariableW(L"windir", L"C:\\windows"));

  HWND main = OpenMain(*program_);
  Type(main, kWebAddress, "http://www.example.com/page");
  Click(main, kFixItButton);
  ExpectOkMessage(NoBrowserStarted("http://www.example.com/page"));
  EXPECT_TRUE(program_->WaitForExit());
  EXPECT_EQ(ReadBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(ReadBytes(kLmHostsPath), kRepairedLmHosts);
  EXPECT_EQ(ReadBytes(decoy + "hosts"), kHosts);
  EXPECT_EQ(StartedPrograms(), std::vector<std::string>{kIpconfigStarted});
}

// At 96 DPI, then moved to a monitor at 144.
TEST_F(EndToEnd, LooksAsDescribed) {
  ExpectIconImages();
  ExpectBothWindows(*program_, 96, true);
  ExpectNothingDone();
}

// Exit, Escape on the disclaimer whichever control has the focus, Escape or the close box on
// the main window: each ends the program with nothing started or changed.
TEST_F(EndToEnd, EveryWayOutLeavesEverythingAsItWas) {
  using Leave = void (*)(const Program&);
  const Leave ways[] = {
      [](const Program& program) { Click(program.WaitForWindow(kDisclaimerClass), kExitButton); },
      [](const Program& program) {
        HWND exit = ::GetDlgItem(program.WaitForWindow(kDisclaimerClass), kExitButton);
        // Keys go to the control with the focus, and Enter presses nothing.
        PressKey(exit, VK_RETURN);
        EXPECT_FALSE(program.WaitForExit(500));
        PressKey(exit, VK_ESCAPE);
      },
      [](const Program& program) {
        PressKey(::GetDlgItem(OpenMain(program), kWebAddress), VK_ESCAPE);
      },
      [](const Program& program) {
        ::PostMessageA(OpenMain(program), WM_SYSCOMMAND, SC_CLOSE, 0);
      }};
  for (std::size_t way = 0; way < std::size(ways); ++way) {
    Program program;
    // Settled, as a user's first key or click would find it.
    program.WaitForWindow(kDisclaimerClass);
    ::Sleep(300);
    ways[way](program);
    EXPECT_TRUE(program.WaitForExit()) << "way out " << way;
  }
  ExpectNothingDone();
}

// Refused addresses, then one that the fix takes up, on a machine where no browser is
// registered for web addresses: nothing else is started in its place.
TEST_F(EndToEnd, InvalidWebAddressThenNoBrowserRegistered) {
  HWND main = OpenMain(*program_);
  // Enter presses nothing: "Fix It" is not a default button.
  PressKey(::GetDlgItem(main, kWebAddress), VK_RETURN);
  EXPECT_FALSE(program_->ShowsMessageBoxWithin(700));
  for (const char* typed : {"http://", "", "file:///C:/windows/system32/calc.exe",
                            "javascript:alert(1)", "http://:8080/a"}) {
    Type(main, kWebAddress, typed);
    Click(main, kFixItButton);
    ExpectOkMessage("Invalid web address");
    ::Sleep(200);
    EXPECT_TRUE(Inspect(main, kWebAddress).visible);
    EXPECT_TRUE(Inspect(main, kFixItButton).enabled);
    EXPECT_EQ(Inspect(main, kWebAddress).text, typed);
    // The address box has the focus again, so what the user types next lands in it.
    EXPECT_EQ(FocusOf(main), ::GetDlgItem(main, kWebAddress));
  }
  TypeKeys("x");
  EXPECT_EQ(Inspect(main, kWebAddress).text, "http://:8080/ax");
  ExpectNothingDone();

  for (const wchar_t* scheme : {L"http", L"https"}) {
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CLASSES_ROOT, scheme), ERROR_SUCCESS);
  }
  Type(main, kWebAddress, "example.com");
  Click(main, kFixItButton);
  ExpectOkMessage(NoBrowserStarted("example.com"));
  EXPECT_TRUE(program_->WaitForExit());
  EXPECT_EQ(ReadBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(StartedPrograms(), std::vector<std::string>{kIpconfigStarted});
}

// Against a resolver that the test controls: scripts/e2e-scenario runs these in namespaces of
// their own, where the system's hosts file (VELTRIM_RESOLVER_HOSTS) and the zone of our name
// server (VELTRIM_RESOLVER_ZONE, tools/testdns) are all that Wine's resolver reads. The system's
// hosts file stands for what Windows' DNS Client answers until it has read the repair.
class Resolver : public EndToEnd {
 protected:
  void SetUp() override { ASSERT_NE(std::getenv("VELTRIM_RESOLVER_ZONE"), nullptr); }
  static void SetSystemHosts(const std::string& lines) {
    WriteBytes(std::getenv("VELTRIM_RESOLVER_HOSTS"), "127.0.0.1 localhost\n" + lines);
  }
  // Replaced whole: the name server, which reads it for every query, never sees half of it.
  static void SetZone(const std::string& lines) {
    const std::string zone = std::getenv("VELTRIM_RESOLVER_ZONE");
    WriteBytes(zone + ".new", lines);
    ASSERT_TRUE(::MoveFileExA((zone + ".new").c_str(), zone.c_str(), MOVEFILE_REPLACE_EXISTING));
  }
  // Starts Veltrim with `hosts` as the prefix's hosts file, and fixes `address`.
  HWND Fix(const std::string& hosts, const std::string& address) {
    WriteBytes(kHostsPath, hosts);
    ForgetStartedPrograms();
    program_ = std::make_unique<Program>();
    HWND main = OpenMain(*program_);
    Type(main, kWebAddress, address);
    Click(main, kFixItButton);
    return main;
  }
  // The answer for www.example.com changes `afterMs` after Fix It. Until then Veltrim waits for
  // DNS and opens nothing; then the page opens within `withinMs` (a minute: the desktop shell
  // may hang), and the question follows.
  void ExpectPageOpensOnceTheAnswerChanges(DWORD afterMs, const std::function<void()>& change,
                                           const std::string& hosts = kHosts,
                                           DWORD withinMs = 60000) {
    HWND main = Fix(hosts, "http://www.example.com/");
    ::Sleep(afterMs);
    EXPECT_EQ(Inspect(main, kProgressItem).text.rfind("Waiting for DNS", 0), 0u);
    EXPECT_EQ(StartedPrograms(), std::vector<std::string>{kIpconfigStarted}) << "page opened";
    change();
    // The fix asks the desktop shell three times, each with a bound of 15 s, should it hang.
    ASSERT_EQ(WaitForStartedPrograms(2, withinMs).size(), 2u) << "no page opened in time";
    MessageBoxState question = program_->WaitForMessageBox();
    EXPECT_EQ(question.text, "Did the Page load successfully?");
    Answer(question, IDYES);
    ExpectOkMessage("The correction will remain within the system.\r\n\r\n" + kReactivate);
    EXPECT_TRUE(program_->WaitForExit());
  }
};

// The system's resolver answers from the hosts file as it was, then takes in the repair.
TEST_F(Resolver, PageOpensAfterTheNewAnswer) {
  SetSystemHosts("10.0.0.1 www.example.com\n");
  SetZone("www.example.com A 192.0.2.10\n");
  ExpectPageOpensOnceTheAnswerChanges(3000, [] { SetSystemHosts(""); });
}

// A name server that cannot answer now gives no answer: Veltrim waits until it does.
TEST_F(Resolver, BusyResolverIsWaitedOut) {
  SetSystemHosts("");
  SetZone("www.example.com SERVFAIL\n");
  ExpectPageOpensOnceTheAnswerChanges(4000, [] { SetZone("www.example.com A 192.0.2.10\n"); });
}

// A name server that fails for another repaired name holds the page for a few seconds at most
// once the page's own name is answered anew, not for the wait's five minutes.
TEST_F(Resolver, NameServerFailingForAnotherNameHoldsThePageBriefly) {
  SetSystemHosts("10.0.0.1 www.example.com\n");
  SetZone("www.example.com A 192.0.2.10\nexample.com A 192.0.2.10\nimg.example.com SERVFAIL\n");
  ExpectPageOpensOnceTheAnswerChanges(
      3000, [] { SetSystemHosts(""); }, kHosts + "10.0.0.5 img.example.com\r\n", 15000);
}

// A name that neither the resolver nor the network knows, mistyped: no page opens, and the user
// is told what was seen.
TEST_F(Resolver, UnknownNameIsSaidToBeUnknown) {
  SetSystemHosts("");
  SetZone("");
  Fix(kHosts, "http://www.shopping-site.tset/");
  ExpectOkMessage(
      "Windows cannot find www.shopping-site.tset, and neither can the network's name server: it "
      "answers that the name does not exist, or that it has no address. Check the address for a "
      "typing mistake; or the network blocks the name that way, as some blockers do.\r\n\r\n"
      "No line of the host files named it, so they were left as they were.\r\n\r\n" +
      kReactivate);
  EXPECT_TRUE(program_->WaitForExit());
  EXPECT_EQ(WaitForStartedPrograms(2, 2000), std::vector<std::string>{kIpconfigStarted});
  EXPECT_EQ(ReadBytes(kHostsPath), kHosts);
}

// The network's name server answers a blocking list's address: whether or not a line of the
// host files named the host, Veltrim says so, opens no page and asks nothing.
TEST_F(Resolver, NetworkBlockIsNamed) {
  SetSystemHosts("");
  SetZone("blocked.example.com A 0.0.0.0\nblocked.example.com AAAA ::\n");
  const struct {
    std::string hosts, repaired, sentence;
  } cases[] = {
      {"10.0.0.1 blocked.example.com\r\n", "#10.0.0.1 blocked.example.com\r\n",
       "The host files have been repaired: the lines that named blocked.example.com were "
       "commented out."},
      {kHosts, kHosts, "No line of the host files named it, so they were left as they were."}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.sentence);
    Fix(each.hosts, "http://blocked.example.com/");
    ExpectOkMessage(
        "The network blocks blocked.example.com: its name server answers 0.0.0.0 for "
        "it, as a blocking list does, so the page cannot load on this network.\r\n\r\n" +
        each.sentence +
        " Ask whoever runs the network (a router, a blocking program or your "
        "company) to allow blocked.example.com.\r\n\r\n" +
        kReactivate);
    EXPECT_TRUE(program_->WaitForExit());
    // A browser that was started has two seconds to say so.
    EXPECT_EQ(WaitForStartedPrograms(2, 2000), std::vector<std::string>{kIpconfigStarted});
    EXPECT_EQ(ReadBytes(kHostsPath), each.repaired);
  }
}

// Pages served by the tests' own web servers (private_web in scripts/common.sh) at 192.0.2.80,
// over http and https, where the zone sends their hosts.
class Pages : public Resolver {
 protected:
  static void Serve(const std::string& host, const std::string& path, const std::string& response) {
    const std::string folder = std::getenv("VELTRIM_WEB_PAGES") + ("\\" + host);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    WriteBytes(folder + "\\" + path, response);
  }
  static std::string Html(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  }
  static std::string Moved(const std::string& location) {
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
  }
  // The offer to unblock the hosts that `lines` name, answered `answer`.
  void ExpectOffer(const std::string& lines, int answer) {
    MessageBoxState box = program_->WaitForMessageBox();
    EXPECT_EQ(box.caption, "Veltrim");
    EXPECT_EQ(box.text,
              "The page needs hosts that lines of the host files block:\r\n\r\n" + lines +
                  "\r\n\r\nUnblocking a host unblocks it for every program on this computer, "
                  "not only for this page. Unblock them too?");
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_FALSE(box.hasIcon);
    // Readable whole: on the screen.
    RECT shown;
    ::GetWindowRect(box.handle, &shown);
    EXPECT_TRUE(shown.top >= 0 && shown.bottom <= ::GetSystemMetrics(SM_CYSCREEN));
    Answer(box, answer);
  }
  // The page opens, the question is answered `answer`, and `then` is said.
  void ExpectQuestion(int answer, const std::string& then) {
    MessageBoxState question = program_->WaitForMessageBox();
    EXPECT_EQ(question.text, "Did the Page load successfully?");
    EXPECT_EQ(WaitForStartedPrograms(2, 2000).size(), 2u) << "no page opened";
    Answer(question, answer);
    ExpectOkMessage(then + "\r\n\r\n" + kReactivate);
    EXPECT_TRUE(program_->WaitForExit());
  }
};

const std::string kCdnLine = "0.0.0.0 cdn.shopcdn.test\r\n0.0.0.0 ads.shopcdn.test\r\n";

// A shop whose script comes from a CDN that a line blocks: on Yes that line alone is commented
// out, while the host that the page only links to stays blocked; on No nothing changes.
TEST_F(Pages, BlockedCdnUnblockedOnYesKeptOnNo) {
  SetSystemHosts("");
  SetZone("shop.test A 192.0.2.80\n");
  Serve("shop.test", "index",
        Html("<!DOCTYPE html><title>Shop</title><SCRIPT src=https://cdn.shopcdn.test/app.js>"
             "</SCRIPT><a href=\"http://ads.shopcdn.test/\">Offers</a>"));
  const std::string offered = "cdn.shopcdn.test: line 4 of " + kHostsPath;
  Fix(kHosts + kCdnLine, "https://shop.test/");
  ExpectOffer(offered, IDYES);
  ExpectQuestion(IDYES, "The correction will remain within the system.");
  EXPECT_EQ(ReadBytes(kHostsPath),
            kHosts + "#0.0.0.0 cdn.shopcdn.test\r\n0.0.0.0 ads.shopcdn.test\r\n");

  Fix(kHosts + kCdnLine, "https://shop.test/");
  ExpectOffer(offered, IDNO);
  ExpectQuestion(IDNO,
                 "The page needs hosts that the host files still block, as you chose: "
                 "cdn.shopcdn.test. To unblock them, run Veltrim again and answer Yes when it "
                 "asks, or put a # in front of their lines in the host files.");
  EXPECT_EQ(ReadBytes(kHostsPath), kHosts + kCdnLine);
}

// A click-tracking redirect to a blocked host, unblocked and then followed; and a hostile page
// behind a chain of redirects, 8 MB naming 40,000 hosts of which lines block 10,000: the
// question comes within a minute, and nothing is repaired without Yes.
TEST_F(Pages, BlockedRedirectAndAHostilePage) {
  SetSystemHosts("");
  SetZone("shop.test A 192.0.2.80\nclick.tracker.test A 192.0.2.80\n");
  Serve("shop.test", "go", Moved("http://click.tracker.test/r?to=shop"));
  Serve("click.tracker.test", "r", Html("<p>Offers</p>"));
  Fix(kHosts + "0.0.0.0 click.tracker.test\r\n", "http://shop.test/go");
  ExpectOffer("click.tracker.test: line 4 of " + kHostsPath, IDYES);
  ExpectQuestion(IDYES, "The correction will remain within the system.");
  EXPECT_EQ(ReadBytes(kHostsPath), kHosts + "#0.0.0.0 click.tracker.test\r\n");
  EXPECT_NE(ReadBytes(std::getenv("VELTRIM_WEB_LOG")).find("http click.tracker.test /r"),
            std::string::npos);

  std::string markup, blocking;
  for (int n = 0; n < 40000; ++n) {
    markup += "<img src=\"http://h" + std::to_string(n) + ".bad.test/i.png\">";
    if (n % 4 == 0) blocking += "0.0.0.0 h" + std::to_string(n) + ".bad.test\r\n";
  }
  markup += std::string(8000000 - markup.size(), 'x');
  for (int hop = 1; hop <= 3; ++hop) {
    Serve("shop.test", "h" + std::to_string(hop), Moved("/h" + std::to_string(hop + 1)));
  }
  Serve("shop.test", "h4", Html(markup));
  const DWORD clicked = ::GetTickCount();
  Fix(kHosts + blocking, "http://shop.test/h1");
  std::string offered;
  for (int n = 0; n < 32; n += 4) {
    offered += "h" + std::to_string(n) + ".bad.test: line " + std::to_string(n / 4 + 4) + " of " +
               kHostsPath + "\r\n";
  }
  ExpectOffer(offered + "and 9992 more", IDNO);
  MessageBoxState question = program_->WaitForMessageBox();
  EXPECT_LE(::GetTickCount() - clicked, 60000u);
  EXPECT_EQ(question.text, "Did the Page load successfully?");
  Answer(question, IDNO);
  ExpectOkMessage(
      "The page needs hosts that the host files still block, as you chose: h0.bad.test, "
      "h4.bad.test, h8.bad.test, h12.bad.test, h16.bad.test, h20.bad.test, h24.bad.test, "
      "h28.bad.test and 9992 more. To unblock them, run Veltrim again and answer Yes when it "
      "asks, or put a # in front of their lines in the host files.\r\n\r\n" +
      kReactivate);
  EXPECT_TRUE(program_->WaitForExit());
  EXPECT_EQ(ReadBytes(kHostsPath), kHosts + blocking);
}

// At 150 % the program lays itself out at 144 DPI; the scenario script sets LogPixels first.
TEST(EndToEndHighDpi, LooksAsDescribed) {
  Program program;
  ExpectBothWindows(program, 144, false);
}

}  // namespace
}  // namespace veltrim::e2e
