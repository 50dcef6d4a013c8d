// Reads arbitrary bytes as a page's markup, as the browser's parser and as the tokenizer alone
// read it, and checks what every start tag and every needed host must be, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "PageMarkup.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

bool HasUpperCase(const std::string& text) {
  return text.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos;
}

const veltrim::hostfix::PageAddress kPage = *veltrim::hostfix::ReadAddress("https://Page.test/a/");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string markup(reinterpret_cast<const char*>(data), size);
  for (const auto textElements :
       {veltrim::hostfix::TextElements::AsText, veltrim::hostfix::TextElements::AsMarkup}) {
    veltrim::hostfix::ForEachStartTag(
        markup,
        [](const veltrim::hostfix::StartTag& tag) {
          Check(!tag.name.empty() && !HasUpperCase(tag.name), "a tag's name is in lower case");
          std::unordered_set<std::string> names;
          for (const auto& attribute : tag.attributes) {
            Check(!attribute.first.empty() && !HasUpperCase(attribute.first),
                  "an attribute's name is in lower case");
            Check(names.insert(attribute.first).second, "each attribute once");
          }
        },
        textElements);
  }
  std::unordered_set<std::string> hosts;
  for (const std::string& host : veltrim::hostfix::NeededHosts(markup, kPage)) {
    const auto typed = veltrim::hostfix::ReadAddress(host);
    Check(typed && typed->host == host, "a needed host is one that could be typed");
    Check(!HasUpperCase(host), "a needed host is in lower case");
    Check(host != "page.test", "the page's own host is not needed");
    Check(hosts.insert(host).second, "each needed host once");
  }
  return 0;
}
