// What the typed text of the address box means: the page to open and the host name whose lines
// the host files may hold. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltrim::hostfix {

// The box opens with this text, the caret after it.
inline constexpr char kAddressPrefill[] = "http://";

// What the fix needs of the typed address, read once.
struct PageAddress {
  // The address as the user meant it, for the messages: without the blanks and line breaks
  // around it, and without the box's own "http://" when an address with a scheme of its own
  // was pasted after it; otherwise exactly as typed, in any alphabet.
  std::string asTyped;
  // As it is handed to the desktop shell, which opens it in the user's browser: "http://" or
  // "https://", the host, an optional port and the rest of what was typed, with every byte that
  // a URL may not hold as it is percent-encoded. ASCII alone, without blanks, quotes or control
  // characters, so that the shell cannot take it for a program or a file, nor the browser for
  // more than one argument.
  std::string url;
  // The name that the browser looks up for it, in its ASCII form, without a trailing dot.
  std::string host;
  // The name whose lines the host files are searched for: the host without a leading "www.",
  // so that the page's other names are repaired too.
  std::string Domain;
};

// The typed address read, or nothing when it is no web page's address on another computer: a
// scheme other than http or https, a port that is not a number, no host name, a host name
// with a character that no host name holds, an IP address (which no host file line can be at
// fault for; a repair would comment out every line that maps it, localhost's included), or
// "localhost" and the names under it, which Windows answers itself whatever the files say.
std::optional<PageAddress> ReadAddress(std::string_view typed);

// A name that the resolver can be asked for: labels of 1 to 63 letters, digits, "-" or "_",
// separated by dots, 253 characters at most, no trailing dot.
bool IsDnsName(std::string_view name);

// The length of the scheme's name that `text` starts with ("https" of "https://x"): a letter,
// then letters, digits, "+", "-" or ".", up to a ":"; 0 where it starts with none.
std::size_t SchemeNameLength(std::string_view text);

// Where a redirect from `from` (a PageAddress's url) with the Location header `location` sends
// the browser, as a text for ReadAddress, which checks it as it checks a typed address: an
// absolute http or https address, one without a scheme ("//host/x"), or a path on the same
// site. Nothing for another scheme, or a Location with a blank or control character.
std::optional<std::string> RedirectTarget(std::string_view from, std::string_view location);

// Reduces a typed address to the host name that the host files are searched for: the Domain
// that ReadAddress gives, or the empty text where it gives nothing. `Address` is reduced in
// place and also returned.
std::string ExtractDomain(std::string& Address);

}  // namespace veltrim::hostfix
