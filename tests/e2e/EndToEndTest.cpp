// Veltrim.exe as a user meets it, under Wine: each test is one scenario in a prefix of its own,
// with stand-ins for ipconfig.exe and iexplore.exe that record how they were started.
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "ControlIds.h"
#include "StartedLog.h"
#include "UiDriver.h"
#include "Win32Error.h"

namespace veltrim::e2e {
namespace {

using namespace shell;
using namespace uidriver;

const std::string kEtc = "C:\\windows\\system32\\drivers\\etc\\";
const std::string kHostsPath = kEtc + "hosts";
const std::string kLmHostsPath = kEtc + "lmhosts";
const std::string kBrowser = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
const std::string kHosts = "127.0.0.1 localhost\r\n::1 localhost\r\n10.0.0.1 www.example.com\r\n";
const std::string kLmHosts = "10.0.0.2 EXAMPLE #PRE\r\n10.0.0.3 example.com\r\n";
const std::string kRepairedHosts =
    "127.0.0.1 localhost\r\n::1 localhost\r\n#10.0.0.1 www.example.com\r\n";
const std::string kRepairedLmHosts = "10.0.0.2 EXAMPLE #PRE\r\n#10.0.0.3 example.com\r\n";
// Hidden, quoted, in its own folder.
const std::string kIpconfigStarted =
    "ipconfig.exe|0|\"C:\\windows\\system32\\ipconfig.exe\" /flushdns|Veltrim.exe|"
    "C:\\windows\\system32";
const std::string kShellFolder = "C:\\windows\\system32";
const std::string kReactivate =
    "You may now reactivate any web acceleration software that you use.";

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A control's box in twips, in the window's client area.
struct Box {
  int id;
  int left, top, width, height;
};

int Px(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

// The splash's frame holds most controls; their boxes are relative to it, at its top.
constexpr int kFrameLeft = 120;

void ExpectBox(HWND window, const Box& box, int dpi, bool inFrame) {
  const RECT at = Inspect(window, box.id).rect;
  EXPECT_EQ((std::vector<long>{at.left, at.top, at.right - at.left, at.bottom - at.top}),
            (std::vector<long>{Px(box.left, dpi) + (inFrame ? Px(kFrameLeft, dpi) : 0),
                               Px(box.top, dpi), Px(box.width, dpi), Px(box.height, dpi)}))
      << "left, top, width and height of control " << box.id;
}

void ExpectClientSize(HWND window, int widthTwips, int heightTwips, int dpi) {
  RECT client = ClientRectOnScreen(window);
  EXPECT_EQ(client.right - client.left, Px(widthTwips, dpi));
  EXPECT_EQ(client.bottom - client.top, Px(heightTwips, dpi));
}

// The window as it first opens: centred on the screen.
void ExpectCentredClient(HWND window, int widthTwips, int heightTwips, int dpi) {
  ExpectClientSize(window, widthTwips, heightTwips, dpi);
  RECT outer;
  ::GetWindowRect(window, &outer);
  // Centred to the pixel: halving may round either way.
  EXPECT_LE(std::abs(outer.left + outer.right - ::GetSystemMetrics(SM_CXSCREEN)), 2);
  EXPECT_LE(std::abs(outer.top + outer.bottom - ::GetSystemMetrics(SM_CYSCREEN)), 2);
}

// The font a label is drawn in: "MS Sans Serif" 8.25 point, or 9.75 point bold, as the
// program asks for it, so that the system substitutes the same face for both.
enum class Face { Regular, Bold, BoldItalic };

// The label's text fits inside it with its font at `dpi`: wrapped to its width when it wraps,
// otherwise on one line, and never taller than the label.
void ExpectTextFits(HWND window, int id, Face face, bool wraps, int dpi,
                    const std::string& text = "") {
  ControlState label = Inspect(window, id);
  LOGFONTA request = {};
  request.lfHeight = -::MulDiv(face == Face::Regular ? 825 : 975, dpi, 7200);
  request.lfWeight = face == Face::Regular ? FW_NORMAL : FW_BOLD;
  request.lfItalic = face == Face::BoldItalic;
  request.lfCharSet = DEFAULT_CHARSET;
  std::strcpy(request.lfFaceName, "MS Sans Serif");
  HFONT font = ::CreateFontIndirectA(&request);
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  const std::string& shown = text.empty() ? label.text : text;
  RECT needed = {0, 0, label.rect.right - label.rect.left, 0};
  ::DrawTextA(dc, shown.c_str(), -1, &needed,
              DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(font);
  EXPECT_LE(needed.bottom, label.rect.bottom - label.rect.top) << '"' << shown << "\" at " << dpi;
  EXPECT_LE(needed.right, label.rect.right - label.rect.left) << '"' << shown << "\" at " << dpi;
}

// Every control where the table puts it at `dpi`, every label's text inside it.
void ExpectSplashLayout(HWND splash, int dpi) {
  ExpectClientSize(splash, 8490, 4995, dpi);
  ExpectBox(splash, {kFrame1, 120, 0, 8280, 4890}, dpi, false);
  ExpectBox(splash, {kCommand2, 4560, 4320, 1335, 375}, dpi, false);
  for (const Box& box :
       {Box{kPicture1, 0, 120, 8235, 1410}, Box{kLabel5, 360, 2160, 7455, 255},
        Box{kLabel1, 3600, 2640, 1095, 255}, Box{kLabel2, 360, 3000, 7455, 855},
        Box{kLabel3, 360, 3960, 7455, 255}, Box{kCommand1, 2400, 4320, 1335, 375}}) {
    ExpectBox(splash, box, dpi, true);
  }
  // The title labels size themselves to their text: "Veltrim" keeps its right edge, the
  // version its left.
  ControlState title = Inspect(splash, kLabel4);
  ControlState version = Inspect(splash, kLblVersion);
  EXPECT_EQ(title.rect.right, Px(kFrameLeft, dpi) + Px(2940, dpi) + Px(870, dpi));
  EXPECT_EQ(title.rect.top, Px(1680, dpi));
  EXPECT_EQ(version.rect.left, Px(kFrameLeft, dpi) + Px(3960, dpi));
  EXPECT_LT(title.rect.right, version.rect.left);
  for (int id : {kLabel5, kLabel3}) ExpectTextFits(splash, id, Face::Regular, false, dpi);
  ExpectTextFits(splash, kLabel2, Face::Regular, true, dpi);
  for (int id : {kLabel1, kLabel4, kLblVersion}) ExpectTextFits(splash, id, Face::Bold, false, dpi);
}

void ExpectSplash(HWND splash, int dpi) {
  ExpectCentredClient(splash, 8490, 4995, dpi);
  LONG_PTR style = ::GetWindowLongPtrA(splash, GWL_STYLE);
  LONG_PTR exStyle = ::GetWindowLongPtrA(splash, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_DLGFRAME) << "a dialog frame without title bar";
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0) << "kept out of the task bar";
  EXPECT_EQ(::GetSystemMenu(splash, FALSE), nullptr);
  ExpectSplashLayout(splash, dpi);
  EXPECT_EQ(Inspect(splash, kLabel4).text, "Veltrim");
  EXPECT_EQ(Inspect(splash, kLblVersion).text, "Version 1.0.0");
  EXPECT_EQ(Inspect(splash, kLabel5).text,
            "Please close all web acceleration programs prior to using this application.");
  EXPECT_EQ(Inspect(splash, kLabel1).text, "Warning");
  EXPECT_EQ(Inspect(splash, kLabel2).text,
            "This software is provided as is, with no support or warranty of any kind. The use "
            "of this software is not endorsed by Microsoft Corporation, and we accept no "
            "responsibility for loss of data or damage to your system which may result from the "
            "use of this software. By using this software you agree to the above terms. If you "
            "do not agree to the above terms press ESC to exit from the program.");
  EXPECT_EQ(Inspect(splash, kLabel3).text,
            "If you agree to the above terms please click continue otherwise click exit.");
  EXPECT_EQ(Inspect(splash, kCommand1).text, "Continue");
  EXPECT_EQ(Inspect(splash, kCommand2).text, "Exit");
  EXPECT_EQ(FocusOf(splash), ::GetDlgItem(splash, kPicture1));
  // Only the picture and the two buttons take the focus, in that order, and round again.
  HWND item = nullptr;
  for (int id : {kPicture1, kCommand1, kCommand2, kPicture1}) {
    item = ::GetNextDlgTabItem(splash, item, FALSE);
    EXPECT_EQ(item, ::GetDlgItem(splash, id)) << "control " << id;
  }
  // The banner has the focus first: a screen reader names it and calls it a picture.
  AccessibleState banner = AccessibleOf(::GetDlgItem(splash, kPicture1));
  EXPECT_EQ(banner.name, "Veltrim");
  EXPECT_EQ(banner.role, ROLE_SYSTEM_GRAPHIC);
}

void ExpectMainLayout(HWND main, int dpi) {
  ExpectClientSize(main, 3915, 1575, dpi);
  for (const Box& box :
       {Box{kWebLabel, 240, 240, 3615, 255}, Box{kWebAddress, 240, 480, 3375, 285},
        Box{kCancel, 240, 960, 1575, 495}, Box{kFixItButton, 2040, 960, 1575, 495},
        Box{kProgress, 240, 360, 1095, 375}, Box{kProgressItem, 1920, 360, 1695, 375}}) {
    ExpectBox(main, box, dpi, false);
  }
  ExpectTextFits(main, kWebLabel, Face::Regular, false, dpi);
  ExpectTextFits(main, kProgress, Face::Bold, false, dpi);
  for (const char* step : {"Flushing DNS", "Clearing Hosts", "Completed"}) {
    ExpectTextFits(main, kProgressItem, Face::BoldItalic, false, dpi, step);
  }
}

void ExpectMainEntryState(HWND main, int dpi) {
  ExpectCentredClient(main, 3915, 1575, dpi);
  ExpectMainLayout(main, dpi);
  char caption[64];
  ::GetWindowTextA(main, caption, static_cast<int>(std::size(caption)));
  EXPECT_STREQ(caption, "Veltrim");
  LONG_PTR style = ::GetWindowLongPtrA(main, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  struct Expected {
    int id;
    const char* text;
    bool visible;
  };
  for (const Expected& e :
       {Expected{kWebLabel, "Type website to fix below", true},
        Expected{kWebAddress, "http://", true}, Expected{kCancel, "Cancel", true},
        Expected{kFixItButton, "Fix It", true}, Expected{kProgress, "Fixing.....", false},
        Expected{kProgressItem, "", false}}) {
    ControlState state = Inspect(main, e.id);
    EXPECT_EQ(state.text, e.text) << "control " << e.id;
    EXPECT_EQ(state.visible, e.visible) << "control " << e.id;
    EXPECT_TRUE(state.enabled) << "control " << e.id;
  }
  EXPECT_EQ(FocusOf(main), ::GetDlgItem(main, kWebAddress));
  // Named after the prompt just before it.
  EXPECT_EQ(AccessibleOf(::GetDlgItem(main, kWebAddress)).name, "Type website to fix below");
}

// Continues from the disclaimer to the main window.
HWND OpenMain(const Program& program) {
  HWND splash = program.WaitForWindow(kSplashClass);
  EXPECT_NE(splash, nullptr);
  Click(splash, kCommand1);
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
  HWND splash = program.WaitForWindow(kSplashClass);
  ASSERT_NE(splash, nullptr);
  ExpectSplash(splash, dpi);
  Screenshot(splash, "disclaimer-" + at);
  if (moved) {
    program.SendDpiChanged(splash, 144, 8490, 4995);
    ExpectSplashLayout(splash, 144);
    Screenshot(splash, "disclaimer-moved-to-144dpi");
  }
  HWND main = OpenMain(program);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(program.WaitForWindow(kSplashClass, 0), nullptr) << "the disclaimer closed";
  ExpectMainEntryState(main, dpi);
  Screenshot(main, "main-" + at);
  if (moved) {
    program.SendDpiChanged(main, 144, 3915, 1575);
    ExpectMainLayout(main, 144);
  }
  Click(main, kCancel);
  EXPECT_TRUE(program.WaitForExit());
}

void ExpectWorkingState(HWND main, const char* step) {
  EXPECT_FALSE(Inspect(main, kWebLabel).visible);
  EXPECT_FALSE(Inspect(main, kWebAddress).visible);
  EXPECT_FALSE(Inspect(main, kFixItButton).enabled);
  EXPECT_TRUE(Inspect(main, kCancel).enabled);
  EXPECT_TRUE(Inspect(main, kProgress).visible);
  ControlState item = Inspect(main, kProgressItem);
  EXPECT_TRUE(item.visible);
  EXPECT_EQ(item.text, step);
}

// Wine does not answer WM_GETICON across processes, so the icon is read from the program.
// The program's icon has 32- and 16-pixel images of 24 bits.
void ExpectIconImages() {
  HMODULE module = ::LoadLibraryExW((DriverFolder() + L"Veltrim.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(kAppIcon), MAKEINTRESOURCEA(14));
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
  ::FreeLibrary(module);
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
    WriteFileBytes(kHostsPath, kHosts);
    WriteFileBytes(kLmHostsPath, kLmHosts);
  }

  void ExpectHostFilesUntouched() {
    EXPECT_EQ(ReadFileBytes(kHostsPath), kHosts);
    EXPECT_EQ(ReadFileBytes(kLmHostsPath), kLmHosts);
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
  // and which programs were started, and how: the browser with the address `opened` (UTF-8).
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
    ExpectWorkingState(main, "Completed");
    Screenshot(question.handle, "question");
    Answer(question, answer);
    ExpectOkMessage(answerText + "\r\n\r\n" + kReactivate);
    EXPECT_TRUE(program_->WaitForExit());
    // ipconfig hidden and started by Veltrim; the browser maximized, with the address the user
    // meant, started by the desktop shell so that it has the user's rights, not Veltrim's.
    const std::vector<std::string> started = StartedPrograms();
    ASSERT_GE(started.size(), 2u);
    EXPECT_EQ(
        std::vector<std::string>(started.end() - 2, started.end()),
        (std::vector<std::string>{kIpconfigStarted, "iexplore.exe|3|\"" + kBrowser + "\" " +
                                                        opened + "|explorer.exe|" + kShellFolder}));
  }

  void ExpectFixReported(const std::string& answerText, int answer, const std::string& typed) {
    ExpectFixReported(
        answerText, answer, [&](HWND main) { TypeUtf8(main, kWebAddress, typed); }, typed);
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
  HMODULE loaded = ::LoadLibraryW(control.c_str());
  ASSERT_NE(loaded, nullptr);
  ::FreeLibrary(loaded);
  EXPECT_TRUE(::DeleteFileW((control + L".loaded").c_str()));
  ASSERT_TRUE(::CopyFileW((DriverFolder() + L"Veltrim.exe").c_str(),
                          (folder + L"Veltrim.exe").c_str(), FALSE));
  program_ = std::make_unique<Program>(folder + L"Veltrim.exe");

  OpenMain(*program_);
  ExpectFixReported("The correction will remain within the system.", IDYES,
                    "http://www.example.com/\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80/"
                    "\xE4\xBE\x8B");
  for (const wchar_t* name : planted) {
    EXPECT_EQ(::GetFileAttributesW((folder + name + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
        << name << " was loaded";
  }
  EXPECT_EQ(ReadFileBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(ReadFileBytes(kLmHostsPath), kRepairedLmHosts);
}

// Addresses as people type and paste them today, on a machine whose name resolution a program
// took over: a hidden system hosts file, then the resolver pointed at a folder of its own.
TEST_F(EndToEnd, TodaysAddressesWhereTheResolverReads) {
  const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(::SetFileAttributesA(kHostsPath.c_str(), hidden));
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
  EXPECT_EQ(ReadFileBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(ReadFileBytes(kLmHostsPath), kRepairedLmHosts);

  const std::string folder = "C:\\resolver";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  WriteFileBytes(folder + "\\hosts", kHosts);
  ASSERT_TRUE(::SetFileAttributesA(kHostsPath.c_str(), FILE_ATTRIBUTE_NORMAL));
  LayOutHostFiles();
  const wchar_t configured[] = L"%SystemDrive%\\resolver";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE,
                              L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                              L"DataBasePath", REG_EXPAND_SZ, configured, sizeof(configured)),
            ERROR_SUCCESS);
  program_ = std::make_unique<Program>();
  OpenMain(*program_);
  // Typed key by key into the window as it opens.
  ExpectFixReported(
      "The problem is not DNS related.", IDNO,
      [](HWND main) {
        TypeKeys("www.example.com/x");
        EXPECT_EQ(Inspect(main, kWebAddress).text, "http://www.example.com/x");
      },
      "http://www.example.com/x");
  EXPECT_EQ(ReadFileBytes(folder + "\\hosts"), kRepairedHosts);
  ExpectHostFilesUntouched();
}

// With no desktop shell to start the browser as the user (the scenario script takes Explorer's
// shell away), Veltrim repairs the host files and starts no browser itself, where it would
// have administrator rights; it says so.
TEST_F(EndToEnd, WithoutADesktopShellNoBrowserIsStarted) {
  HWND main = OpenMain(*program_);
  TypeUtf8(main, kWebAddress, "http://www.example.com/page");
  Click(main, kFixItButton);
  ExpectOkMessage(
      "Veltrim could not open the page for you: the Windows desktop did not start the browser."
      "\r\n\r\nThe host files have been repaired. Open http://www.example.com/page in your "
      "browser now to see whether it loads.");
  EXPECT_TRUE(program_->WaitForExit());
  EXPECT_EQ(ReadFileBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(ReadFileBytes(kLmHostsPath), kRepairedLmHosts);
  EXPECT_EQ(StartedPrograms(), std::vector<std::string>{kIpconfigStarted});
}

// At 96 DPI, then moved to a monitor at 144.
TEST_F(EndToEnd, LooksAsDescribed) {
  ExpectIconImages();
  ExpectBothWindows(*program_, 96, true);
  ExpectHostFilesUntouched();
  EXPECT_TRUE(StartedPrograms().empty());
}

// Exit, Escape on the disclaimer whichever control has the focus, Escape or the close box on
// the main window: each ends the program with nothing started or changed.
TEST_F(EndToEnd, EveryWayOutLeavesEverythingAsItWas) {
  using Leave = void (*)(const Program&);
  const Leave ways[] = {
      [](const Program& program) { Click(program.WaitForWindow(kSplashClass), kCommand2); },
      [](const Program& program) {
        HWND exit = ::GetDlgItem(program.WaitForWindow(kSplashClass), kCommand2);
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
  for (Leave leave : ways) {
    Program program;
    leave(program);
    EXPECT_TRUE(program.WaitForExit());
  }
  ExpectHostFilesUntouched();
  EXPECT_TRUE(StartedPrograms().empty());
}

// Refused addresses, then one that the fix takes up, on a machine without the browser.
TEST_F(EndToEnd, InvalidWebAddressThenMissingBrowser) {
  HWND main = OpenMain(*program_);
  // Enter presses nothing: "Fix It" is not a default button.
  PressKey(::GetDlgItem(main, kWebAddress), VK_RETURN);
  EXPECT_FALSE(program_->ShowsMessageBoxWithin(700));
  for (const char* typed : {"http://", "", "http:///a"}) {
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
  EXPECT_EQ(Inspect(main, kWebAddress).text, "http:///ax");
  ExpectHostFilesUntouched();
  EXPECT_TRUE(StartedPrograms().empty());

  ASSERT_TRUE(::DeleteFileA(kBrowser.c_str()));
  Type(main, kWebAddress, "example.com");
  Click(main, kFixItButton);
  ExpectOkMessage("Could not start " + kBrowser +
                  ".\r\n\r\nError 2: " + platform::DescribeError(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(program_->WaitForExit());
  EXPECT_EQ(ReadFileBytes(kHostsPath), kRepairedHosts);
  EXPECT_EQ(StartedPrograms(), std::vector<std::string>{kIpconfigStarted});
}

// At 150 % the program lays itself out at 144 DPI; the scenario script sets LogPixels first.
TEST(EndToEndHighDpi, LooksAsDescribed) {
  Program program;
  ExpectBothWindows(program, 144, false);
}

}  // namespace
}  // namespace veltrim::e2e
