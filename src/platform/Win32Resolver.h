// The system's resolver and the network's name servers on Win32, each look-up on a thread of its
// own.
#pragma once

#include "NameResolver.h"
#include "Win32NameLookUp.h"
#include "Win32NetworkQuery.h"

namespace veltrim::platform {

class Win32Resolver final : public NameResolver {
 public:
  std::unique_ptr<NameLookUp> StartLookUp(const std::string& host) override {
    return StartWin32LookUp(host);
  }
  std::unique_ptr<NameLookUp> StartNetworkQuery(const std::string& host) override {
    return StartWin32NetworkQuery(host);
  }
};

}  // namespace veltrim::platform
