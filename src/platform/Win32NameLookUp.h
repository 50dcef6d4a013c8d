// Host names looked up through the system's resolver (the DNS Client service), as a browser
// looks them up, on a thread of their own.
#pragma once

#include <memory>
#include <string>

#include "Desktop.h"

namespace veltrim::platform {

std::unique_ptr<NameLookUp> StartWin32LookUp(const std::string& host);

}  // namespace veltrim::platform
