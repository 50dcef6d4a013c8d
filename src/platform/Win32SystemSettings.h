// The system's settings on Win32, through the W functions.
#pragma once

#include "SystemSettings.h"

namespace veltrim::platform {

class Win32SystemSettings final : public SystemSettings {
 public:
  std::string SystemFolder() override;
  ConfiguredFolder ConfiguredHostFilesFolder() override;
  bool IsLocalFolder(const std::string& path) override;
};

}  // namespace veltrim::platform
