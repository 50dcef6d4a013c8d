// What the system is set to: its folder, and where its resolver reads the host files from.
// Texts are UTF-8.
#pragma once

#include <string>

namespace veltrim::platform {

struct ConfiguredFolder {
  // As the system holds it.
  std::string value;
  // Expanded from the system's own values; empty where the value names a variable of the
  // environment, which this program cannot tell for the system.
  std::string folder;
};

// Every operation that fails throws SystemError.
class SystemSettings {
 public:
  virtual ~SystemSettings() = default;
  // The system folder without a trailing backslash, however long, or the empty text when the
  // system cannot tell it.
  virtual std::string SystemFolder() = 0;
  // The folder that the system's resolver is set to read the host files from (on Windows the
  // registry's DataBasePath): nothing where it names none.
  virtual ConfiguredFolder ConfiguredHostFilesFolder() = 0;
  // True for an existing folder on a drive of this computer.
  virtual bool IsLocalFolder(const std::string& path) = 0;
};

}  // namespace veltrim::platform
