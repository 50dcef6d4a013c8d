#include "HostFileText.h"

namespace veltrim::hostfix {

std::vector<std::string_view> SplitLines(std::string_view text, std::size_t limit) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size() && lines.size() <= limit; ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size() && lines.size() <= limit) lines.push_back(text.substr(start));
  return lines;
}

bool IsUtf16(std::string_view bytes) {
  return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

std::size_t Utf8MarkLength(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

}  // namespace veltrim::hostfix
