// Control and resource identifiers, shared with the UI test driver.
#pragma once

namespace veltrim::shell {

// The splash screen; 1 and 2 are IDOK and IDCANCEL, which the dialog manager sends itself.
enum SplashControl : int {
  kFrame1 = 100,
  kLblVersion,
  kPicture1,
  kLabel1,
  kLabel2,
  kLabel3,
  kLabel4,
  kCommand1,
  kCommand2,
  kLabel5,
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

inline constexpr int kAppIcon = 1;
inline constexpr int kBannerPicture = 10;

inline constexpr wchar_t kSplashClass[] = L"VeltrimSplash";
inline constexpr wchar_t kMainClass[] = L"VeltrimMain";

}  // namespace veltrim::shell
