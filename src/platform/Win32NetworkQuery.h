// Host names asked of the network's name servers directly (DnsQuery), past the resolver's
// cache and the host files, on a thread of their own.
#pragma once

#include <memory>
#include <string>

#include "NameResolver.h"

namespace veltrim::platform {

std::unique_ptr<NameLookUp> StartWin32NetworkQuery(const std::string& host);

}  // namespace veltrim::platform
