// How the bytes of a host file divide into lines, and which names of a line are a host's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrim::hostfix {

// Ad-blocking hosts lists run to a few hundred thousand lines, a few tens of megabytes; a file
// beyond this is no hosts list, and reading it whole could exhaust the memory.
inline constexpr std::size_t kMaxHostFileBytes = std::size_t{64} << 20;

// Finds, in order, every byte of a text that is `a` or `b` once `fold` is or-ed into it: with a
// fold of 0x20, a letter in either case. Sixteen bytes are looked at together where the
// processor can: a blocking list has a line end every thirty bytes or so, too often for memchr
// to pay for its call.
class ByteScanner {
 public:
  ByteScanner(std::string_view text, char fold, char a, char b)
      : text_(text), fold_(fold), a_(a), b_(b) {}
  // Where the next such byte is; npos after the last.
  std::size_t Next();

 private:
  std::string_view text_;
  char fold_;
  char a_;
  char b_;
  std::size_t block_ = 0;  // where the bytes that `found_` stands for start
  std::size_t scanned_ = 0;
  unsigned found_ = 0;  // a bit for each byte found in the block and not yet passed
};

// Steps through the lines of a text, split at CR, CR LF or LF as the system's resolver splits
// them: the line ends are not part of the lines, and the last line may run to the end. The
// lines are views into the text; nothing is copied.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text), ends_(text, 0, '\r', '\n') {}
  // The next line; false after the last.
  bool Next(std::string_view& line);

 private:
  std::string_view text_;
  ByteScanner ends_;
  std::size_t start_ = 0;  // where the next line starts
};

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

// Appends the line without the names that NamesHost counts, each with the blanks before it:
// the same address, the other names and the comment, byte for byte.
void AppendOtherNames(std::string_view line, std::string_view host, std::string& out);

// Finds `host` in one text, ignoring ASCII letter case: a line that does not contain the host
// needs no closer look. It looks for the byte of the host that is rarest in host files, in
// either case, and compares the whole host only around it.
class HostFinder {
 public:
  HostFinder(std::string_view text, std::string_view host);
  // Where the host next occurs at or after `from`; npos when it does not. `from` never goes
  // back from one call to the next.
  std::size_t Find(std::size_t from);

 private:
  HostFinder(std::string_view text, std::string_view host, std::size_t rare);

  std::string_view text_;
  std::string_view host_;
  std::size_t rare_;  // where in the host its rarest byte is
  ByteScanner rareBytes_;
  std::size_t hit_;  // the rare byte that the scan has reached
};

}  // namespace veltrim::hostfix
