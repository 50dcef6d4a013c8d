#include "PageMarkup.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_set>

#include "AsciiText.h"

namespace veltrim::hostfix {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD, for a NUL

// More than any element has. A tag with more is hostile: the rest is read but not kept, so that
// a tag costs no more memory than this many attributes, whatever its length.
constexpr std::size_t kMaxAttributes = 1000;

// More than any page names; the body is at most 4 MiB anyway, so this only bounds the memory
// that a hostile page of one short host after another could take.
constexpr std::size_t kMaxNeededHosts = 100'000;

bool IsAlnum(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
// CR never reaches the tokenizer: the input's line ends are LF by then.
bool IsSpace(char c) { return c == '\t' || c == '\n' || c == '\f' || c == ' '; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The named references decoded: the Latin-1 names (U+00A0 onwards, in order), which old pages
// write without ";" too and which a query such as "?a=1&copy=2" starts with; and the names of
// ASCII's punctuation, with which a page can write "https&colon;&sol;&sol;" to hide a URL.
// Other names stay as written: they stand for no character that a host name holds.
constexpr std::string_view kLatin1Names =
    "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg "
    "plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest "
    "Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute "
    "Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml "
    "Yacute THORN szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc "
    "euml igrave iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave "
    "uacute ucirc uuml yacute thorn yuml";
struct NamedReference {
  std::string_view name;
  char32_t character;
};
constexpr NamedReference kOtherNames[] = {
    {"amp", '&'},     {"AMP", '&'},       {"lt", '<'},      {"LT", '<'},      {"gt", '>'},
    {"GT", '>'},      {"quot", '"'},      {"QUOT", '"'},    {"COPY", 0xA9},   {"REG", 0xAE},
    {"Tab;", '\t'},   {"NewLine;", '\n'}, {"excl;", '!'},   {"num;", '#'},    {"dollar;", '$'},
    {"percnt;", '%'}, {"apos;", '\''},    {"lpar;", '('},   {"rpar;", ')'},   {"ast;", '*'},
    {"plus;", '+'},   {"comma;", ','},    {"period;", '.'}, {"sol;", '/'},    {"colon;", ':'},
    {"semi;", ';'},   {"equals;", '='},   {"quest;", '?'},  {"commat;", '@'}, {"lsqb;", '['},
    {"bsol;", '\\'},  {"rsqb;", ']'},     {"Hat;", '^'},    {"lowbar;", '_'}, {"grave;", '`'},
    {"lcub;", '{'},   {"verbar;", '|'},   {"rcub;", '}'},
};

// Every name of the table, those that may go without ";" with it and without it.
const std::map<std::string, char32_t, std::less<>>& NamedReferences() {
  static const std::map<std::string, char32_t, std::less<>> table = [] {
    std::map<std::string, char32_t, std::less<>> names;
    char32_t next = 0xA0;
    for (std::size_t start = 0; start < kLatin1Names.size(); ++next) {
      const std::size_t end = std::min(kLatin1Names.find(' ', start), kLatin1Names.size());
      const std::string name(kLatin1Names.substr(start, end - start));
      names[name] = next;
      names[name + ";"] = next;
      start = end + 1;
    }
    for (const NamedReference& other : kOtherNames) {
      names[std::string(other.name)] = other.character;
      if (other.name.back() != ';') names[std::string(other.name) + ";"] = other.character;
    }
    return names;
  }();
  return table;
}

// What a numeric reference to U+0080 to U+009F stands for: windows-1252's characters there,
// which is what pages that write them mean (0 where the code point stays).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t NumericReference(std::uint32_t value) {
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
  if (value >= 0x80 && value <= 0x9F && kWindows1252[value - 0x80] != 0) {
    return kWindows1252[value - 0x80];
  }
  return value;
}

// The tokenizer's states that tell where a start tag begins; the comment and declaration states
// are read in one step each, since they end at a fixed text whatever they hold. RCDATA and
// RAWTEXT are one state: character references in them cannot hide a "<".
enum class State {
  Data,
  TagOpen,
  EndTagOpen,
  TagName,
  BeforeAttributeName,
  AttributeName,
  AfterAttributeName,
  BeforeAttributeValue,
  QuotedValue,
  UnquotedValue,
  AfterQuotedValue,
  SelfClosingStartTag,
  RawText,
  RawTextLessThan,
  Plaintext,
  ScriptData,
  ScriptLessThan,
  EscapeStart,
  EscapeStartDash,
  Escaped,
  EscapedDash,
  EscapedDashDash,
  EscapedLessThan,
  DoubleEscapeStart,
  DoubleEscaped,
  DoubleEscapedDash,
  DoubleEscapedDashDash,
  DoubleEscapedLessThan,
  DoubleEscapeEnd,
  TextEndTagOpen,  // in raw text or script data: which, textState_ says
  TextEndTagName,
};

class Tokenizer {
 public:
  Tokenizer(std::string_view markup, const std::function<void(const StartTag&)>& each,
            TextElements textElements)
      : in_(markup), each_(each), textElements_(textElements) {
    // CR LF and CR alone are LF to every state, as the input stream is before tokenizing.
    if (markup.find('\r') == std::string_view::npos) return;
    normalized_.reserve(markup.size());
    for (std::size_t i = 0; i < markup.size(); ++i) {
      normalized_ += markup[i] == '\r' ? '\n' : markup[i];
      if (markup[i] == '\r' && i + 1 < markup.size() && markup[i + 1] == '\n') ++i;
    }
    in_ = normalized_;
  }

  void Run() {
    while (pos_ < in_.size()) Step(in_[pos_++]);
  }

 private:
  void Step(char c);

  void Reconsume(State state) {
    --pos_;
    state_ = state;
  }

  // Past the next ">", or to the end: a bogus comment or a DOCTYPE, whose every state ends at
  // the first ">".
  void SkipPastGreaterThan() {
    pos_ = std::min(in_.find('>', pos_), in_.size() - 1) + 1;
    state_ = State::Data;
  }

  // After "<!--": past the first "-->" or "--!>", or past "<!-->" and "<!--->", or to the end.
  // The comment states in between decide only what the comment holds, which nothing reads.
  void SkipComment() {
    state_ = State::Data;
    if (in_.compare(pos_, 1, ">") == 0 || in_.compare(pos_, 2, "->") == 0) {
      pos_ = in_.find('>', pos_) + 1;
      return;
    }
    for (std::size_t dashes = in_.find("--", pos_); dashes != std::string_view::npos;
         dashes = in_.find("--", dashes + 1)) {
      if (in_.compare(dashes + 2, 1, ">") == 0) {
        pos_ = dashes + 3;
        return;
      }
      if (in_.compare(dashes + 2, 2, "!>") == 0) {
        pos_ = dashes + 4;
        return;
      }
    }
    pos_ = in_.size();
  }

  void MarkupDeclarationOpen() {
    if (in_.compare(pos_, 2, "--") == 0) {
      pos_ += 2;
      SkipComment();
    } else {
      // A DOCTYPE, a CDATA section outside foreign content, or a bogus comment.
      SkipPastGreaterThan();
    }
  }

  void NewTag(bool end) {
    tag_.name.clear();
    tag_.attributes.clear();
    tag_.selfClosing = false;
    endTag_ = end;
    // A new set rather than a cleared one: clearing costs the buckets of the largest tag so far.
    if (!seen_.empty()) seen_ = std::unordered_set<std::string>();
  }

  static void AppendNameCharacter(std::string& name, char c) {
    if (c == '\0') {
      name += kReplacement;
    } else {
      name += AsciiLower(c);
    }
  }

  // The attribute's name is complete: a second of the same name, and all of an end tag's, are
  // read but not kept.
  void FinishAttributeName() {
    keepValue_ =
        !endTag_ && tag_.attributes.size() < kMaxAttributes && seen_.insert(attributeName_).second;
    if (keepValue_) tag_.attributes.emplace_back(attributeName_, std::string());
  }

  void AppendValue(std::string_view text) {
    if (keepValue_) tag_.attributes.back().second += text;
  }

  void AppendValue(char32_t c) {
    if (keepValue_) AppendUtf8(tag_.attributes.back().second, c);
  }

  // After "&" in an attribute's value: the reference decoded and read past, or "&" alone, the
  // rest then read as the value's own characters (which is how the standard flushes what it
  // read as no reference).
  void CharacterReference() {
    const std::string_view rest = in_.substr(pos_);
    if (!rest.empty() && rest[0] == '#') {
      std::size_t i = 1;
      const bool hex = i < rest.size() && AsciiLower(rest[i]) == 'x';
      if (hex) ++i;
      const std::size_t digits = i;
      std::uint32_t value = 0;
      for (; i < rest.size() && (hex ? IsHexDigit(rest[i]) : IsAsciiDigit(rest[i])); ++i) {
        const char d = AsciiLower(rest[i]);
        // Past U+10FFFF every value stands for the same.
        value = std::min<std::uint32_t>(
            value * (hex ? 16 : 10) + (IsAsciiDigit(d) ? d - '0' : d - 'a' + 10), 0x110000);
      }
      if (i == digits) return AppendValue(std::string_view("&"));
      if (i < rest.size() && rest[i] == ';') ++i;
      pos_ += i;
      return AppendValue(NumericReference(value));
    }
    // The longest name of the table that the text starts with.
    const auto& names = NamedReferences();
    std::size_t length = 0;
    while (length < rest.size() && length < 8 && IsAlnum(rest[length])) ++length;
    if (length < rest.size() && rest[length] == ';') ++length;
    for (; length > 0; --length) {
      const auto found = names.find(rest.substr(0, length));
      if (found == names.end()) continue;
      // "&copy=" in a query is no reference where it ends without ";".
      const bool historical = rest[length - 1] != ';' && length < rest.size() &&
                              (rest[length] == '=' || IsAlnum(rest[length]));
      if (historical) break;
      pos_ += length;
      return AppendValue(found->second);
    }
    AppendValue(std::string_view("&"));
  }

  void EmitTag() {
    state_ = State::Data;
    if (endTag_) return;
    each_(tag_);
    if (textElements_ != TextElements::AsText) return;
    // What the parser makes of these elements' content; a browser runs scripts, so <noscript>
    // holds text too. In SVG or MathML <style> and <script> would hold markup: those pages
    // then lose a host or two, no more.
    constexpr std::string_view kRawText[] = {"style",    "xmp",      "iframe",   "noembed",
                                             "noframes", "noscript", "textarea", "title"};
    if (tag_.name == "script") {
      state_ = State::ScriptData;
    } else if (tag_.name == "plaintext") {
      state_ = State::Plaintext;
    } else if (std::find(std::begin(kRawText), std::end(kRawText), tag_.name) !=
               std::end(kRawText)) {
      state_ = State::RawText;
    } else {
      return;
    }
    textState_ = state_;
    textElement_ = tag_.name;
  }

  // The letters from `start` to the current character (excluded) are "script".
  bool IsScriptSince(std::size_t start) const {
    return EqualIgnoringCase(in_.substr(start, pos_ - 1 - start), "script");
  }

  std::string normalized_;
  std::string_view in_;
  const std::function<void(const StartTag&)>& each_;
  const TextElements textElements_;
  std::size_t pos_ = 0;
  State state_ = State::Data;
  StartTag tag_;
  bool endTag_ = false;
  std::unordered_set<std::string> seen_;
  std::string attributeName_;
  bool keepValue_ = false;
  char quote_ = '"';
  State textState_ = State::Data;  // where a "</" that ends no element goes back to
  std::string textElement_;        // whose end tag ends the text
  std::size_t bufferStart_ = 0;    // where the letters after "<" or "</" started
};

void Tokenizer::Step(char c) {
  switch (state_) {
    case State::Data:
      // Text is skipped whole: only "<" starts anything.
      pos_ = std::min(in_.find('<', pos_ - 1), in_.size() - 1) + 1;
      if (in_[pos_ - 1] == '<') state_ = State::TagOpen;
      break;
    case State::TagOpen:
      if (c == '!') {
        MarkupDeclarationOpen();
      } else if (c == '/') {
        state_ = State::EndTagOpen;
      } else if (IsAsciiLetter(c)) {
        NewTag(false);
        Reconsume(State::TagName);
      } else if (c == '?') {
        SkipPastGreaterThan();
      } else {
        Reconsume(State::Data);
      }
      break;
    case State::EndTagOpen:
      if (IsAsciiLetter(c)) {
        NewTag(true);
        Reconsume(State::TagName);
      } else if (c == '>') {
        state_ = State::Data;
      } else {
        SkipPastGreaterThan();
      }
      break;
    case State::TagName:
      if (IsSpace(c)) {
        state_ = State::BeforeAttributeName;
      } else if (c == '/') {
        state_ = State::SelfClosingStartTag;
      } else if (c == '>') {
        EmitTag();
      } else {
        AppendNameCharacter(tag_.name, c);
      }
      break;
    case State::BeforeAttributeName:
      if (c == '/' || c == '>') {
        Reconsume(State::AfterAttributeName);
      } else if (!IsSpace(c)) {
        attributeName_.clear();
        if (c == '=') {
          attributeName_ += c;  // a "=" here starts the name
          state_ = State::AttributeName;
        } else {
          Reconsume(State::AttributeName);
        }
      }
      break;
    case State::AttributeName:
      if (IsSpace(c) || c == '/' || c == '>') {
        FinishAttributeName();
        Reconsume(State::AfterAttributeName);
      } else if (c == '=') {
        FinishAttributeName();
        state_ = State::BeforeAttributeValue;
      } else {
        AppendNameCharacter(attributeName_, c);
      }
      break;
    case State::AfterAttributeName:
      if (c == '/') {
        state_ = State::SelfClosingStartTag;
      } else if (c == '=') {
        state_ = State::BeforeAttributeValue;
      } else if (c == '>') {
        EmitTag();
      } else if (!IsSpace(c)) {
        attributeName_.clear();
        Reconsume(State::AttributeName);
      }
      break;
    case State::BeforeAttributeValue:
      if (c == '"' || c == '\'') {
        quote_ = c;
        state_ = State::QuotedValue;
      } else if (c == '>') {
        EmitTag();
      } else if (!IsSpace(c)) {
        Reconsume(State::UnquotedValue);
      }
      break;
    case State::QuotedValue:
      if (c == quote_) {
        state_ = State::AfterQuotedValue;
      } else if (c == '&') {
        CharacterReference();
      } else {
        AppendValue(c == '\0' ? kReplacement : std::string_view(&c, 1));
      }
      break;
    case State::UnquotedValue:
      if (IsSpace(c)) {
        state_ = State::BeforeAttributeName;
      } else if (c == '&') {
        CharacterReference();
      } else if (c == '>') {
        EmitTag();
      } else {
        AppendValue(c == '\0' ? kReplacement : std::string_view(&c, 1));
      }
      break;
    case State::AfterQuotedValue:
      if (IsSpace(c)) {
        state_ = State::BeforeAttributeName;
      } else if (c == '/') {
        state_ = State::SelfClosingStartTag;
      } else if (c == '>') {
        EmitTag();
      } else {
        Reconsume(State::BeforeAttributeName);
      }
      break;
    case State::SelfClosingStartTag:
      if (c == '>') {
        tag_.selfClosing = true;
        EmitTag();
      } else {
        Reconsume(State::BeforeAttributeName);
      }
      break;
    case State::Plaintext:
      pos_ = in_.size();
      break;
    case State::RawText:
      if (c == '<') state_ = State::RawTextLessThan;
      break;
    case State::RawTextLessThan:
      if (c == '/') {
        state_ = State::TextEndTagOpen;
      } else {
        Reconsume(State::RawText);
      }
      break;
    case State::ScriptData:
      if (c == '<') state_ = State::ScriptLessThan;
      break;
    case State::ScriptLessThan:
      if (c == '/') {
        textState_ = State::ScriptData;
        state_ = State::TextEndTagOpen;
      } else if (c == '!') {
        state_ = State::EscapeStart;
      } else {
        Reconsume(State::ScriptData);
      }
      break;
    case State::EscapeStart:
    case State::EscapeStartDash:
      if (c != '-') {
        Reconsume(State::ScriptData);
      } else {
        state_ = state_ == State::EscapeStart ? State::EscapeStartDash : State::EscapedDashDash;
      }
      break;
    case State::Escaped:
    case State::EscapedDash:
    case State::EscapedDashDash:
      if (c == '<') {
        state_ = State::EscapedLessThan;
      } else if (c == '>' && state_ == State::EscapedDashDash) {
        state_ = State::ScriptData;
      } else if (c == '-') {
        state_ = state_ == State::Escaped ? State::EscapedDash : State::EscapedDashDash;
      } else {
        state_ = State::Escaped;
      }
      break;
    case State::EscapedLessThan:
      if (c == '/') {
        textState_ = State::Escaped;
        state_ = State::TextEndTagOpen;
      } else if (IsAsciiLetter(c)) {
        bufferStart_ = pos_ - 1;
        state_ = State::DoubleEscapeStart;
      } else {
        Reconsume(State::Escaped);
      }
      break;
    case State::DoubleEscapeStart:
      if (IsSpace(c) || c == '/' || c == '>') {
        state_ = IsScriptSince(bufferStart_) ? State::DoubleEscaped : State::Escaped;
      } else if (!IsAsciiLetter(c)) {
        Reconsume(State::Escaped);
      }
      break;
    case State::DoubleEscaped:
    case State::DoubleEscapedDash:
    case State::DoubleEscapedDashDash:
      if (c == '<') {
        state_ = State::DoubleEscapedLessThan;
      } else if (c == '>' && state_ == State::DoubleEscapedDashDash) {
        state_ = State::ScriptData;
      } else if (c == '-') {
        state_ = state_ == State::DoubleEscaped ? State::DoubleEscapedDash
                                                : State::DoubleEscapedDashDash;
      } else {
        state_ = State::DoubleEscaped;
      }
      break;
    case State::DoubleEscapedLessThan:
      if (c == '/') {
        bufferStart_ = pos_;
        state_ = State::DoubleEscapeEnd;
      } else {
        Reconsume(State::DoubleEscaped);
      }
      break;
    case State::DoubleEscapeEnd:
      if (IsSpace(c) || c == '/' || c == '>') {
        state_ = IsScriptSince(bufferStart_) ? State::Escaped : State::DoubleEscaped;
      } else if (!IsAsciiLetter(c)) {
        Reconsume(State::DoubleEscaped);
      }
      break;
    case State::TextEndTagOpen:
      if (IsAsciiLetter(c)) {
        bufferStart_ = pos_ - 1;
        state_ = State::TextEndTagName;
      } else {
        Reconsume(textState_);
      }
      break;
    case State::TextEndTagName:
      if (IsAsciiLetter(c)) break;
      // Only the end tag of the element that holds the text ends it.
      if ((IsSpace(c) || c == '/' || c == '>') &&
          EqualIgnoringCase(in_.substr(bufferStart_, pos_ - 1 - bufferStart_), textElement_)) {
        NewTag(true);
        Reconsume(State::TagName);
      } else {
        Reconsume(textState_);
      }
      break;
  }
}

// The scheme and host that a URL of the page leads to. No scheme: one other than http and
// https, from which nothing loads; no host: one that no host file line could keep away (an IP
// address, a name that ReadAddress refuses).
struct Origin {
  std::string scheme;  // "http" or "https"
  std::string host;    // ASCII, lower case
};

Origin OriginOf(const std::string& scheme, std::string_view rest) {
  rest.remove_prefix(std::min(rest.find_first_not_of("/\\"), rest.size()));
  const std::optional<PageAddress> address =
      ReadAddress(scheme + "://" + std::string(rest.substr(0, rest.find_first_of("/\\?#"))));
  return {scheme, address ? AsciiLowered(address->host) : std::string()};
}

// As the URL standard reads `text` against `base`, as far as the scheme and host go.
Origin Resolve(std::string_view text, const Origin& base) {
  // Without the control characters and blanks around it, and every tab and line break inside.
  const auto outer = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && outer(text.front())) text.remove_prefix(1);
  while (!text.empty() && outer(text.back())) text.remove_suffix(1);
  std::string url;
  for (const char c : text) {
    if (c != '\t' && c != '\n' && c != '\r') url += c;
  }
  std::string_view rest = url;
  if (const std::size_t colon = SchemeNameLength(rest); colon > 0) {
    const std::string scheme = AsciiLowered(rest.substr(0, colon));
    rest.remove_prefix(colon + 1);
    if (scheme != "http" && scheme != "https") return {};
    // "http:x" on an http page is a path of the page's host; on an https page, the host x.
    if (scheme != base.scheme || rest.substr(0, 2) == "//") return OriginOf(scheme, rest);
  }
  const auto slash = [](char c) { return c == '/' || c == '\\'; };
  if (!base.scheme.empty() && rest.size() >= 2 && slash(rest[0]) && slash(rest[1])) {
    return OriginOf(base.scheme, rest);
  }
  return base;
}

// The URLs of a "srcset": each candidate's first word, without the commas after it.
template <typename Each>
void ForEachSrcsetUrl(std::string_view srcset, Each each) {
  std::size_t i = 0;
  while (i < srcset.size()) {
    if (IsSpace(srcset[i]) || srcset[i] == '\r' || srcset[i] == ',') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < srcset.size() && !IsSpace(srcset[i]) && srcset[i] != '\r') ++i;
    std::string_view url = srcset.substr(start, i - start);
    const std::size_t commas = url.size() - std::min(url.find_last_not_of(','), url.size() - 1) - 1;
    url.remove_suffix(commas);
    each(url);
    if (commas > 0) continue;
    // The descriptors, up to a comma outside parentheses.
    for (bool inParentheses = false; i < srcset.size() && (inParentheses || srcset[i] != ',');
         ++i) {
      if (srcset[i] == '(' || srcset[i] == ')') inParentheses = srcset[i] == '(';
    }
  }
}

