// How the bytes of a host file divide into lines, and which names of a line are a host's.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace veltrim::hostfix {

// Ad-blocking hosts lists run to a few hundred thousand lines, a few tens of megabytes; a file
// beyond this is no hosts list, and reading it whole could exhaust the memory.
inline constexpr std::size_t kMaxHostFileBytes = 64 * 1024 * 1024;

// Splits at CR, CR LF or LF, as the system's resolver does; the line ends are not part of the
// lines and the last line may run to the end. The lines are views into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

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

// Finds `host` in a text, ignoring ASCII letter case, skipping ahead as far as each byte
// allows: a line that does not contain the host needs no closer look.
class HostFinder {
 public:
  explicit HostFinder(std::string_view host);
  // Where the host next occurs at or after `from`; npos when it does not.
  std::size_t Find(std::string_view text, std::size_t from) const;

 private:
  std::string_view host_;
  std::array<std::size_t, 256> skip_;
};

}  // namespace veltrim::hostfix
