#include "BlockingLines.h"

#include <unordered_map>

#include "HostFileText.h"

namespace veltrim::hostfix {

std::vector<std::size_t> FirstLinesNaming(std::string_view bytes,
                                          const std::vector<std::string>& hosts) {
  std::vector<std::size_t> lines(hosts.size(), 0);
  if (IsUtf16(bytes)) return lines;
  // One look-up a name, so that thousands of hosts cost a long list no more than one.
  std::unordered_map<std::string_view, std::size_t> index;
  for (std::size_t i = 0; i < hosts.size(); ++i) index.emplace(hosts[i], i);
  std::size_t unnamed = index.size();
  bytes.remove_prefix(Utf8MarkLength(bytes));
  for (std::size_t number = 1; !bytes.empty() && unnamed > 0; ++number) {
    ForEachNameOf(TakeLine(bytes), [&](std::string_view field) {
      const auto found = index.find(ComparedName(field));
      if (found == index.end() || lines[found->second] != 0) return;
      lines[found->second] = number;
      --unnamed;
    });
  }
  return lines;
}

}  // namespace veltrim::hostfix