// The URL of a refresh's "content", "5; url='next.html'", or nothing when it names none.
std::optional<std::string_view> RefreshUrl(std::string_view content) {
  const auto skipSpace = [&] {
    while (!content.empty() && (IsSpace(content[0]) || content[0] == '\r'))
      content.remove_prefix(1);
  };
  skipSpace();
  // The time: digits and dots, which must start with either.
  if (content.empty() || (!IsAsciiDigit(content[0]) && content[0] != '.')) return std::nullopt;
  content.remove_prefix(std::min(content.find_first_not_of("0123456789."), content.size()));
  if (content.empty()) return std::nullopt;
  if (content[0] != ';' && content[0] != ',' && !IsSpace(content[0]) && content[0] != '\r') {
    return std::nullopt;
  }
  skipSpace();
  if (!content.empty() && (content[0] == ';' || content[0] == ',')) content.remove_prefix(1);
  skipSpace();
  if (content.empty()) return std::nullopt;
  std::string_view url = content;
  if (StartsWithIgnoringCase(content, "url")) {
    content.remove_prefix(3);
    skipSpace();
    if (content.empty() || content[0] != '=') return url;
    content.remove_prefix(1);
    skipSpace();
  } else if (AsciiLower(content[0]) == 'u') {
    return url;
  }
  if (!content.empty() && (content[0] == '"' || content[0] == '\'')) {
    const char quote = content[0];
    content.remove_prefix(1);
    content = content.substr(0, content.find(quote));
  }
  return content;
}

