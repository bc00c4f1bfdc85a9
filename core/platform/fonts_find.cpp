// Finding fonts: the installed families and the file for a name and style,
// through fontconfig. Names at the API are Windows-1252; fontconfig speaks
// UTF-8, so names are converted on the way in and out.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "core/platform/codepage.h"
#include "core/platform/fonts.h"

namespace tkz {

namespace {

constexpr char kFallbackFamily[] = "DejaVu Sans";
constexpr size_t kMaxCachedLookups = 256;

std::string NameToUtf8(std::string_view name) { return AnsiToUtf8(name); }

// A fontconfig name as Windows-1252; false when it is malformed or holds a
// character the code page lacks (such a name could not be asked for again).
bool NameFromUtf8(const FcChar8* utf8, std::string& out) {
  out.clear();
  const char* s = reinterpret_cast<const char*>(utf8);
  const size_t n = std::char_traits<char>::length(s);
  for (size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(s[i]);
    char32_t cp = 0;
    size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F, len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F, len = 3;
    } else {
      return false;  // four-byte forms lie outside the code page anyway
    }
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    const int byte = Cp1252FromUnicode(cp);
    if (byte < 0) return false;
    out += static_cast<char>(byte);
    i += len;
  }
  return true;
}

std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

struct FindState {
  std::mutex mutex;
  bool fontconfigTried = false;
  bool fontconfigReady = false;
  bool listed = false;
  std::vector<std::string> families;  // first names, sorted, unique
  std::set<std::string> allNames;     // every family name, folded
  std::map<std::pair<std::string, uint32_t>, TFontFace> lookups;
};

// Never destroyed: fonts may be asked for while other statics are torn down.
FindState& State() {
  static auto* state = new FindState;
  return *state;
}

bool FontconfigReady(FindState& s) {
  if (!s.fontconfigTried) {
    s.fontconfigTried = true;
    s.fontconfigReady = FcInit() == FcTrue;
  }
  return s.fontconfigReady;
}

void ListFamilies(FindState& s) {
  if (s.listed || !FontconfigReady(s)) return;
  s.listed = true;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = (pattern && objects) ? FcFontList(nullptr, pattern, objects) : nullptr;
  std::set<std::string> first;
  std::string name;
  for (int f = 0; fonts && f < fonts->nfont; ++f) {
    bool haveFirst = false;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(fonts->fonts[f], FC_FAMILY, i, &value) == FcResultMatch;
         ++i) {
      if (!NameFromUtf8(value, name) || name.empty()) continue;
      if (!haveFirst) first.insert(name), haveFirst = true;
      s.allNames.insert(Folded(name));
    }
  }
  s.families.assign(first.begin(), first.end());
  if (fonts) FcFontSetDestroy(fonts);
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
}

// Whether the face in the file is bold or italic itself. The pattern that
// FcFontMatch returns cannot tell: where the configuration synthesises a
// style, it reports the style asked for. So the installed font is listed by
// file and index and its own weight and slant are read.
void OwnStyle(TFontFace& face) {
  FcPattern* pattern = FcPatternBuild(nullptr, FC_FILE, FcTypeString, face.FileName.c_str(),
                                      FC_INDEX, FcTypeInteger, face.FaceIndex, nullptr);
  FcObjectSet* objects = FcObjectSetBuild(FC_WEIGHT, FC_SLANT, nullptr);
  FcFontSet* fonts = (pattern && objects) ? FcFontList(nullptr, pattern, objects) : nullptr;
  if (fonts && fonts->nfont > 0) {
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(fonts->fonts[0], FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(fonts->fonts[0], FC_SLANT, 0, &slant);
    face.Bold = weight >= FC_WEIGHT_DEMIBOLD;
    face.Italic = slant != FC_SLANT_ROMAN;
  }
  if (fonts) FcFontSetDestroy(fonts);
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
}

TFontFace Match(FindState& s, const std::string& family, bool bold, bool italic) {
  TFontFace face;
  if (!FontconfigReady(s)) return face;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return face;
  const std::string utf8 = NameToUtf8(family);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return face;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    face.FileName = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) face.FaceIndex = index;
    OwnStyle(face);
  }
  FcPatternDestroy(match);
  return face;
}

}  // namespace

std::vector<std::string> InstalledFontFamilies() {
  FindState& s = State();
  std::lock_guard lock(s.mutex);
  ListFamilies(s);
  return s.families;
}

bool FontInstalled(const std::string& family) {
  FindState& s = State();
  std::lock_guard lock(s.mutex);
  ListFamilies(s);
  return s.allNames.count(Folded(family)) > 0;
}

TFontFace FindFontFace(const std::string& family, TFontStyles style) {
  const bool bold = style.Contains(fsBold);
  const bool italic = style.Contains(fsItalic);
  FindState& s = State();
  std::lock_guard lock(s.mutex);
  auto key = std::make_pair(Folded(family), (bold ? 1u : 0u) | (italic ? 2u : 0u));
  if (auto it = s.lookups.find(key); it != s.lookups.end()) return it->second;
  ListFamilies(s);
  const bool installed = s.allNames.count(key.first) > 0;
  TFontFace face = Match(s, installed ? family : std::string(kFallbackFamily), bold, italic);
  if (s.lookups.size() >= kMaxCachedLookups) s.lookups.clear();
  s.lookups.emplace(std::move(key), face);
  return face;
}

std::string FontFileFor(const std::string& family, TFontStyles style) {
  return FindFontFace(family, style).FileName;
}

}  // namespace tkz
