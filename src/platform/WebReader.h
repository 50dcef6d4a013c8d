// One page read from the web, as the system's own HTTP stack reads it: its proxy settings and
// its certificate store, redirects left to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace veltrim::platform {

// What one request came to.
enum class FetchOutcome {
  Response,          // the server answered, whatever its status
  CertificateError,  // the server's certificate is not one the system trusts for the name
  CannotConnect,     // the name did not resolve, or no connection could be made or kept
  TimedOut,          // no answer within the bound
  Failed,            // anything else, a URL that is not http or https among it
};

struct FetchAnswer {
  FetchOutcome outcome = FetchOutcome::Failed;
  std::uint32_t error = 0;  // the system's error number, where there is one
  unsigned status = 0;      // the HTTP status of a Response
  std::string location;     // its Location header, for a redirect (UTF-8; ASCII as sent)
  std::string contentType;  // its Content-Type header
  std::string body;         // at most the bound given, the rest unread
};

// A request that runs on its own; one that never comes back is abandoned with the object.
class WebFetch {
 public:
  virtual ~WebFetch() = default;
  // Nothing while it runs; then its answer, the same every time it is asked.
  virtual std::optional<FetchAnswer> Answer() = 0;
  // Whether its thread has yet to come back, even past its bound.
  virtual bool StillOut() = 0;
};

class WebReader {
 public:
  virtual ~WebReader() = default;
  // Starts one GET of `url` (http or https, ASCII, built by the caller from checked parts) and
  // returns at once. It answers TimedOut when no whole answer comes within `boundMs`.
  virtual std::unique_ptr<WebFetch> StartFetch(const std::string& url, std::size_t maxBodyBytes,
                                               std::uint64_t boundMs) = 0;
};

}  // namespace veltrim::platform
