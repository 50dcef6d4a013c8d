// Identifiers of the program's resources, read by the resource compiler and the code alike, and
// of its windows and controls, which the UI driver finds them by.
#pragma once

#define VELTRIM_ICON 1
#define VELTRIM_BANNER_JPEG 10

#ifndef RC_INVOKED

namespace veltrim::shell {

// The disclaimer screen; 1 and 2 are IDOK and IDCANCEL, which the dialog manager sends itself.
enum DisclaimerControl : int {
  kDisclaimerFrame = 100,
  kVersionLabel,
  kBanner,
  kWarningTitle,
  kDisclaimerText,
  kAgreePrompt,
  kProductName,
  kContinueButton,
  kExitButton,
  kAcceleratorsNotice,
};

// The main window. Cancel is the window's cancel button, so it has IDCANCEL.
enum MainControl : int {
  kWebAddress = 200,
  kWebLabel,
  kCancel = 2,
  kFixItButton = 203,
  kProgress,
  kProgressItem,
};

inline constexpr wchar_t kDisclaimerClass[] = L"VeltrimDisclaimer";
inline constexpr wchar_t kMainClass[] = L"VeltrimMain";

}  // namespace veltrim::shell

#endif
