// streams: the XML tag scanner on streams and text files, and the attribute
// scanner.
#include <algorithm>
#include <string>
#include <vector>

#include "core/platform/textfile.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

struct StreamSource {
  TStream* Stream;
  bool Next(uint8_t& c) { return Stream->Read(&c, 1) == 1; }
};

struct TextFileSource {
  TTextFile& File;
  bool Next(uint8_t& c) {
    if (File.Eof()) return false;
    char ch;
    File.Read(ch);
    c = static_cast<uint8_t>(ch);
    return true;
  }
};

// Step 1 of a tag: skips to the next "<" and reads the tag text up to and
// including ">" into Text (at most kMaxTagLength bytes are kept; a longer
// text keeps its first bytes and its ending, ">" or "/>"). Returns false when
// the data ends before the ">", Text then holding what was read. With
// SkipBang, tags beginning with "!" are skipped.
template <typename Src>
bool ReadTagText(Src& src, std::string& Text, bool SkipBang) {
  for (;;) {
    Text.clear();
    uint8_t c;
    do {
      if (!src.Next(c)) return false;
    } while (c != '<');
    bool truncated = false;
    uint8_t prev = 0;
    for (;;) {
      if (!src.Next(c)) return false;
      if (c == '>') break;
      if (Text.size() < kMaxTagLength)
        Text.push_back(static_cast<char>(c));
      else
        truncated = true;
      prev = c;
    }
    if (truncated) {
      Text.resize(kMaxTagLength - 2);
      if (prev == '/') Text.push_back('/');
    }
    Text.push_back('>');
    if (!(SkipBang && Text[0] == '!')) return true;
  }
}

struct TagInfo {
  std::string Name;  // lower-case
  std::string Attributes;
  bool EmptyElement = false;  // <name ... />
  bool Matchable = true;      // false for <name/> written without a blank
};

// Splits a tag text (ending with ">") into name and attributes.
TagInfo AnalyseTag(const std::string& Text) {
  TagInfo t;
  const size_t blank = Text.find(' ');
  const size_t slash = Text.find("/>");
  if (slash != std::string::npos) {
    t.EmptyElement = true;
    if (blank == std::string::npos || blank > slash) {
      t.Matchable = false;
      return t;
    }
    t.Name = AnsiLowerCase(std::string_view(Text).substr(0, blank));
    t.Attributes = StripLTBlanks(std::string_view(Text).substr(blank + 1, slash - blank - 1));
    return t;
  }
  const size_t last = Text.size() - 1;  // the ">"
  if (blank != std::string::npos) {
    t.Name = AnsiLowerCase(std::string_view(Text).substr(0, blank));
    t.Attributes = StripLTBlanks(std::string_view(Text).substr(blank + 1, last - blank - 1));
  } else {
    t.Name = AnsiLowerCase(std::string_view(Text).substr(0, last));
  }
  return t;
}

int Lookup(const TagInfo& t, const std::vector<std::string_view>& TagList) {
  const int sentinel = static_cast<int>(TagList.size()) - 1;
  if (!t.Matchable) return sentinel;
  for (size_t i = 0; i < TagList.size(); ++i)
    if (TagList[i] == t.Name) return static_cast<int>(i);
  return sentinel;
}

// Reads an element's contents up to its closing tag "</Name>" (ignoring
// case), which is consumed and not kept. With WholePieces, text after the
// last ">" before the end of the data is dropped.
template <typename Src>
void ReadContents(Src& src, const std::string& Name, bool WholePieces, std::string& Contents) {
  const std::string close = "</" + Name + ">";
  const size_t L = close.size();
  std::string tail;  // the last bytes read, lower-cased, for the match
  size_t total = 0, committed = 0;
  uint8_t c;
  while (src.Next(c)) {
    ++total;
    if (Contents.size() < kMaxTagLength) Contents.push_back(static_cast<char>(c));
    tail.push_back(AnsiLowerChar(static_cast<char>(c)));
    if (tail.size() > 2 * L) tail.erase(0, tail.size() - L);
    if (c != '>') continue;
    if (tail.size() >= L && tail.compare(tail.size() - L, L, close) == 0) {
      Contents.resize(std::min(Contents.size(), total - L));
      return;
    }
    committed = Contents.size();
  }
  if (WholePieces) Contents.resize(committed);
}

std::vector<std::string_view> Views(std::span<const std::string> l) { return {l.begin(), l.end()}; }

