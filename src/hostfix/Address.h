// What the typed text of the address box means: the page to open and the host name whose lines
// the host files may hold. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltrim::hostfix {

// The box opens with this text, the caret after it.
inline constexpr char kAddressPrefill[] = "http://";

// The address to open, as the user meant it: without the blanks and line breaks around it, and
// without the box's own "http://" when an address with a scheme of its own was pasted after
// it. Otherwise exactly as typed, in any alphabet.
std::string AddressForBrowser(std::string_view typed);

// The page as it is handed to the desktop shell, which opens it in the user's browser.
struct Page {
  // "http://" or "https://", the host, an optional port and the rest of what was typed, with
  // every byte that a URL may not hold as it is percent-encoded: ASCII alone, without blanks,
  // quotes or control characters, so that the shell cannot take it for a program or a file, nor
  // the browser for more than one argument.
  std::string url;
  // The host name that the browser looks up for it, in its ASCII form.
  std::string host;
};

// The page to open for a typed address, or nothing when no web address can be made of it: a
// scheme other than http or https, a port that is not a number, a host name with a character
// that no host name holds.
std::optional<Page> PageToOpen(std::string_view typed);

// Reduces a typed address to the host name that the host files are searched for, in its ASCII
// ("xn--") form: no scheme, user, port, path, query or fragment, no trailing dot, and no
// leading "www.". The empty text when the address names no host, or names it by an IP address,
// which no host file line can be at fault for. `Address` is reduced in place and also
// returned.
std::string ExtractDomain(std::string& Address);

}  // namespace veltrim::hostfix
