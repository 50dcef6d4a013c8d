#include "HostFileText.h"

#include "AsciiText.h"

namespace veltrim::hostfix {

namespace {

constexpr std::string_view kFieldSeparators = " \t";

bool NameIsOrIsUnder(std::string_view name, std::string_view host) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (EqualIgnoringCase(name, host)) return true;
  const bool oneLabel = host.find('.') == std::string_view::npos;
  // At least one letter before the dot: ".example.com" is no name at all.
  return !oneLabel && name.size() > host.size() + 1 && name[name.size() - host.size() - 1] == '.' &&
         EqualIgnoringCase(name.substr(name.size() - host.size()), host);
}

}  // namespace

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

bool NamesHost(std::string_view line, std::string_view host) {
  // A name of a dot alone would otherwise be taken for it.
  if (host.empty()) return false;
  line = line.substr(0, line.find('#'));
  // The first field is the address; the names follow it.
  std::size_t start = line.find_first_not_of(kFieldSeparators);
  start = line.find_first_of(kFieldSeparators, start);
  for (;;) {
    start = line.find_first_not_of(kFieldSeparators, start);
    if (start == std::string_view::npos) return false;
    const std::size_t end = line.find_first_of(kFieldSeparators, start);
    if (NameIsOrIsUnder(line.substr(start, end - start), host)) return true;
    start = end;
  }
}

}  // namespace veltrim::hostfix
