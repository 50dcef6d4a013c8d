#include "SystemFolder.h"

#include <stdexcept>

#include "AsciiText.h"
#include "FixMessages.h"

namespace veltrim::hostfix {

namespace {

// "C:\..." and nothing else: not a share ("\\server\..."), not a path relative to the current
// folder or drive, which would depend on where the program was started.
bool IsAbsoluteDrivePath(const std::string& path) {
  const char drive = AsciiLower(path.empty() ? '\0' : path[0]);
  return drive >= 'a' && drive <= 'z' && path.compare(1, 2, ":\\") == 0;
}

}  // namespace

std::string GetSystemFolder(platform::SystemSettings& settings) { return settings.SystemFolder(); }

std::string HostFilesFolder(platform::SystemSettings& settings, const std::string& systemFolder) {
  const platform::ConfiguredFolder configured = settings.ConfiguredHostFilesFolder();
  if (configured.value.empty()) return systemFolder + "\\drivers\\etc";
  // A program that takes over name resolution may point the resolver at a folder of its own;
  // the repair goes where the resolver looks.
  std::string folder = configured.folder;
  if (!IsAbsoluteDrivePath(folder) || !settings.IsLocalFolder(folder)) {
    throw std::runtime_error(HostFilesFolderUnknown(configured.value));
  }
  while (folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace veltrim::hostfix
