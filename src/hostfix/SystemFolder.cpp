#include "SystemFolder.h"

namespace veltrim::hostfix {

std::string GetSystemFolder(platform::Desktop& desktop) { return desktop.SystemFolder(); }

}  // namespace veltrim::hostfix
