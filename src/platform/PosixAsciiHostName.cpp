#include <idn2.h>

#include <cstdlib>

#include "AsciiHostName.h"

namespace veltrim::platform {

std::optional<std::string> ToAsciiHostName(const std::string& utf8) {
  // Browsers' rules (UTS #46, non-transitional), which map capitals to small letters as the
  // Windows conversion does.
  char* ascii = nullptr;
  if (utf8.empty() ||
      idn2_to_ascii_8z(utf8.c_str(), &ascii, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL) != IDN2_OK) {
    return std::nullopt;
  }
  std::string result = ascii;
  idn2_free(ascii);
  return result;
}

}  // namespace veltrim::platform