// The attributes whose URLs the browser loads by itself, and of which elements.
struct LoadedUrl {
  std::string_view element;
  std::string_view attribute;
  bool srcset;
};
constexpr LoadedUrl kLoadedUrls[] = {
    {"script", "src", false},   {"img", "src", false},   {"img", "srcset", true},
    {"iframe", "src", false},   {"frame", "src", false}, {"source", "src", false},
    {"source", "srcset", true}, {"video", "src", false}, {"video", "poster", false},
    {"audio", "src", false},    {"embed", "src", false}, {"object", "data", false},
    {"form", "action", false},  {"link", "href", false},
};

// A <link> loads, or has its host looked up, for these relations alone: a plain link does not.
bool LinkLoads(const StartTag& tag) {
  const std::string* rel = tag.Find("rel");
  if (!rel) return false;
  constexpr std::string_view kLoading[] = {"stylesheet", "preload",    "modulepreload",
                                           "icon",       "preconnect", "dns-prefetch"};
  std::string_view tokens = *rel;
  while (!tokens.empty()) {
    const std::size_t end = std::min(tokens.find_first_of(" \t\n\f\r"), tokens.size());
    const std::string_view token = tokens.substr(0, end);
    for (const std::string_view loading : kLoading) {
      if (EqualIgnoringCase(token, loading)) return true;
    }
    tokens.remove_prefix(std::min(end + 1, tokens.size()));
  }
  return false;
}

}  // namespace

