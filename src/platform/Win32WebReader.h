// A page read through WinHTTP, the system's own HTTP stack, on a thread of its own. winhttp.dll
// is no KnownDLL, so it is loaded from the system folder at run time rather than imported.
#pragma once

#include <string>

#include "WebReader.h"

namespace veltrim::platform {

class Win32WebReader final : public WebReader {
 public:
  // `userAgent` names the program to the server, as "Veltrim/1.0.0".
  explicit Win32WebReader(const std::string& userAgent = "Veltrim");
  std::unique_ptr<WebFetch> StartFetch(const std::string& url, std::size_t maxBodyBytes,
                                       std::uint64_t boundMs) override;

 private:
  std::wstring userAgent_;
};

}  // namespace veltrim::platform
