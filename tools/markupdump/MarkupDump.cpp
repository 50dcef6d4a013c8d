// Prints what Veltrim reads in a page's markup, from each FILE or else standard input:
//   markupdump [--as-markup] [FILE...]  a line for each page: its start tags as JSON,
//                                       [[name, [[attribute, value], ...], selfClosing], ...];
//                                       --as-markup reads every element's content as markup,
//                                       as the tokenizer alone does
//   markupdump --hosts ADDRESS [FILE]   the hosts that the page at ADDRESS needs, one a line
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "PageMarkup.h"

namespace {

using veltrim::hostfix::StartTag;

// Bytes as they are, but for what JSON escapes: a page's text that is not UTF-8 stays visible.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += c;
    }
  }
  return out + '"';
}

std::string StartTags(const std::string& markup, veltrim::hostfix::TextElements textElements) {
  std::string line = "[";
  veltrim::hostfix::ForEachStartTag(
      markup,
      [&](const StartTag& tag) {
        line += (line.size() > 1 ? ",[" : "[") + Quoted(tag.name) + ",[";
        for (const auto& [name, value] : tag.attributes) {
          line += (line.back() == '[' ? "[" : ",[") + Quoted(name) + "," + Quoted(value) + "]";
        }
        line += tag.selfClosing ? "],true]" : "],false]";
      },
      textElements);
  return line + "]";
}

std::string Read(std::istream& in) { return {std::istreambuf_iterator<char>(in), {}}; }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto textElements = veltrim::hostfix::TextElements::AsText;
  std::optional<veltrim::hostfix::PageAddress> page;
  if (!args.empty() && args[0] == "--as-markup") {
    textElements = veltrim::hostfix::TextElements::AsMarkup;
    args.erase(args.begin());
  } else if (args.size() >= 2 && args[0] == "--hosts") {
    page = veltrim::hostfix::ReadAddress(args[1]);
    if (!page) {
      std::cerr << "markupdump: not a web page's address: " << args[1] << "\n";
      return 2;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  std::vector<std::string> pages;
  if (args.empty()) pages.push_back(Read(std::cin));
  for (const std::string& path : args) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      std::cerr << "markupdump: cannot read " << path << "\n";
      return 2;
    }
    pages.push_back(Read(file));
  }
  for (const std::string& markup : pages) {
    if (!page) {
      std::cout << StartTags(markup, textElements) << "\n";
      continue;
    }
    for (const std::string& host : veltrim::hostfix::NeededHosts(markup, *page)) {
      std::cout << host << "\n";
    }
  }
  return 0;
}