const std::string* StartTag::Find(std::string_view attribute) const {
  for (const auto& [name, value] : attributes) {
    if (name == attribute) return &value;
  }
  return nullptr;
}

void ForEachStartTag(std::string_view markup, const std::function<void(const StartTag&)>& each,
                     TextElements textElements) {
  Tokenizer(markup, each, textElements).Run();
}

std::vector<std::string> NeededHosts(std::string_view markup, const PageAddress& page) {
  Origin base{page.url.compare(0, 8, "https://") == 0 ? "https" : "http", AsciiLowered(page.host)};
  bool baseSet = false;
  std::unordered_set<std::string> seen = {base.host};
  std::vector<std::string> hosts;
  const auto need = [&](std::string_view url) {
    const Origin origin = Resolve(url, base);
    if (!origin.host.empty() && hosts.size() < kMaxNeededHosts && seen.insert(origin.host).second) {
      hosts.push_back(origin.host);
    }
  };
  ForEachStartTag(markup, [&](const StartTag& tag) {
    if (tag.name == "base" && !baseSet) {
      // The first <base> with an href sets what every later relative URL is read against.
      if (const std::string* href = tag.Find("href")) {
        baseSet = true;
        base = Resolve(*href, base);
      }
      return;
    }
    if (tag.name == "meta") {
      const std::string* equiv = tag.Find("http-equiv");
      const std::string* content = tag.Find("content");
      if (equiv && content && EqualIgnoringCase(*equiv, "refresh")) {
        if (const std::optional<std::string_view> url = RefreshUrl(*content)) need(*url);
      }
      return;
    }
    if (tag.name == "link" && !LinkLoads(tag)) return;
    for (const auto& [attribute, value] : tag.attributes) {
      for (const LoadedUrl& loaded : kLoadedUrls) {
        if (tag.name != loaded.element || attribute != loaded.attribute) continue;
        if (loaded.srcset) {
          ForEachSrcsetUrl(value, need);
        } else {
          need(value);
        }
      }
    }
  });
  return hosts;
}

}  // namespace veltrim::hostfix
