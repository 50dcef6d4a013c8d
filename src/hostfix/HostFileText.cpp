#include "HostFileText.h"

#include <algorithm>

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

// Calls `each(blanks, start, end, named)` for every name of the line: where the blanks before it
// start, where it starts and ends, and whether it is the host or under it.
template <typename Each>
void ForEachName(std::string_view line, std::string_view host, Each each) {
  // A name of a dot alone would otherwise be taken for it.
  if (host.empty()) return;
  line = line.substr(0, line.find('#'));
  // The first field is the address; the names follow it.
  std::size_t start = line.find_first_not_of(kFieldSeparators);
  start = line.find_first_of(kFieldSeparators, start);
  for (;;) {
    const std::size_t blanks = start;
    start = line.find_first_not_of(kFieldSeparators, start);
    if (start == std::string_view::npos) return;
    const std::size_t end = std::min(line.find_first_of(kFieldSeparators, start), line.size());
    each(blanks, start, end, NameIsOrIsUnder(line.substr(start, end - start), host));
    start = end;
  }
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  // Counted first: a list of some hundred thousand lines would otherwise pass through
  // several ever larger copies of the vector.
  std::size_t ends = 0;
  for (char c : text) ends += c == '\r' || c == '\n';
  lines.reserve(ends + 1);
  // Each kind of line end is looked for only once it has been passed, at memchr's speed.
  std::size_t start = 0;
  std::size_t cr = text.find('\r');
  std::size_t lf = text.find('\n');
  while (start < text.size()) {
    if (cr < start) cr = text.find('\r', start);
    if (lf < start) lf = text.find('\n', start);
    const std::size_t end = std::min(cr, lf);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (end == cr && lf == end + 1 ? 2 : 1);
  }
  return lines;
}

bool IsUtf16(std::string_view bytes) {
  return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

std::size_t Utf8MarkLength(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

Naming NamesHost(std::string_view line, std::string_view host) {
  bool some = false;
  bool all = true;
  ForEachName(line, host, [&](std::size_t, std::size_t, std::size_t, bool named) {
    some = some || named;
    all = all && named;
  });
  return !some ? Naming::None : all ? Naming::All : Naming::Some;
}

void AppendOtherNames(std::string_view line, std::string_view host, std::string& out) {
  std::size_t kept = 0;
  ForEachName(line, host, [&](std::size_t blanks, std::size_t, std::size_t end, bool named) {
    if (!named) return;
    out.append(line, kept, blanks - kept);
    kept = end;
  });
  out.append(line, kept);
}

HostFinder::HostFinder(std::string_view host) : host_(host) {
  skip_.fill(host.size());
  for (std::size_t i = 0; i + 1 < host.size(); ++i) {
    const char lower = AsciiLower(host[i]);
    const char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 32) : lower;
    skip_[static_cast<unsigned char>(lower)] = host.size() - 1 - i;
    skip_[static_cast<unsigned char>(upper)] = host.size() - 1 - i;
  }
}

std::size_t HostFinder::Find(std::string_view text, std::size_t from) const {
  if (host_.empty()) return std::string_view::npos;
  for (std::size_t at = from; at + host_.size() <= text.size();
       at += skip_[static_cast<unsigned char>(text[at + host_.size() - 1])]) {
    if (EqualIgnoringCase(text.substr(at, host_.size()), host_)) return at;
  }
  return std::string_view::npos;
}

}  // namespace veltrim::hostfix
