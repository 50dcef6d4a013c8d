#include "MainForm.h"

#include <string>
#include <vector>

#include "ApplicationTitle.h"
#include "ResourceIds.h"
#include "ResolverWait.h"
#include "Win32Text.h"

namespace veltrim::shell {

namespace {

constexpr int kClientWidth = 3915;
constexpr int kClientHeight = 1575;

constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

// In tab order. The prompt comes just before the address box, which screen readers then name
// after it; a label takes no focus, so it changes nothing for Tab.
const std::vector<ControlLayout>& Controls() {
  static const std::vector<ControlLayout> controls = {
      {kWebLabel, L"STATIC", L"Type website to fix below", 240, 240, 3615, 255,
       WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, FontStyle::Regular},
      {kWebAddress, L"EDIT", L"http://", 240, 480, 3375, 285,
       WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, FontStyle::Regular},
      {kCancel, L"BUTTON", L"Cancel", 240, 960, 1575, 495, kButton, 0, FontStyle::Regular},
      {kFixItButton, L"BUTTON", L"Fix It", 2040, 960, 1575, 495, kButton, 0, FontStyle::Regular},
      {kProgress, L"STATIC", L"Fixing.....", 240, 360, 1095, 375, SS_LEFT | SS_NOPREFIX, 0,
       FontStyle::Bold},
      {kProgressItem, L"STATIC", L"", 1920, 360, 1695, 375, SS_LEFT | SS_NOPREFIX, 0,
       FontStyle::BoldItalic},
  };
  return controls;
}

HICON LoadAppIcon(int size) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(VELTRIM_ICON), IMAGE_ICON, size, size,
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

MainForm::MainForm(OpenWindows& windows, platform::Desktop& desktop, Fix& fix)
    : Window(windows, desktop, {Controls(), kClientWidth, kClientHeight}), fix_(fix) {}

void MainForm::Show() {
  HICON icon = LoadAppIcon(::GetSystemMetrics(SM_CXICON));
  HICON smallIcon = LoadAppIcon(::GetSystemMetrics(SM_CXSMICON));
  CreateTopLevel(kMainClass, platform::Widen(platform::kApplicationTitle).c_str(),
                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, icon, smallIcon);
  // Set on the window as well, where the task bar and Alt+Tab ask for it.
  ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  ::ShowWindow(Handle(), SW_SHOW);
  FocusAddressAtEnd();
  // While the user types, so that only the browser's start is left for "Fix It".
  Desktop().PrepareDesktopShell();
}

void MainForm::OnCommand(int id) {
  // A running fix's pauses and message boxes dispatch messages; a click that waited in the
  // queue must not start a second fix or close the window under the first. Cancel ends the
  // fix's wait instead.
  if (fixing_) {
    cancelled_ = cancelled_ || id == kCancel;
    return;
  }
  if (id == kCancel) {
    ::DestroyWindow(Handle());
  } else if (id == kFixItButton) {
    fixing_ = true;
    cancelled_ = closed_ = false;
    fix_.Run(*this);
    fixing_ = false;
  }
}

void MainForm::OnClose() {
  if (fixing_) {
    closed_ = true;
  } else {
    ::DestroyWindow(Handle());
  }
}

Paused MainForm::Pause(unsigned milliseconds) {
  const ULONGLONG end = ::GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    while (!cancelled_ && !closed_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // For the program's own loop, once the fix is over.
        ::PostQuitMessage(static_cast<int>(message.wParam));
        closed_ = true;
      } else if (!::IsDialogMessageW(Handle(), &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
    const ULONGLONG now = ::GetTickCount64();
    if (closed_) return Paused::Closed;
    if (cancelled_) return Paused::Cancelled;
    if (now >= end) return Paused::Through;
    // No handle to wait for, only the messages; the array is not read.
    HANDLE none = nullptr;
    ::MsgWaitForMultipleObjectsEx(0, &none, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
  }
}

std::string MainForm::AddressText() {
  HWND box = Control(kWebAddress);
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(box)), L'\0');
  int length = ::GetWindowTextW(box, text.data(), static_cast<int>(text.size() + 1));
  text.resize(static_cast<size_t>(length));
  return platform::Narrow(text);
}

void MainForm::ShowWorkingState() {
  ::ShowWindow(Control(kWebLabel), SW_HIDE);
  ::ShowWindow(Control(kWebAddress), SW_HIDE);
  ::EnableWindow(Control(kFixItButton), FALSE);
  ::ShowWindow(Control(kProgress), SW_SHOW);
  ::ShowWindow(Control(kProgressItem), SW_SHOW);
  ::UpdateWindow(Handle());
}

void MainForm::SetProgressItem(const std::string& caption) {
  // The wait has ended, and the title with it.
  if (waitShown_) {
    ::SetWindowTextW(Handle(), platform::Widen(platform::kApplicationTitle).c_str());
    waitShown_ = false;
  }
  HWND label = Control(kProgressItem);
  ::SetWindowTextW(label, platform::Widen(caption).c_str());
  // The fix keeps the window from processing messages, so the label is painted now.
  ::RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// In the title bar, and so on the task bar too: the progress label has no room for it at any
// DPI.
void MainForm::ShowWaited(unsigned seconds) {
  const unsigned bound = kResolverWaitMs / 1000;
  const auto clock = [](unsigned s) {
    return std::to_string(s / 60) + (s % 60 < 10 ? ":0" : ":") + std::to_string(s % 60);
  };
  ::SetWindowTextW(Handle(), platform::Widen(std::string(platform::kApplicationTitle) +
                                             " - waited " + clock(seconds) + " of " + clock(bound))
                                 .c_str());
  waitShown_ = true;
}

void MainForm::TakeFocus() {
  ::SetForegroundWindow(Handle());
  ::SetActiveWindow(Handle());
}

void MainForm::AskAgain() {
  TakeFocus();
  FocusAddressAtEnd();
}

void MainForm::FocusAddressAtEnd() {
  HWND box = Control(kWebAddress);
  ::SetFocus(box);
  // After the text, so that what is typed or pasted into the untouched box follows its
  // "http://" instead of standing in front of it.
  int end = ::GetWindowTextLengthW(box);
  ::SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
}

void MainForm::Close() { ::DestroyWindow(Handle()); }

}  // namespace veltrim::shell
