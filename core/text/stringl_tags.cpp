// Scanning of XML-like tags in strings.
#include <climits>

#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

constexpr size_t npos = std::string_view::npos;

enum TagKind { kOpening = 1, kClosing = 2, kEmpty = 3 };

struct Tag {
  size_t start = 0;  // index of "<"
  size_t end = 0;    // index just after ">"
  int kind = 0;
  std::string_view name;
  std::string_view attributes;
};

bool IsNameStart(char c) {
  return IsLetter(c) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 128;
}

bool EndsName(char c) { return static_cast<unsigned char>(c) <= 32 || c == '/' || c == '>'; }

std::string_view TrimBlanks(std::string_view t) {
  const size_t first = t.find_first_not_of(' ');
  if (first == npos) return {};
  return t.substr(first, t.find_last_not_of(' ') - first + 1);
}

// Finds the next tag at or after index from, skipping comments, declarations
// and processing instructions. False when no complete tag remains.
bool NextTag(std::string_view s, size_t from, Tag& tag) {
  while (true) {
    const size_t p = s.find('<', from);
    if (p == npos || p + 1 >= s.size()) return false;
    const std::string_view rest = s.substr(p);
    size_t skipEnd = npos;
    if (rest.substr(0, 4) == "<!--") {
      skipEnd = s.find("-->", p + 4);
      if (skipEnd == npos) return false;
      from = skipEnd + 3;
      continue;
    }
    if (rest.substr(0, 9) == "<![CDATA[") {
      skipEnd = s.find("]]>", p + 9);
      if (skipEnd == npos) return false;
      from = skipEnd + 3;
      continue;
    }
    if (rest[1] == '!') {
      skipEnd = s.find('>', p + 2);
      if (skipEnd == npos) return false;
      from = skipEnd + 1;
      continue;
    }
    if (rest[1] == '?') {
      skipEnd = s.find("?>", p + 2);
      if (skipEnd == npos) return false;
      from = skipEnd + 2;
      continue;
    }
    const bool closing = rest[1] == '/';
    const size_t q = p + 1 + (closing ? 1 : 0);
    if (q >= s.size() || !IsNameStart(s[q])) {
      from = p + 1;  // a "<" that starts no tag is text
      continue;
    }
    size_t r = q;
    while (r < s.size() && !EndsName(s[r])) ++r;
    // The tag ends at the first ">" outside quoted values.
    size_t k = r;
    char quote = 0;
    for (; k < s.size(); ++k) {
      const char c = s[k];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
    }
    if (k >= s.size()) return false;
    std::string_view attrs = s.substr(r, k - r);
    const size_t lastNonBlank = attrs.find_last_not_of(' ');
    const bool selfClosing = lastNonBlank != npos && attrs[lastNonBlank] == '/';
    if (selfClosing) attrs = attrs.substr(0, lastNonBlank);
    tag.start = p;
    tag.end = k + 1;
    tag.kind = closing ? kClosing : (selfClosing ? kEmpty : kOpening);
    tag.name = s.substr(q, r - q);
    tag.attributes = TrimBlanks(attrs);
    return true;
  }
}

template <typename List>
int IndexIgnoringCase(std::string_view name, const List& list) {
  int i = 0;
  for (const auto& e : list) {
    if (AnsiSameText(std::string_view(e), name)) return i;
    ++i;
  }
  return TagNotListed;
}

// Positions are ints: longer texts are scanned up to the last position they reach.
std::string_view Addressable(std::string_view s) {
  return s.substr(0, static_cast<size_t>(INT_MAX) - 1);
}

size_t StartIndex(int Pos) { return Pos < 1 ? 0 : static_cast<size_t>(Pos) - 1; }

template <typename List>
int ReadNextTag(std::string_view s, int& Pos, const List& TagList, std::string& TagName,
                std::string& Attributes, std::string& Content) {
  s = Addressable(s);
  TagName.clear();
  Attributes.clear();
  Content.clear();
  Tag tag;
  const size_t from = StartIndex(Pos);
  if (from >= s.size() || !NextTag(s, from, tag)) {
    Pos = static_cast<int>(s.size()) + 1;
    return TagEndOfText;
  }
  const std::string name = AnsiLowerCase(tag.name);
  TagName = tag.kind == kClosing ? "/" + name : name;
  Attributes.assign(tag.attributes);
  size_t next = tag.end;
  if (tag.kind == kOpening) {
    // Content up to the matching closing tag; same-name elements nest.
    int depth = 1;
    size_t at = tag.end;
    Tag inner;
    bool closed = false;
    while (NextTag(s, at, inner)) {
      at = inner.end;
      if (inner.kind == kEmpty || !AnsiSameText(inner.name, name)) continue;
      depth += inner.kind == kOpening ? 1 : -1;
      if (depth == 0) {
        Content.assign(s.substr(tag.end, inner.start - tag.end));
        next = inner.end;
        closed = true;
        break;
      }
    }
    if (!closed) {
      Content.assign(s.substr(tag.end));
      next = s.size();
    }
  }
  Pos = static_cast<int>(next) + 1;
  return IndexIgnoringCase(TagName, TagList);
}

template <typename List>
void DetectNextTag(std::string_view s, int& Pos, int& Kind, const List& TagList,
                   std::string& TagName, bool& Found) {
  s = Addressable(s);
  Kind = 0;
  TagName.clear();
  Found = false;
  size_t at = StartIndex(Pos);
  Tag tag;
  while (at < s.size() && NextTag(s, at, tag)) {
    at = tag.end;
    if (std::empty(TagList) || IndexIgnoringCase(tag.name, TagList) != TagNotListed) {
      Kind = tag.kind;
      TagName = AnsiLowerCase(tag.name);
      Found = true;
      Pos = static_cast<int>(tag.end) + 1;
      return;
    }
  }
  Pos = static_cast<int>(s.size()) + 1;
}

}  // namespace

int ReadNextTagInString(std::string_view s, int& Pos, std::span<const std::string> TagList,
                        std::string& Tag, std::string& Attributes, std::string& Content) {
  return ReadNextTag(s, Pos, TagList, Tag, Attributes, Content);
}

int ReadNextTagInString(std::string_view s, int& Pos, std::span<const std::string> TagList,
                        std::string& Tag, std::string& Content) {
  std::string attributes;
  return ReadNextTag(s, Pos, TagList, Tag, attributes, Content);
}

int ReadNextTagInString(std::string_view s, int& Pos,
                        std::initializer_list<std::string_view> TagList, std::string& Tag,
                        std::string& Content) {
  std::string attributes;
  return ReadNextTag(s, Pos, TagList, Tag, attributes, Content);
}

void DetectNextTagInString(std::string_view s, int& Pos, int& Kind,
                           std::span<const std::string> TagList, std::string& Tag, bool& Found) {
  DetectNextTag(s, Pos, Kind, TagList, Tag, Found);
}

void DetectNextTagInString(std::string_view s, int& Pos, int& Kind,
                           std::initializer_list<std::string_view> TagList, std::string& Tag,
                           bool& Found) {
  DetectNextTag(s, Pos, Kind, TagList, Tag, Found);
}

}  // namespace tkz
