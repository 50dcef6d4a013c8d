#include "Address.h"

#include <optional>

#include "AsciiHostName.h"
#include "AsciiText.h"

namespace veltrim::hostfix {

std::size_t SchemeNameLength(std::string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return 0;
  const std::size_t end =
      std::min(text.find_first_not_of(
                   "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.", 1),
               text.size());
  return end < text.size() && text[end] == ':' ? end : 0;
}

namespace {

// The length of a leading scheme with what separates it from the host ("https://"), or 0. A
// scheme is a letter followed by letters, digits, "+", "-" or ".", then ":". As browsers read
// them, http and https are followed by any number of "/" and "\\" (none too:
// "https:example.com"), another scheme by at least one; anything else after a name and ":" is a
// port ("example.com:80") or a user's password ("user:pass@example.com").
std::size_t SchemeLength(std::string_view text) {
  const std::size_t end = SchemeNameLength(text);
  if (end == 0) return 0;
  const std::string_view scheme = text.substr(0, end);
  const std::size_t slashes = text.find_first_not_of("/\\", end + 1);
  const std::size_t length = slashes == std::string_view::npos ? text.size() : slashes;
  const bool special = EqualIgnoringCase(scheme, "http") || EqualIgnoringCase(scheme, "https");
  return special || length > end + 1 ? length : 0;
}

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\f\v";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A browser reads a host whose last label is a number (decimal, or hexadecimal after "0x") as
// an IPv4 address: "10.0.0.1", but also "127.1" or "0x7f000001".
bool IsIpv4Address(std::string_view host) {
  std::string_view label = host.substr(host.rfind('.') + 1);
  if (StartsWithIgnoringCase(label, "0x")) {
    label.remove_prefix(2);
    return label.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  }
  return !label.empty() && label.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A path, query and fragment in which every byte that a URL may not hold as it is, and every
// "%" that starts no escape, is percent-encoded. A backslash in the path is a slash, as
// browsers read it.
std::string Encoded(std::string_view rest) {
  constexpr std::string_view kKept = "-._~!$&'()*+,;=:@/?";
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  bool query = false;
  bool fragment = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    query = query || c == '?';
    if (c == '\\' && !query && !fragment) c = '/';
    const bool escape =
        c == '%' && i + 2 < rest.size() && IsHexDigit(rest[i + 1]) && IsHexDigit(rest[i + 2]);
    if (IsAsciiLetter(c) || IsAsciiDigit(c) || kKept.find(c) != std::string_view::npos || escape ||
        (c == '#' && !fragment)) {
      fragment = fragment || c == '#';
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

// The address as the user meant it: without the blanks and line breaks around it, and without
// the box's own "http://" in front of a pasted address with a scheme of its own.
std::string_view AsTyped(std::string_view typed) {
  std::string_view address = Trimmed(typed);
  const std::size_t prefill = std::string_view(kAddressPrefill).size();
  if (address.substr(0, prefill) == kAddressPrefill && SchemeLength(address.substr(prefill)) > 0) {
    address.remove_prefix(prefill);
  }
  return address;
}

bool IsLocalhost(std::string_view host) {
  constexpr std::string_view kLocalhost = "localhost";
  return EqualIgnoringCase(host, kLocalhost) ||
         (host.size() > kLocalhost.size() &&
          EqualIgnoringCase(host.substr(host.size() - kLocalhost.size() - 1), ".localhost"));
}

}  // namespace

bool IsDnsName(std::string_view name) {
  if (name.empty() || name.size() > 253) return false;
  std::size_t label = 0;
  for (const char c : name) {
    if (c == '.') {
      if (label == 0) return false;
      label = 0;
    } else if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_') {
      if (++label > 63) return false;
    } else {
      return false;
    }
  }
  return label > 0;
}

std::optional<PageAddress> ReadAddress(std::string_view typed) {
  PageAddress page;
  page.asTyped = AsTyped(typed);
  std::string_view rest = page.asTyped;
  page.url = "http://";
  if (const std::size_t schemeLength = SchemeLength(rest); schemeLength > 0) {
    const std::string_view scheme = rest.substr(0, rest.find(':'));
    if (EqualIgnoringCase(scheme, "https")) {
      page.url = "https://";
    } else if (!EqualIgnoringCase(scheme, "http")) {
      return std::nullopt;
    }
    rest.remove_prefix(schemeLength);
  }
  std::string_view authority = rest.substr(0, rest.find_first_of("/\\?#"));
  rest.remove_prefix(authority.size());
  authority.remove_prefix(authority.rfind('@') + 1);  // a user and password are not handed on
  const std::size_t colon = authority.find(':');
  const std::string_view name = authority.substr(0, colon);
  const std::string_view port =
      colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos ||
      (!port.empty() && std::stoul(std::string(port)) > 65535)) {
    return std::nullopt;
  }
  const std::optional<std::string> ascii =
      IsAscii(name) ? std::string(name) : platform::ToAsciiHostName(std::string(name));
  // Anything else could end the host in the URL.
  if (!ascii || ascii->empty() ||
      !IsDnsName(ascii->substr(0, ascii->size() - (ascii->back() == '.')))) {
    return std::nullopt;
  }
  page.url += *ascii;
  if (!port.empty()) page.url += ":" + std::string(port);
  // A path always, as browsers write it: a "?" or "#" straight after the host would leave a
  // later parser to tell where the host ends.
  if (!rest.empty() && (rest[0] == '?' || rest[0] == '#')) page.url += '/';
  page.url += Encoded(rest);

  std::string_view host = *ascii;
  if (host.back() == '.') host.remove_suffix(1);
  if (IsIpv4Address(host) || IsLocalhost(host)) return std::nullopt;
  page.host = host;
  // "www.com" is not reduced to a top-level name.
  if (StartsWithIgnoringCase(host, "www.") && host.find('.', 4) != std::string_view::npos) {
    host.remove_prefix(4);
  }
  page.Domain = host;
  return page;
}

std::optional<std::string> RedirectTarget(std::string_view from, std::string_view location) {
  location = Trimmed(location);
  for (const char c : location) {
    if (static_cast<unsigned char>(c) <= ' ') return std::nullopt;
  }
  // Any scheme, as a browser reads a Location: only http and https are followed.
  if (const std::size_t colon = SchemeNameLength(location); colon > 0) {
    const std::string_view name = location.substr(0, colon);
    if (!EqualIgnoringCase(name, "http") && !EqualIgnoringCase(name, "https")) return std::nullopt;
    return std::string(location);
  }
  const std::size_t hostStart = from.find("://") + 3;
  const std::size_t pathStart = std::min(from.find('/', hostStart), from.size());
  const auto slash = [](char c) { return c == '/' || c == '\\'; };
  if (location.size() >= 2 && slash(location[0]) && slash(location[1])) {
    return std::string(from.substr(0, hostStart - 2)) + std::string(location);
  }
  if (!location.empty() && slash(location[0])) {
    return std::string(from.substr(0, pathStart)) + std::string(location);
  }
  // Beside the current path: "b" from "/a/x" is "/a/b"; a query or fragment keeps the path.
  std::string_view path = from.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  if (!location.empty() && (location[0] == '?' || location[0] == '#')) {
    return std::string(from.substr(0, pathStart)) + std::string(path) + std::string(location);
  }
  const std::size_t lastSlash = path.rfind('/');
  const std::string_view folder =
      lastSlash == std::string_view::npos ? "/" : path.substr(0, lastSlash + 1);
  return std::string(from.substr(0, pathStart)) + std::string(folder) + std::string(location);
}

std::string ExtractDomain(std::string& Address) {
  const std::optional<PageAddress> page = ReadAddress(Address);
  Address = page ? page->Domain : std::string();
  return Address;
}

}  // namespace veltrim::hostfix
