// What a web page's markup asks the browser to load by itself, read from its bytes as a browser
// tokenizes them, so that a URL in a comment, a script's text or an attribute of a link is
// never taken for one the page loads. Texts are UTF-8; bytes that are not pass through.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Address.h"

namespace veltrim::hostfix {

struct StartTag {
  std::string name;  // ASCII letters in lower case, other bytes as written (a NUL as U+FFFD)
  // Names in lower case, each once (the first wins), values with their character references
  // decoded; in the order of the markup.
  std::vector<std::pair<std::string, std::string>> attributes;
  bool selfClosing = false;

  // The value of the attribute, or nothing when the tag has none of that name.
  const std::string* Find(std::string_view attribute) const;
};

enum class TextElements {
  // As a browser's parser reads a document: after <script>, <style>, <title>, <textarea>,
  // <plaintext> and the like, what follows up to their end tag is text, not markup.
  AsText,
  // As the tokenizer alone reads markup, every start tag reported wherever it stands.
  AsMarkup,
};

// Calls `each` for every start tag of `markup`, in order. A tag cut off by the end of the
// markup is not reported: the browser would not have made it either.
void ForEachStartTag(std::string_view markup, const std::function<void(const StartTag&)>& each,
                     TextElements textElements = TextElements::AsText);

// The hosts, other than the page's own, of what the page's markup makes the browser load
// without a click: scripts, style sheets, images, frames, media, objects, the form's target, a
// refresh's target and the hosts it asks to be looked up early, each reduced as ReadAddress
// reduces a typed address. In ASCII lower case, each once, in the order of the markup.
std::vector<std::string> NeededHosts(std::string_view markup, const PageAddress& page);

}  // namespace veltrim::hostfix
