#include "DisclaimerForm.h"

#include <string>
#include <vector>

#include "PictureBox.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "Win32Text.h"

namespace veltrim::shell {

namespace {

constexpr int kClientWidth = 8490;
constexpr int kClientHeight = 4995;

const wchar_t kDisclaimer[] =
    L"This software is provided as is, with no support or warranty of any kind. The use of this "
    "software is not endorsed by Microsoft Corporation, and we accept no responsibility for loss "
    "of data or damage to your system which may result from the use of this software. By using "
    "this software you agree to the above terms. If you do not agree to the above terms press "
    "ESC to exit from the program.";

constexpr DWORD kLabel = WS_VISIBLE | SS_NOPREFIX;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

// In tab order; the frame goes to the back once everything is created.
const std::vector<ControlLayout>& Controls() {
  static const std::vector<ControlLayout> controls = {
      {kDisclaimerFrame, L"BUTTON", L"", 120, 0, 8280, 4890, WS_VISIBLE | BS_GROUPBOX, 0,
       FontStyle::Regular},
      {kVersionLabel, L"STATIC", L"Version", 3960, 1680, 810, 240, kLabel | SS_LEFT, 0,
       FontStyle::Bold, kDisclaimerFrame, Sizing::FitTextAnchorLeft},
      {kBanner, kPictureBoxClass, L"Veltrim", 0, 120, 8235, 1410, WS_VISIBLE | WS_TABSTOP,
       WS_EX_CLIENTEDGE, FontStyle::Regular, kDisclaimerFrame},
      {kWarningTitle, L"STATIC", L"Warning", 3600, 2640, 1095, 255, kLabel | SS_CENTER, 0,
       FontStyle::Bold, kDisclaimerFrame},
      {kDisclaimerText, L"STATIC", kDisclaimer, 360, 3000, 7455, 855, kLabel | SS_LEFT, 0,
       FontStyle::Regular, kDisclaimerFrame},
      {kAgreePrompt, L"STATIC",
       L"If you agree to the above terms please click continue otherwise click exit.", 360, 3960,
       7455, 255, kLabel | SS_CENTER, 0, FontStyle::Regular, kDisclaimerFrame},
      {kProductName, L"STATIC", L"Veltrim", 2940, 1680, 870, 240, kLabel | SS_RIGHT, 0,
       FontStyle::Bold, kDisclaimerFrame, Sizing::FitTextAnchorRight},
      {kContinueButton, L"BUTTON", L"Continue", 2400, 4320, 1335, 375, kButton, 0,
       FontStyle::Regular, kDisclaimerFrame},
      {kExitButton, L"BUTTON", L"Exit", 4560, 4320, 1335, 375, kButton, 0, FontStyle::Regular},
      {kAcceleratorsNotice, L"STATIC",
       L"Please close all web acceleration programs prior to using this application.", 360, 2160,
       7455, 255, kLabel | SS_CENTER, 0, FontStyle::Regular, kDisclaimerFrame},
  };
  return controls;
}

}  // namespace

DisclaimerForm::DisclaimerForm(OpenWindows& windows, platform::Desktop& desktop, MainForm& main)
    : Window(windows, desktop, {Controls(), kClientWidth, kClientHeight}), main_(main) {}

void DisclaimerForm::Show() {
  RegisterPictureBox();
  // A dialog frame without caption or system menu; a tool window stays out of the task bar.
  // No WS_CLIPCHILDREN: the frame is transparent and shows the window's background.
  CreateTopLevel(kDisclaimerClass, L"", WS_POPUP | WS_DLGFRAME,
                 WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT);
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetFocus(Control(kBanner));
}

bool DisclaimerForm::PreviewKey(const MSG& message) {
  HWND window = Handle();
  if (window == nullptr || (message.hwnd != window && !::IsChild(window, message.hwnd))) {
    return false;
  }
  bool escape = (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) ||
                (message.message == WM_CHAR && message.wParam == 27);
  if (escape) ::DestroyWindow(window);
  return escape;
}

void DisclaimerForm::OnCreated() {
  HWND version = Control(kVersionLabel);
  ::SetWindowTextW(version, platform::Widen("Version " + ProgramVersion()).c_str());
  // The label sizes itself to its new text, as it did to the placeholder.
  FitToText(version, WindowFonts().Get(FontStyle::Bold), false);
  banner_ = LoadJpegResource(VELTRIM_BANNER_JPEG);
  SetPicture(Control(kBanner), banner_.Get());
  ::SetWindowPos(Control(kDisclaimerFrame), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DisclaimerForm::OnCommand(int id) {
  if (id == kContinueButton) {
    // The main window opens first, so the program never passes through having none.
    main_.Show();
    ::DestroyWindow(Handle());
  } else if (id == kExitButton) {
    ::DestroyWindow(Handle());
  }
}

}  // namespace veltrim::shell
