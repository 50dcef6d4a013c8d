#include "Win32SystemSettings.h"

#include <windows.h>

#include "AskForText.h"
#include "SystemVariables.h"
#include "Win32Text.h"

namespace veltrim::platform {

std::string Win32SystemSettings::SystemFolder() {
  return Narrow(AskForText<wchar_t>(
      [](wchar_t* buffer, unsigned capacity) { return ::GetSystemDirectoryW(buffer, capacity); }));
}

ConfiguredFolder Win32SystemSettings::ConfiguredHostFilesFolder() {
  const wchar_t* const key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  const std::wstring configured = AskForText<wchar_t>([&](wchar_t* buffer, unsigned capacity) {
    DWORD bytes = capacity * sizeof(wchar_t);
    const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath",
                                          RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                          nullptr, buffer, &bytes);
    if (status == ERROR_MORE_DATA) return static_cast<unsigned>(bytes / sizeof(wchar_t));
    // The count without the terminating zero that the value holds.
    return status == ERROR_SUCCESS && bytes >= sizeof(wchar_t)
               ? static_cast<unsigned>(bytes / sizeof(wchar_t) - 1)
               : 0u;
  });
  const std::wstring windows = AskForText<wchar_t>([](wchar_t* buffer, unsigned capacity) {
    return ::GetSystemWindowsDirectoryW(buffer, capacity);
  });
  const std::string value = Narrow(configured);
  return {value, ExpandSystemVariables(value, Narrow(windows))};
}

bool Win32SystemSettings::IsLocalFolder(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  const std::wstring root = wide.substr(0, 3);  // "C:\"
  const UINT type = ::GetDriveTypeW(root.c_str());
  return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

}  // namespace veltrim::platform