template <typename Src>
int ReadNextTag(Src& src, const std::vector<std::string_view>& TagList, bool WholePieces,
                std::string& Attributes, std::string& Contents, std::string* Name = nullptr,
                bool* Complete = nullptr) {
  Attributes.clear();
  Contents.clear();
  const int sentinel = static_cast<int>(TagList.size()) - 1;
  std::string text;
  if (!ReadTagText(src, text, true)) return sentinel;
  TagInfo t = AnalyseTag(text);
  if (Complete) *Complete = true;
  if (Name) *Name = t.Name;
  Attributes = std::move(t.Attributes);
  const int index = Lookup(t, TagList);
  if (!t.EmptyElement && !t.Name.empty() && t.Name[0] != '/')
    ReadContents(src, t.Name, WholePieces, Contents);
  return index;
}

}  // namespace

int ReadNextTagInStream(TStream* Stream, std::span<const std::string> TagList,
                        std::string& Attributes, std::string& Contents) {
  StreamSource src{Stream};
  return ReadNextTag(src, Views(TagList), false, Attributes, Contents);
}

TTagRead ReadTagFromStream(TStream* Stream, std::span<const std::string> TagList) {
  StreamSource src{Stream};
  TTagRead r;
  r.Index = ReadNextTag(src, Views(TagList), false, r.Attributes, r.Contents, &r.Name, &r.Complete);
  return r;
}

int ReadNextTagInStream(TStream* Stream, std::initializer_list<std::string_view> TagList,
                        std::string& Attributes, std::string& Contents) {
  StreamSource src{Stream};
  return ReadNextTag(src, std::vector<std::string_view>(TagList), false, Attributes, Contents);
}

int ReadNextTagInTextFile(TTextFile& F, std::span<const std::string> TagList,
                          std::string& Attributes, std::string& Contents) {
  TextFileSource src{F};
  return ReadNextTag(src, Views(TagList), true, Attributes, Contents);
}

int ReadNextTagInTextFile(TTextFile& F, std::initializer_list<std::string_view> TagList,
                          std::string& Attributes, std::string& Contents) {
  TextFileSource src{F};
  return ReadNextTag(src, std::vector<std::string_view>(TagList), true, Attributes, Contents);
}

bool ScanStreamForXMLTag(TStream* Stream, std::string_view Tag, std::string& Attributes,
                         std::string& Contents) {
  Attributes.clear();
  Contents.clear();
  const std::string want = AnsiLowerCase(Tag);
  StreamSource src{Stream};
  std::string text;
  while (ReadTagText(src, text, true)) {
    TagInfo t = AnalyseTag(text);
    if (!t.Matchable || t.Name != want) continue;
    Attributes = std::move(t.Attributes);
    if (!t.EmptyElement && !t.Name.empty() && t.Name[0] != '/')
      ReadContents(src, t.Name, false, Contents);
    return true;
  }
  return false;
}

std::string ReadStreamUntilTagList(TStream* Stream, std::span<const std::string> TagList,
                                   int& Index) {
  Index = -1;
  std::string skipped, text;
  uint8_t c;
  while (Stream->Read(&c, 1) == 1) {
    if (c != '<') {
      skipped.push_back(static_cast<char>(c));
      continue;
    }
    const int64_t at = Stream->GetPosition() - 1;
    // Re-read from the "<" so that the tag text is taken the usual way.
    Stream->SetPosition(at);
    StreamSource src{Stream};
    const bool closed = ReadTagText(src, text, false);
    if (closed) {
      const TagInfo t = AnalyseTag(text);
      if (t.Matchable) {
        for (size_t i = 0; i < TagList.size(); ++i) {
          if (TagList[i] == t.Name) {
            Index = static_cast<int>(i);
            Stream->SetPosition(at);
            return skipped;
          }
        }
      }
    }
    skipped.push_back('<');
    skipped += text;
    if (!closed) return skipped;
  }
  return skipped;
}

std::string ScanForXMLAttrib(std::string_view Attributes, std::string_view AttrName) {
  enum { Name, BeforeValue, Quoted, Plain } state = Name;
  const std::string want = AnsiLowerCase(AttrName);
  std::string name, value;
  auto complete = [&]() {
    const bool hit = AnsiLowerCase(StripLTBlanks(name)) == want;
    name.clear();
    return hit;
  };
  for (const char c : Attributes) {
    switch (state) {
      case Name:
        if (c == '"') return {};
        if (c == '=')
          state = BeforeValue;
        else
          name.push_back(c);
        break;
      case BeforeValue:
        if (c == ' ') break;
        if (c == '=') return {};
        value.clear();
        if (c == '"') {
          state = Quoted;
        } else {
          state = Plain;
          value.push_back(c);
        }
        break;
      case Quoted:
      case Plain:
        // A quoted value ends at its quote, a plain one at a blank or quote.
        if (state == Plain && c == '=') return {};
        if (c == '"' || (state == Plain && c == ' ')) {
          if (complete()) return value;
          value.clear();
          state = Name;
        } else {
          value.push_back(c);
        }
        break;
    }
  }
  if (state == BeforeValue) value.clear();
  if (state == Name) value.clear();
  return complete() ? value : std::string();
}

}  // namespace tkz
