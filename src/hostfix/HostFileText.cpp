#include "HostFileText.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

std::size_t ByteScanner::Next() {
  for (;;) {
    if (found_ != 0) {
      const std::size_t at = block_ + static_cast<std::size_t>(__builtin_ctz(found_));
      found_ &= found_ - 1;
      return at;
    }
    if (scanned_ >= text_.size()) return std::string_view::npos;
    block_ = scanned_;
#if defined(__SSE2__)
    if (block_ + 16 <= text_.size()) {
      const __m128i bytes = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(&text_[block_])), _mm_set1_epi8(fold_));
      found_ = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
          _mm_cmpeq_epi8(bytes, _mm_set1_epi8(a_)), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(b_)))));
      scanned_ = block_ + 16;
      continue;
    }
#endif
    const char byte = static_cast<char>(text_[block_] | fold_);
    found_ = byte == a_ || byte == b_ ? 1 : 0;
    scanned_ = block_ + 1;
  }
}

bool LineCursor::Next(std::string_view& line) {
  while (start_ < text_.size()) {
    const std::size_t end = ends_.Next();
    if (end == std::string_view::npos) {
      line = text_.substr(start_);
      start_ = text_.size();
      return true;
    }
    if (end < start_) continue;  // the LF of a CR LF
    line = text_.substr(start_, end - start_);
    start_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    return true;
  }
  return false;
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

namespace {

// The bytes of host names from the commonest in host files to the rarest, roughly: every line
// has an address of digits and dots, and the names are mostly English letters. A byte that is
// not here is rarer still.
constexpr std::string_view kCommonFirst = ".0etaoinsrcldmuphgbfkwyv12x3j4z5q6789-";

std::size_t Commonness(char byte) {
  return std::min(kCommonFirst.find(AsciiLower(byte)), kCommonFirst.size());
}

std::size_t RarestByte(std::string_view host) {
  std::size_t rarest = 0;
  for (std::size_t i = 1; i < host.size(); ++i) {
    if (Commonness(host[i]) > Commonness(host[rarest])) rarest = i;
  }
  return rarest;
}

// Or-ed into every byte, 0x20 makes a letter of either case the lower-case one; the few other
// bytes that it makes equal to the rare one are told apart by the comparison of the host.
constexpr char kCaseFold = 0x20;

}  // namespace

HostFinder::HostFinder(std::string_view text, std::string_view host)
    : HostFinder(text, host, RarestByte(host)) {}

HostFinder::HostFinder(std::string_view text, std::string_view host, std::size_t rare)
    : text_(text),
      host_(host),
      rare_(rare),
      rareBytes_(text, kCaseFold,
                 host.empty() ? kCaseFold : static_cast<char>(host[rare] | kCaseFold),
                 host.empty() ? kCaseFold : static_cast<char>(host[rare] | kCaseFold)),
      hit_(rareBytes_.Next()) {}

std::size_t HostFinder::Find(std::size_t from) {
  if (host_.empty()) return std::string_view::npos;
  for (;; hit_ = rareBytes_.Next()) {
    if (hit_ == std::string_view::npos) return hit_;
    if (hit_ < from + rare_) continue;
    const std::size_t start = hit_ - rare_;
    if (EqualIgnoringCase(text_.substr(start, host_.size()), host_)) return start;
  }
}

}  // namespace veltrim::hostfix
