// How the bytes of a host file divide into lines, and which names of a line are a host's.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "IpAddress.h"

namespace veltrim::hostfix {

// Ad-blocking hosts lists run to a few hundred thousand lines, a few tens of megabytes; a file
// beyond this is no hosts list, and reading it whole could exhaust the memory.
inline constexpr std::size_t kMaxHostFileBytes = std::size_t{64} << 20;

// Takes the first line off `text`, with its line end: lines end at CR, CR LF or LF, as the
// system's resolver splits them, and the last one may run to the end. A view; nothing is copied.
std::string_view TakeLine(std::string_view& text);

// A file that starts with a UTF-16 byte-order mark; its bytes are not single-byte lines.
bool IsUtf16(std::string_view bytes);

// 3 when the text starts with the UTF-8 byte-order mark, otherwise 0. The mark belongs to the
// file, not to its first line: it stays in front of any "#".
std::size_t Utf8MarkLength(std::string_view text);

// Calls `each` with every name of a line of a hosts or lmhosts file, as written: the fields after
// the address and before any "#" comment.
void ForEachNameOf(std::string_view line, const std::function<void(std::string_view)>& each);

// A name of a line as names are compared: in lower case, without a trailing dot.
std::string ComparedName(std::string_view name);

enum class Naming { None, Some, All };

// Which names of a line a repair takes: a host and every name under it ("sub.example.com" for
// example.com), as the page's own names are repaired; or exactly some names and none under
// them, the hosts that a page needs. Compared ignoring letter case and a trailing dot.
class NameRule {
 public:
  // The host (ASCII) and the names under it; under a host of one label (a top-level name,
  // "localhost") only the host itself. An empty host takes nothing.
  NameRule(std::string_view host) : host_(host) {}    // NOLINT: a host is the usual rule
  NameRule(const std::string& host) : host_(host) {}  // NOLINT
  // Exactly `names` (ASCII, lower case, without a trailing dot).
  static NameRule Exactly(const std::vector<std::string>& names);
  bool Takes(std::string_view name) const;
  bool TakesNothing() const { return host_.empty() && names_.empty(); }

 private:
  std::string host_;
  std::unordered_set<std::string> names_;
};

// How many of the names of a line of a hosts or lmhosts file are `host` (ASCII) or a name
// under it ("sub.example.com" for example.com): the names are the fields after the address and
// before any "#" comment, compared ignoring letter case and a trailing dot. Under a host of one
// label (a top-level name, "localhost") only the host itself counts. A comment line names
// nothing.
Naming NamesHost(std::string_view line, const NameRule& rule);

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

// The first address of `answer` where every one of them blocks, as a blocking list answers for
// a name it keeps away; nothing where it has none, or any address that leads somewhere.
std::optional<platform::IpAddress> BlockingAnswer(const std::vector<platform::IpAddress>& answer);

// Adds each of `more` to `names`, or its addresses to the entry of the same name, each once; in
// one pass, however many names a list holds under one host.
void AddRepaired(std::vector<RepairedName>& names, const std::vector<RepairedName>& more);

// The names that NamesHost counts on the lines of `text`, in the order of the lines, with the
// addresses (first fields) that those lines gave them: none when no line names `host`.
std::vector<RepairedName> NamesRepaired(std::string_view text, const NameRule& rule);

// Appends the line without the names that NamesHost counts, each with the blanks before it:
// the same address, the other names and the comment, byte for byte.
void AppendOtherNames(std::string_view line, const NameRule& rule, std::string& out);

}  // namespace veltrim::hostfix
