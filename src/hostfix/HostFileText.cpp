#include "HostFileText.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

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

// Calls `each(blanks, start, end)` for every name of the line: where the blanks before it start,
// where it starts and ends.
template <typename Each>
void ForEachField(std::string_view line, Each each) {
  line = line.substr(0, line.find('#'));
  // The first field is the address; the names follow it.
  std::size_t start = line.find_first_not_of(kFieldSeparators);
  start = line.find_first_of(kFieldSeparators, start);
  for (;;) {
    const std::size_t blanks = start;
    start = line.find_first_not_of(kFieldSeparators, start);
    if (start == std::string_view::npos) return;
    const std::size_t end = std::min(line.find_first_of(kFieldSeparators, start), line.size());
    each(blanks, start, end);
    start = end;
  }
}

// As ForEachField, and whether the rule takes the name.
template <typename Each>
void ForEachName(std::string_view line, const NameRule& rule, Each each) {
  // A name of a dot alone would otherwise be taken for an empty host.
  if (rule.TakesNothing()) return;
  ForEachField(line, [&](std::size_t blanks, std::size_t start, std::size_t end) {
    each(blanks, start, end, rule.Takes(line.substr(start, end - start)));
  });
}

}  // namespace

std::string_view TakeLine(std::string_view& text) {
  // A byte at a time: find_first_of looks each one up in the set, five times slower.
  std::size_t end = 0;
  while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
  const std::string_view line = text.substr(0, end);
  const std::size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
  text.remove_prefix(std::min(next, text.size()));
  return line;
}

bool IsUtf16(std::string_view bytes) {
  return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

std::size_t Utf8MarkLength(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

void ForEachNameOf(std::string_view line, const std::function<void(std::string_view)>& each) {
  ForEachField(line, [&](std::size_t, std::size_t start, std::size_t end) {
    each(line.substr(start, end - start));
  });
}

NameRule NameRule::Exactly(const std::vector<std::string>& names) {
  NameRule rule{std::string_view()};
  rule.names_.insert(names.begin(), names.end());
  return rule;
}

std::string ComparedName(std::string_view name) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  return AsciiLowered(name);
}

bool NameRule::Takes(std::string_view name) const {
  if (!host_.empty()) return NameIsOrIsUnder(name, host_);
  return names_.count(ComparedName(name)) != 0;
}

Naming NamesHost(std::string_view line, const NameRule& rule) {
  bool some = false;
  bool all = true;
  ForEachName(line, rule, [&](std::size_t, std::size_t, std::size_t, bool named) {
    some = some || named;
    all = all && named;
  });
  return !some ? Naming::None : all ? Naming::All : Naming::Some;
}

bool IsBlockingAddress(const platform::IpAddress& address) {
  const std::string& bytes = address.bytes;
  if (bytes.size() == 4) return bytes == std::string(4, '\0') || bytes[0] == 127;
  return bytes.size() == 16 && bytes.compare(0, 15, std::string(15, '\0')) == 0 &&
         (bytes[15] == 0 || bytes[15] == 1);
}

std::optional<platform::IpAddress> BlockingAnswer(const std::vector<platform::IpAddress>& answer) {
  if (answer.empty() || !std::all_of(answer.begin(), answer.end(), IsBlockingAddress)) {
    return std::nullopt;
  }
  return answer.front();
}

void AddRepaired(std::vector<RepairedName>& names, const std::vector<RepairedName>& more) {
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < names.size(); ++i) index.emplace(names[i].name, i);
  for (const RepairedName& name : more) {
    const auto [entry, added] = index.emplace(name.name, names.size());
    if (added) names.push_back(RepairedName{name.name, {}});
    for (const platform::IpAddress& address : name.addresses) {
      platform::AddOnce(names[entry->second].addresses, address);
    }
  }
}

std::vector<RepairedName> NamesRepaired(std::string_view text, const NameRule& rule) {
  // Every name as each line gives it, then each once.
  std::vector<RepairedName> found;
  for (text.remove_prefix(Utf8MarkLength(text)); !text.empty();) {
    const std::string_view line = TakeLine(text);
    if (NamesHost(line, rule) == Naming::None) continue;
    const std::size_t first = line.find_first_not_of(kFieldSeparators);
    const std::optional<platform::IpAddress> address = platform::ParseIpAddress(
        std::string(line.substr(first, line.find_first_of(kFieldSeparators, first) - first)));
    ForEachName(line, rule, [&](std::size_t, std::size_t start, std::size_t end, bool named) {
      if (!named) return;
      RepairedName repaired{ComparedName(line.substr(start, end - start)), {}};
      if (address) repaired.addresses.push_back(*address);
      found.push_back(std::move(repaired));
    });
  }
  std::vector<RepairedName> names;
  AddRepaired(names, found);
  return names;
}

void AppendOtherNames(std::string_view line, const NameRule& rule, std::string& out) {
  std::size_t kept = 0;
  ForEachName(line, rule, [&](std::size_t blanks, std::size_t, std::size_t end, bool named) {
    if (!named) return;
    out.append(line, kept, blanks - kept);
    kept = end;
  });
  out.append(line, kept);
}

}  // namespace veltrim::hostfix
