// An ad-blocking hosts list as people download them: a header of comments, then a blocked
// name a line, lines ending in LF alone, with "compressed" lines of several names among them.
// The tests, the benchmark and the demonstration of large files make it afresh; it is never
// kept. `after` is what a repair for kBlockListHost makes of it.
#pragma once

#include <string>

namespace veltrim::blocklist {

inline constexpr char kBlockListHost[] = "example.com";

struct BlockList {
  std::string before;
  std::string after;
};

namespace detail {

// A line that the repair leaves alone, in both texts.
inline void Keep(BlockList& list, const std::string& line) {
  list.before += line + "\n";
  list.after += line + "\r\n";
}

// A line that names the host: commented out, followed by `rest` when it names others too.
inline void Repair(BlockList& list, const std::string& line, const std::string& rest = "") {
  list.before += line + "\n";
  list.after += "#" + line + "\r\n" + (rest.empty() ? "" : rest + "\r\n");
}

inline std::string Tracker(int n) {
  return "ads" + std::to_string(n) + ".tracker" + std::to_string(n % 97) + ".net";
}

}  // namespace detail

// About 30 bytes a line: 170,000 lines make some 5 MB, as the largest lists in wide use.
inline BlockList MakeBlockList(int lines) {
  using detail::Keep;
  using detail::Repair;
  using detail::Tracker;
  BlockList list;
  list.before.reserve(static_cast<std::size_t>(lines) * 32);
  list.after.reserve(static_cast<std::size_t>(lines) * 34);
  Keep(list, "# Unified hosts list: ads, trackers and malware");
  Keep(list, "# Mentions of example.com in comments name nothing.");
  Keep(list, "127.0.0.1 localhost");
  Keep(list, "");
  const int planted = lines / 8;
  for (int n = 4; n < lines; ++n) {
    if (n % 1000 == 500) {
      // Compressed: nine names a line.
      std::string line = "0.0.0.0";
      for (int name = 0; name < 9; ++name) line += " " + Tracker(n + name);
      Keep(list, line);
    } else if (n == planted) {
      Repair(list, "0.0.0.0 example.com");
    } else if (n == 2 * planted) {
      Repair(list,
             "0.0.0.0 " + Tracker(n) + " EXAMPLE.COM.\tcdn.example.com " + Tracker(n + 1) +
                 " # merged",
             "0.0.0.0 " + Tracker(n) + " " + Tracker(n + 1) + " # merged");
    } else if (n == 3 * planted) {
      Keep(list, "0.0.0.0 notexample.com example.com.evil");
    } else if (n == 4 * planted) {
      Repair(list, "0.0.0.0\tpixel.example.com\tshop.example.com");
    } else if (n == 5 * planted) {
      Keep(list, "# 0.0.0.0 example.com");
    } else if (n == 6 * planted) {
      Repair(list, "0.0.0.0 " + Tracker(n) + " www.example.com.", "0.0.0.0 " + Tracker(n));
    } else {
      Keep(list, "0.0.0.0 " + Tracker(n));
    }
  }
  return list;
}

}  // namespace veltrim::blocklist
