// How the bytes of a host file divide into lines.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace veltrim::hostfix {

// Splits at CR, CR LF or LF, as the system's resolver does; the line ends are not part of the
// lines and the last line may run to the end. Stops after `limit` lines, so a result longer
// than `limit` means the text has more.
std::vector<std::string_view> SplitLines(std::string_view text, std::size_t limit);

// A file that starts with a UTF-16 byte-order mark; its bytes are not single-byte lines.
bool IsUtf16(std::string_view bytes);

// 3 when the text starts with the UTF-8 byte-order mark, otherwise 0. The mark belongs to the
// file, not to its first line: it stays in front of any "#".
std::size_t Utf8MarkLength(std::string_view text);

// Whether a line of a hosts or lmhosts file names `host` (ASCII): one of its names, after the
// address and before any "#" comment, is the host or a name under it ("sub.example.com" for
// example.com), ignoring letter case and a trailing dot. Under a host of one label (a top-level
// name, "localhost") only the host itself counts. A comment line names nothing.
bool NamesHost(std::string_view line, std::string_view host);

}  // namespace veltrim::hostfix
