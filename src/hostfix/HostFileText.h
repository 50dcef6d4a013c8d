// How the bytes of a host file divide into lines, and which names of a line are a host's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "IpAddress.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace veltrim::hostfix {

// Ad-blocking hosts lists run to a few hundred thousand lines, a few tens of megabytes; a file
// beyond this is no hosts list, and reading it whole could exhaust the memory.
inline constexpr std::size_t kMaxHostFileBytes = std::size_t{64} << 20;

// Steps through the lines of a text, split at CR, CR LF or LF as the system's resolver splits
// them: the line ends are not part of the lines, and the last line may run to the end. The
// lines are views into the text; nothing is copied. On the way it notes which lines hold a
// given byte, in either letter case, so that only those need a closer look.
class LineCursor {
 public:
  LineCursor(std::string_view text, char marker);
  // The next line, and whether it holds the marker; false after the last.
  bool Next(std::string_view& line, bool& marked);

 private:
  // Where the next CR or LF is, npos after the last; notes a marker passed on the way.
  std::size_t NextEnd();

  std::string_view text_;
  char lower_;
  char upper_;
  std::size_t start_ = 0;  // where the next line starts
  std::size_t block_ = 0;  // where the bytes that the bits below stand for start
  std::size_t scanned_ = 0;
  std::uint32_t ends_ = 0;     // a bit for each line end in the block not yet passed
  std::uint32_t markers_ = 0;  // and for each marker
  bool marked_ = false;
};

// The byte of a host name that is rarest in host files, in lower case: the marker to look for.
char RarestByte(std::string_view host);

// A file that starts with a UTF-16 byte-order mark; its bytes are not single-byte lines.
bool IsUtf16(std::string_view bytes);

// 3 when the text starts with the UTF-8 byte-order mark, otherwise 0. The mark belongs to the
// file, not to its first line: it stays in front of any "#".
std::size_t Utf8MarkLength(std::string_view text);

enum class Naming { None, Some, All };

// How many of the names of a line of a hosts or lmhosts file are `host` (ASCII) or a name
// under it ("sub.example.com" for example.com): the names are the fields after the address and
// before any "#" comment, compared ignoring letter case and a trailing dot. Under a host of one
// label (a top-level name, "localhost") only the host itself counts. A comment line names
// nothing.
Naming NamesHost(std::string_view line, std::string_view host);

// A name that lines of host files gave addresses to, which the resolver may still answer with.
struct RepairedName {
  std::string name;  // in lower case, without a trailing dot
  // The addresses that its lines gave it, each once; a first field that is no address gives
  // none.
  std::vector<platform::IpAddress> addresses;
};

// An address that blocking lists, and name servers that block, give a name so that it leads
// nowhere: 0.0.0.0, ::, 127.0.0.0/8 and ::1.
bool IsBlockingAddress(const platform::IpAddress& address);

// Adds `name` to `names`, or its addresses to the entry of the same name, each once.
void AddRepaired(std::vector<RepairedName>& names, const RepairedName& name);

// The names that NamesHost counts on the lines of `text`, in the order of the lines, with the
// addresses (first fields) that those lines gave them: none when no line names `host`. Only the
// lines that hold the host's rarest byte are looked at, and they are found at memchr's speed.
std::vector<RepairedName> NamesRepaired(std::string_view text, std::string_view host);

// Appends the line without the names that NamesHost counts, each with the blanks before it:
// the same address, the other names and the comment, byte for byte.
void AppendOtherNames(std::string_view line, std::string_view host, std::string& out);

// Inline: they run once for every line of a list of hundreds of thousands. Thirty-two bytes
// are looked at together where the processor can: a blocking list has a line end every thirty
// bytes or so, too often for memchr to pay for its call.
inline std::size_t LineCursor::NextEnd() {
  for (;;) {
    if (ends_ != 0) {
      const std::uint32_t end = ends_ & ~(ends_ - 1);
      ends_ ^= end;
      // A marker before this end is in the line that ends here.
      marked_ = marked_ || (markers_ & (end - 1)) != 0;
      markers_ &= ~(end - 1);
      return block_ + static_cast<std::size_t>(__builtin_ctz(end));
    }
    // The line goes on past the block.
    marked_ = marked_ || markers_ != 0;
    markers_ = 0;
    if (scanned_ >= text_.size()) return std::string_view::npos;
    block_ = scanned_;
#if defined(__SSE2__)
    if (block_ + 32 <= text_.size()) {
      const auto either = [&](std::size_t at, char a, char b) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&text_[at]));
        return static_cast<std::uint32_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_cmpeq_epi8(bytes, _mm_set1_epi8(a)), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(b))))));
      };
      ends_ = either(block_, '\r', '\n') | either(block_ + 16, '\r', '\n') << 16;
      markers_ = either(block_, lower_, upper_) | either(block_ + 16, lower_, upper_) << 16;
      scanned_ = block_ + 32;
      continue;
    }
#endif
    const char byte = text_[block_];
    ends_ = byte == '\r' || byte == '\n' ? 1 : 0;
    markers_ = byte == lower_ || byte == upper_ ? 1 : 0;
    scanned_ = block_ + 1;
  }
}

inline bool LineCursor::Next(std::string_view& line, bool& marked) {
  marked_ = false;
  while (start_ < text_.size()) {
    const std::size_t end = NextEnd();
    if (end == std::string_view::npos) {
      line = text_.substr(start_);
      start_ = text_.size();
    } else if (end < start_) {
      continue;  // the LF of a CR LF
    } else {
      line = text_.substr(start_, end - start_);
      start_ =
          end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    }
    marked = marked_;
    return true;
  }
  return false;
}

}  // namespace veltrim::hostfix
