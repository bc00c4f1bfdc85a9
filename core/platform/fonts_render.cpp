// Measuring and rasterising text with FreeType.
//
// One FreeType library serves the process. Open faces are kept by (file,
// index); a "strike" is a face at one em height with one kind of synthesis
// (thickened, slanted). A strike knows its metrics, the glyph and whole-pixel
// advance of each of the 256 text bytes, and the rendered glyphs of unturned
// and quarter-turned text, so drawing the same text again renders nothing.
// Glyphs of text turned by other angles sit at fractional pen positions; they
// are kept by angle and position inside the pixel, so text drawn again at the
// same angle renders nothing either.
//
// Glyphs are loaded hinted (FT_LOAD_DEFAULT) and untransformed; the outline is
// then slanted, thickened and turned by our own transforms (in that order) and
// rendered anti-aliased. Bars (underline, strike-out) are filled as turned
// rectangles with exact horizontal coverage and four samples down each pixel.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "core/platform/fonts.h"
#include "core/platform/fonts_internal.h"

namespace tkz {

namespace {

constexpr char kFallbackFamily[] = "DejaVu Sans";
constexpr size_t kMaxFaces = 32;
constexpr size_t kMaxStrikes = 64;
constexpr size_t kMaxGlyphCacheBytes = size_t{32} << 20;
constexpr size_t kMaxCachedGlyphBytes = size_t{1} << 20;  // larger glyphs are not kept
constexpr FT_Fixed kSlantShear = 0x3333;                  // 0.2 in 16.16: synthetic italic

// A rendered glyph: coverage rows and the offset of its top-left pixel from
// the pixel of the glyph's origin (device directions, y down).
struct GlyphImage {
  int32_t dx = 0;
  int32_t dy = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

// The direction of the text: the baseline runs along (c, -s) on the device
// and "down" in the text is (s, c). quarter is 0..3 for multiples of 90
// degrees, whose glyph origins are whole pixels, and -1 otherwise.
struct Turn {
  double c = 1;
  double s = 0;
  int quarter = 0;
  int tenths = 0;  // the angle, 0..3599 tenths of a degree
};

Turn TurnOf(int orientation) {
  Turn t;
  orientation %= 3600;
  if (orientation < 0) orientation += 3600;
  t.tenths = orientation;
  if (orientation % 900 == 0) {
    static constexpr int kCos[4] = {1, 0, -1, 0};
    static constexpr int kSin[4] = {0, 1, 0, -1};
    t.quarter = orientation / 900;
    t.c = kCos[t.quarter];
    t.s = kSin[t.quarter];
  } else {
    const double a = orientation * (3.14159265358979323846 / 1800.0);
    t.c = std::cos(a);
    t.s = std::sin(a);
    t.quarter = -1;
  }
  return t;
}

struct Face {
  FT_Face ft = nullptr;
  int id = 0;
  bool symbolMap = false;  // only a symbol charmap: bytes map to U+F000 + byte
};

// A glyph of text turned by an angle other than a quarter turn: the byte, the
// angle and where its origin falls inside the pixel (the image depends on all
// of them).
struct TurnedGlyphKey {
  int tenths;
  unsigned char byte;
  double fx, fy;
  bool operator==(const TurnedGlyphKey&) const = default;
};

struct TurnedGlyphKeyHash {
  size_t operator()(const TurnedGlyphKey& k) const {
    uint64_t h = (static_cast<uint64_t>(k.tenths) << 8) | k.byte;
    for (double v : {k.fx, k.fy}) h = (h ^ std::bit_cast<uint64_t>(v)) * 0x100000001B3ull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// What a turned glyph costs besides its pixels: the image record and the
// table's node.
constexpr size_t kTurnedEntryBytes = sizeof(GlyphImage) + 64;

struct Strike {
  Face* face = nullptr;
  FT_Size size = nullptr;
  int em = 0;
  bool embolden = false;
  bool slant = false;
  FT_Pos emboldenStrength = 0;  // 26.6, whole pixels
  TFontMetrics metrics;
  int underlineTop = 0;  // rows below the baseline (0 = first row under it)
  int strikeOutTop = 0;  // the same, negative above the baseline
  int barThickness = 1;
  FT_UInt glyph[256] = {};
  int advance[256];
  std::shared_ptr<const GlyphImage> images[4][256];
  std::unordered_map<TurnedGlyphKey, std::shared_ptr<const GlyphImage>, TurnedGlyphKeyHash> turned;

  Strike() { std::fill(std::begin(advance), std::end(advance), -1); }
  ~Strike() {
    if (size) FT_Done_Size(size);
  }
  Strike(const Strike&) = delete;
  Strike& operator=(const Strike&) = delete;
};

// A glyph image at its place in a text's mask.
struct Placed {
  std::shared_ptr<const GlyphImage> image;
  int64_t x;
  int64_t y;
};

struct RenderState {
  std::mutex mutex;
  FT_Library library = nullptr;
  int nextFaceId = 1;
  std::map<std::pair<std::string, int>, Face> faces;
  std::map<std::tuple<int, int, int>, std::unique_ptr<Strike>> strikes;
  size_t glyphBytes = 0;
  // The strike of the previous call, for drawing with one font repeatedly.
  std::string lastName;
  uint32_t lastStyle = 0;
  int lastEm = 0;
  Strike* lastStrike = nullptr;
  std::vector<Placed> placed;  // the glyphs of the text being put together
};

// Never destroyed: text may be measured while other statics are torn down.
RenderState& State() {
  static auto* state = new RenderState;
  return *state;
}

FT_Library Library(RenderState& st) {
  if (!st.library && FT_Init_FreeType(&st.library) != 0) {
    st.library = nullptr;
    throw EInvalidGraphic("The FreeType library cannot be initialised");
  }
  return st.library;
}

void DropStrikes(RenderState& st) {
  st.strikes.clear();
  st.glyphBytes = 0;
  st.lastStrike = nullptr;
}

Face* OpenFace(RenderState& st, const TFontFace& ff) {
  if (ff.FileName.empty()) return nullptr;
  auto key = std::make_pair(ff.FileName, ff.FaceIndex);
  if (auto it = st.faces.find(key); it != st.faces.end()) return &it->second;
  FT_Face ft = nullptr;
  if (FT_New_Face(Library(st), ff.FileName.c_str(), ff.FaceIndex, &ft) != 0) return nullptr;
  if (st.faces.size() >= kMaxFaces) {
    DropStrikes(st);
    for (auto& [k, f] : st.faces) FT_Done_Face(f.ft);
    st.faces.clear();
  }
  Face face;
  face.ft = ft;
  face.id = st.nextFaceId++;
  if (!ft->charmap || ft->charmap->encoding != FT_ENCODING_UNICODE) {
    face.symbolMap = FT_Select_Charmap(ft, FT_ENCODING_MS_SYMBOL) == 0;
  }
  return &st.faces.emplace(std::move(key), face).first->second;
}

int CeilPixels(FT_Pos v) { return static_cast<int>((std::max<FT_Pos>(v, 0) + 63) >> 6); }

// Selects the size of a strike on its face: the em height for outline fonts,
// the nearest strike of a bitmap-only font.
bool SizeFace(Strike& s) {
  FT_Face f = s.face->ft;
  if (FT_New_Size(f, &s.size) != 0 || FT_Activate_Size(s.size) != 0) return false;
  if (FT_IS_SCALABLE(f)) return FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(s.em)) == 0;
  if (f->num_fixed_sizes <= 0) return false;
  int best = 0;
  for (int i = 1; i < f->num_fixed_sizes; ++i) {
    if (std::abs(f->available_sizes[i].y_ppem - s.em * 64) <
        std::abs(f->available_sizes[best].y_ppem - s.em * 64)) {
      best = i;
    }
  }
  return FT_Select_Size(f, best) == 0;
}

void ComputeMetrics(Strike& s) {
  FT_Face f = s.face->ft;
  const FT_Size_Metrics& m = f->size->metrics;
  TFontMetrics& r = s.metrics;
  int em = (m.y_ppem > 0) ? m.y_ppem : s.em;
  double scale = 0;  // pixels per font unit
  if (FT_IS_SCALABLE(f)) {
    FT_Long ascender = f->ascender;
    FT_Long descender = -f->descender;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      ascender = os2->usWinAscent;
      descender = os2->usWinDescent;
    }
    r.Ascent = CeilPixels(FT_MulFix(ascender, m.y_scale));
    r.Descent = CeilPixels(FT_MulFix(descender, m.y_scale));
    scale = static_cast<double>(s.em) / std::max<FT_UShort>(f->units_per_EM, 1);
    em = s.em;
  } else {
    r.Ascent = CeilPixels(m.ascender);
    r.Descent = CeilPixels(-m.descender);
  }
  r.Height = r.Ascent + r.Descent;
  r.InternalLeading = r.Height - em;

  // Bars: the face's underline (position is the centre of the stroke), and a
  // strike-out of the same thickness centred at half the x-height.
  double thick = scale * f->underline_thickness;
  double underCentre = -scale * f->underline_position;
  double xHeight = 0;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
      os2 && os2->version != 0xFFFF && os2->version >= 2 && os2->sxHeight > 0) {
    xHeight = scale * os2->sxHeight;
  }
  if (thick <= 0) thick = em / 14.0;
  if (underCentre <= 0) underCentre = em / 10.0;
  if (xHeight <= 0) xHeight = r.Ascent * 0.5;
  s.barThickness = std::max(1, static_cast<int>(std::lround(thick)));
  int under = static_cast<int>(std::lround(underCentre - s.barThickness / 2.0));
  under = std::min(under, r.Descent - s.barThickness);  // keep it inside the cell
  s.underlineTop = std::max(under, 0);
  s.strikeOutTop = -static_cast<int>(std::lround(xHeight / 2 + s.barThickness / 2.0));
}

FT_UInt GlyphOfByte(const Face& face, unsigned char b) {
  const char32_t cp = Cp1252ToUnicode(b);
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return 0;  // controls: the missing-glyph box
  if (face.symbolMap) return FT_Get_Char_Index(face.ft, 0xF000 + b);
  return FT_Get_Char_Index(face.ft, cp);
}

std::unique_ptr<Strike> MakeStrike(Face* face, int em, bool embolden, bool slant) {
  auto s = std::make_unique<Strike>();
  s->face = face;
  s->em = em;
  s->embolden = embolden;
  s->slant = slant;
  if (!SizeFace(*s)) return nullptr;
  if (embolden) s->emboldenStrength = std::max<FT_Pos>(64, ((em * 64 / 24) + 32) & ~63);
  for (int b = 0; b < 256; ++b) s->glyph[b] = GlyphOfByte(*face, static_cast<unsigned char>(b));
  ComputeMetrics(*s);
  return s;
}

Strike* StrikeFor(RenderState& st, const TFont& font) {
  const int em = std::clamp(font.GetHeight(), 1, kMaxEmPixels);
  const uint32_t style = font.GetStyle().Bits();
  if (st.lastStrike && st.lastEm == em && st.lastStyle == style && st.lastName == font.GetName()) {
    return st.lastStrike;
  }
  TFontFace ff = FindFontFace(font.GetName(), font.GetStyle());
  Face* face = OpenFace(st, ff);
  if (!face) {
    ff = FindFontFace(kFallbackFamily, font.GetStyle());
    face = OpenFace(st, ff);
  }
  if (!face) {
    throw EInvalidGraphic(
        "No font file can be opened for \"" + font.GetName() + "\"" +
        (ff.FileName.empty() ? std::string(" (no fonts installed)") : " (" + ff.FileName + ")"));
  }
  const bool embolden = font.GetStyle().Contains(fsBold) && !ff.Bold;
  const bool slant = font.GetStyle().Contains(fsItalic) && !ff.Italic;
  const auto key = std::make_tuple(face->id, em, (embolden ? 1 : 0) | (slant ? 2 : 0));
  auto it = st.strikes.find(key);
  if (it == st.strikes.end()) {
    auto strike = MakeStrike(face, em, embolden, slant);
    if (!strike) {
      throw EInvalidGraphic("The font \"" + ff.FileName + "\" cannot be set to " +
                            std::to_string(em) + " pixels");
    }
    if (st.strikes.size() >= kMaxStrikes) DropStrikes(st);
    it = st.strikes.emplace(key, std::move(strike)).first;
  }
  st.lastName = font.GetName();
  st.lastStyle = style;
  st.lastEm = em;
  st.lastStrike = it->second.get();
  return st.lastStrike;
}

// Loads the glyph of a byte into the face's slot, hinted, slanted and
// thickened as the strike asks. False when the face has nothing to show.
bool LoadGlyph(Strike& s, unsigned char b) {
  FT_Face f = s.face->ft;
  if (FT_Activate_Size(s.size) != 0) return false;
  if (FT_Load_Glyph(f, s.glyph[b], FT_LOAD_DEFAULT) != 0 &&
      (s.glyph[b] == 0 || FT_Load_Glyph(f, 0, FT_LOAD_DEFAULT) != 0)) {
    return false;
  }
  FT_GlyphSlot slot = f->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (s.slant) {
      FT_Matrix shear{0x10000, kSlantShear, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
    if (s.embolden) {
      // Thicker to the right only, so the left side bearing stays.
      FT_Outline_EmboldenXY(&slot->outline, s.emboldenStrength, 0);
      FT_Outline_Translate(&slot->outline, s.emboldenStrength / 2, 0);
    }
  }
  return true;
}

int Advance(Strike& s, unsigned char b) {
  if (s.advance[b] >= 0) return s.advance[b];
  int adv = 0;
  if (LoadGlyph(s, b)) {
    FT_GlyphSlot slot = s.face->ft->glyph;
    adv = static_cast<int>((std::max<FT_Pos>(slot->advance.x, 0) + 32) >> 6);
    if (s.embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      adv += static_cast<int>(s.emboldenStrength >> 6);
    }
  }
  s.advance[b] = adv;
  return adv;
}

// Copies the slot's bitmap (grey or one-bit) into a glyph image.
void TakeBitmap(FT_GlyphSlot slot, GlyphImage& img) {
  const FT_Bitmap& bm = slot->bitmap;
  img.dx = slot->bitmap_left;
  img.dy = -slot->bitmap_top;
  img.width = static_cast<int32_t>(bm.width);
  img.height = static_cast<int32_t>(bm.rows);
  img.pixels.assign(static_cast<size_t>(img.width) * img.height, 0);
  for (int32_t y = 0; y < img.height; ++y) {
    const int row = bm.pitch >= 0 ? y : img.height - 1 - y;
    const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * std::abs(bm.pitch);
    uint8_t* dst = img.pixels.data() + static_cast<size_t>(y) * img.width;
    for (int32_t x = 0; x < img.width; ++x) {
      switch (bm.pixel_mode) {
        case FT_PIXEL_MODE_GRAY:
          dst[x] = static_cast<uint8_t>(
              bm.num_grays == 256 ? src[x] : src[x] * 255 / std::max(bm.num_grays - 1, 1));
          break;
        case FT_PIXEL_MODE_MONO:
          dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
          break;
        case FT_PIXEL_MODE_BGRA:
          dst[x] = src[4 * x + 3];
          break;
        default:
          break;
      }
    }
  }
}

// Turns a bitmap glyph (faces without outlines) by sampling the nearest
// source pixel under each target pixel centre; frac is the fractional part of
// the origin (device directions).
GlyphImage TurnBitmap(const GlyphImage& src, const Turn& t, double fx, double fy) {
  GlyphImage out;
  if (src.width == 0 || src.height == 0) return out;
  // Corners of the source in text space relative to the origin, turned.
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int k = 0; k < 4; ++k) {
    const double u = src.dx + ((k & 1) ? src.width : 0);
    const double v = src.dy + ((k & 2) ? src.height : 0);
    const double x = u * t.c + v * t.s + fx, y = -u * t.s + v * t.c + fy;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  out.dx = static_cast<int32_t>(std::floor(minX));
  out.dy = static_cast<int32_t>(std::floor(minY));
  out.width = static_cast<int32_t>(std::ceil(maxX)) - out.dx;
  out.height = static_cast<int32_t>(std::ceil(maxY)) - out.dy;
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  for (int32_t y = 0; y < out.height; ++y) {
    for (int32_t x = 0; x < out.width; ++x) {
      const double X = out.dx + x + 0.5 - fx, Y = out.dy + y + 0.5 - fy;
      const auto u = static_cast<int32_t>(std::floor(X * t.c - Y * t.s)) - src.dx;
      const auto v = static_cast<int32_t>(std::floor(X * t.s + Y * t.c)) - src.dy;
      if (u >= 0 && v >= 0 && u < src.width && v < src.height) {
        out.pixels[static_cast<size_t>(y) * out.width + x] =
            src.pixels[static_cast<size_t>(v) * src.width + u];
      }
    }
  }
  return out;
}

// Renders the glyph of a byte turned by t, its origin (fx, fy) pixels right of
// and below the origin pixel's corner (0 <= fx, fy < 1).
GlyphImage RenderGlyph(Strike& s, unsigned char b, const Turn& t, double fx, double fy) {
  GlyphImage img;
  if (!LoadGlyph(s, b)) return img;
  FT_GlyphSlot slot = s.face->ft->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (t.quarter != 0) {
      const auto c = static_cast<FT_Fixed>(std::lround(t.c * 65536.0));
      const auto sn = static_cast<FT_Fixed>(std::lround(t.s * 65536.0));
      FT_Matrix turn{c, -sn, sn, c};
      FT_Outline_Transform(&slot->outline, &turn);
    }
    // FreeType's y axis points up: a pen fy below the corner is at -fy.
    FT_Outline_Translate(&slot->outline, std::lround(fx * 64), -std::lround(fy * 64));
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return img;
    TakeBitmap(slot, img);
    return img;
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 && slot->format != FT_GLYPH_FORMAT_BITMAP) {
    return img;
  }
  TakeBitmap(slot, img);
  if (t.quarter != 0 || fx != 0 || fy != 0) img = TurnBitmap(img, t, fx, fy);
  return img;
}

// The glyph image of a byte turned by t with its origin (fx, fy) inside the
// pixel (both 0 for unturned and quarter-turned text), from the strike's
// cache. Images are shared: emptying the cache while a text is being put
// together leaves the glyphs it already holds intact.
std::shared_ptr<const GlyphImage> CachedGlyph(RenderState& st, Strike& s, unsigned char b,
                                              const Turn& t, double fx, double fy) {
  const TurnedGlyphKey key{t.tenths, b, fx, fy};
  if (t.quarter >= 0) {
    if (const auto& slot = s.images[t.quarter][b]) return slot;
  } else if (auto it = s.turned.find(key); it != s.turned.end()) {
    return it->second;
  }
  auto img = std::make_shared<const GlyphImage>(RenderGlyph(s, b, t, fx, fy));
  const size_t bytes =
      img->pixels.size() + (t.quarter >= 0 ? sizeof(GlyphImage) : kTurnedEntryBytes);
  if (bytes > kMaxCachedGlyphBytes) return img;  // too large to keep
  if (st.glyphBytes + bytes > kMaxGlyphCacheBytes) {
    for (auto& [k, strike] : st.strikes) {
      for (auto& q : strike->images) {
        for (auto& g : q) g.reset();
      }
      strike->turned.clear();
    }
    st.glyphBytes = 0;
  }
  st.glyphBytes += bytes;
  if (t.quarter >= 0) {
    s.images[t.quarter][b] = img;
  } else {
    s.turned.emplace(key, img);
  }
  return img;
}

// ------------------------------------------------------------------- masks

struct Box {
  int64_t left = std::numeric_limits<int64_t>::max();
  int64_t top = std::numeric_limits<int64_t>::max();
  int64_t right = std::numeric_limits<int64_t>::min();
  int64_t bottom = std::numeric_limits<int64_t>::min();
  bool Empty() const { return right <= left || bottom <= top; }
  void Add(int64_t l, int64_t t, int64_t r, int64_t b) {
    if (r <= l || b <= t) return;
    left = std::min(left, l), top = std::min(top, t);
    right = std::max(right, r), bottom = std::max(bottom, b);
  }
  Box Intersect(const Box& o) const {
    Box r;
    r.left = std::max(left, o.left), r.top = std::max(top, o.top);
    r.right = std::min(right, o.right), r.bottom = std::min(bottom, o.bottom);
    return r;
  }
  bool Overlaps(const Box& o) const { return !Intersect(o).Empty(); }
  int64_t Area() const {  // saturates
    if (Empty()) return 0;
    const int64_t w = right - left, h = bottom - top;
    return h > std::numeric_limits<int64_t>::max() / w ? std::numeric_limits<int64_t>::max()
                                                       : w * h;
  }
};

// The device box around a text-space rectangle u0..u1 along the baseline and
// v0..v1 down from the top of the cell.
Box TurnedBox(const Turn& t, double u0, double v0, double u1, double v1) {
  if (t.quarter == 0) {  // whole or unturned: no rounding (and no calls of floor)
    Box b;
    b.left = static_cast<int64_t>(u0), b.right = static_cast<int64_t>(u1);
    b.top = static_cast<int64_t>(v0), b.bottom = static_cast<int64_t>(v1);
    if (u0 <= u1 && v0 <= v1 && b.left == u0 && b.right == u1 && b.top == v0 && b.bottom == v1) {
      return b;
    }
  }
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int k = 0; k < 4; ++k) {
    const double u = (k & 1) ? u1 : u0, v = (k & 2) ? v1 : v0;
    const double x = u * t.c + v * t.s, y = -u * t.s + v * t.c;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  Box b;
  b.left = static_cast<int64_t>(std::floor(minX)), b.right = static_cast<int64_t>(std::ceil(maxX));
  b.top = static_cast<int64_t>(std::floor(minY)), b.bottom = static_cast<int64_t>(std::ceil(maxY));
  return b;
}

void BlitMax(TGlyphMask& mask, const GlyphImage& img, int64_t x0, int64_t y0) {
  const int64_t xs = std::max<int64_t>(x0, mask.Left);
  const int64_t xe = std::min<int64_t>(x0 + img.width, int64_t{mask.Left} + mask.Width);
  const int64_t ys = std::max<int64_t>(y0, mask.Top);
  const int64_t ye = std::min<int64_t>(y0 + img.height, int64_t{mask.Top} + mask.Height);
  for (int64_t y = ys; y < ye; ++y) {
    const uint8_t* src = img.pixels.data() + (y - y0) * img.width + (xs - x0);
    uint8_t* dst = mask.Coverage.data() + (y - mask.Top) * mask.Width + (xs - mask.Left);
    int64_t n = xe - xs;
#if defined(__SSE2__)
    // Glyph rows are short: eight bytes at a time catches most of them.
    for (; n >= 8; n -= 8, src += 8, dst += 8) {
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_max_epu8(a, b));
    }
    if (n >= 4) {
      uint32_t a, b;
      std::memcpy(&a, src, 4);
      std::memcpy(&b, dst, 4);
      const __m128i m = _mm_max_epu8(_mm_cvtsi32_si128(static_cast<int>(a)),
                                     _mm_cvtsi32_si128(static_cast<int>(b)));
      a = static_cast<uint32_t>(_mm_cvtsi128_si32(m));
      std::memcpy(dst, &a, 4);
      n -= 4, src += 4, dst += 4;
    }
#endif
    for (; n > 0; --n, ++src, ++dst) *dst = std::max(*dst, *src);
  }
}

// Fills the text-space rectangle u0..u1 x v0..v1, turned, into the mask:
// four sample rows per pixel, each covering the pixels by exact overlap.
void FillTurnedRect(TGlyphMask& mask, const Turn& t, double u0, double v0, double u1, double v1) {
  double px[4], py[4];
  const double us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
  for (int k = 0; k < 4; ++k) {
    px[k] = us[k] * t.c + vs[k] * t.s - mask.Left;
    py[k] = -us[k] * t.s + vs[k] * t.c - mask.Top;
  }
  // Held to the mask before converting: the bar of a long clipped text may lie
  // far outside the int range.
  const double minY = std::max(0.0, std::min({py[0], py[1], py[2], py[3]}));
  const double maxY = std::min<double>(mask.Height, std::max({py[0], py[1], py[2], py[3]}));
  if (maxY <= minY) return;
  const int y0 = static_cast<int>(std::floor(minY)), y1 = static_cast<int>(std::ceil(maxY));
  std::vector<float> acc(static_cast<size_t>(mask.Width));
  for (int y = y0; y < y1; ++y) {
    int lo = mask.Width, hi = 0;
    for (int sub = 0; sub < 4; ++sub) {
      const double sy = y + (sub + 0.5) / 4;
      double xl = 1e300, xr = -1e300;
      for (int k = 0; k < 4; ++k) {  // the edges crossing this sample row
        const int j = (k + 1) & 3;
        if ((py[k] <= sy) == (py[j] <= sy)) continue;
        const double x = px[k] + (sy - py[k]) * (px[j] - px[k]) / (py[j] - py[k]);
        xl = std::min(xl, x), xr = std::max(xr, x);
      }
      xl = std::max(xl, 0.0), xr = std::min(xr, static_cast<double>(mask.Width));
      if (xr <= xl) continue;
      const int a = static_cast<int>(std::floor(xl)), b = static_cast<int>(std::ceil(xr));
      for (int x = a; x < b; ++x) {
        acc[x] += static_cast<float>((std::min(xr, x + 1.0) - std::max(xl, double(x))) / 4);
      }
      lo = std::min(lo, a), hi = std::max(hi, b);
    }
    uint8_t* row = mask.Coverage.data() + static_cast<size_t>(y) * mask.Width;
    for (int x = lo; x < hi; ++x) {
      const auto v = static_cast<uint8_t>(std::lround(std::min(acc[x], 1.0f) * 255));
      row[x] = std::max(row[x], v);
      acc[x] = 0;
    }
  }
}

// Puts the mask of the text together in mask, reusing its storage, and
// returns the advance width of the text (saturated as MeasureText's).
int Render(const TFont& font, std::string_view text, const Box& clip, int64_t limit,
           TGlyphMask& mask) {
  RenderState& st = State();
  std::lock_guard lock(st.mutex);
  Strike& s = *StrikeFor(st, font);
  mask.Left = mask.Top = mask.Width = mask.Height = 0;
  mask.Coverage.clear();
  int64_t total = 0;
  for (char c : text) total += Advance(s, static_cast<unsigned char>(c));
  const int width = static_cast<int>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
  if (text.empty() || clip.Empty()) return width;
  const Turn t = TurnOf(font.GetOrientation());
  const TFontMetrics& m = s.metrics;
  const double margin = s.em;  // glyph ink stays this close to its cell

  const Box estimate =
      TurnedBox(t, -margin, -margin, static_cast<double>(total) + margin, m.Height + margin)
          .Intersect(clip);
  if (estimate.Area() > limit) {
    throw EInvalidGraphic("Text of " + std::to_string(text.size()) + " characters at " +
                          std::to_string(s.em) + " pixels would need a mask of more than " +
                          std::to_string(limit) + " pixels");
  }

  // Glyphs at their pen positions on the turned baseline; those wholly outside
  // the clip are passed over.
  std::vector<Placed>& placed = st.placed;
  placed.clear();
  Box ink;
  int64_t pen = 0;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const int adv = Advance(s, b);
    const double u = static_cast<double>(pen);
    pen += adv;
    if (!TurnedBox(t, u - margin, -margin, u + adv + margin, m.Height + margin).Overlaps(clip)) {
      continue;
    }
    const double ox = u * t.c + m.Ascent * t.s, oy = -u * t.s + m.Ascent * t.c;
    // Quarter turns put every origin on a whole pixel.
    const double ix = t.quarter >= 0 ? ox : std::floor(ox);
    const double iy = t.quarter >= 0 ? oy : std::floor(oy);
    auto img = CachedGlyph(st, s, b, t, ox - ix, oy - iy);
    if (img->width == 0 || img->height == 0) continue;
    const auto x = static_cast<int64_t>(ix) + img->dx, y = static_cast<int64_t>(iy) + img->dy;
    ink.Add(x, y, x + img->width, y + img->height);
    placed.push_back({std::move(img), x, y});
  }

  // Bars across the whole advance width, as (top, bottom) down from the cell top.
  std::vector<std::pair<double, double>> bars;
  if (font.GetStyle().Contains(fsUnderline)) {
    const double top = m.Ascent + s.underlineTop;
    bars.emplace_back(top, top + s.barThickness);
  }
  if (font.GetStyle().Contains(fsStrikeOut)) {
    const double top = m.Ascent + s.strikeOutTop;
    bars.emplace_back(top, top + s.barThickness);
  }
  for (const auto& [top, bottom] : bars) {
    const Box b = TurnedBox(t, 0, top, static_cast<double>(total), bottom);
    ink.Add(b.left, b.top, b.right, b.bottom);
  }

  const Box area = ink.Intersect(clip);
  if (area.Empty()) {
    placed.clear();
    return width;
  }
  if (area.Area() > limit) {
    throw EInvalidGraphic("Text of " + std::to_string(text.size()) +
                          " characters would need a mask of more than " + std::to_string(limit) +
                          " pixels");
  }
  mask.Left = static_cast<int32_t>(area.left);
  mask.Top = static_cast<int32_t>(area.top);
  mask.Width = static_cast<int32_t>(area.right - area.left);
  mask.Height = static_cast<int32_t>(area.bottom - area.top);
  mask.Coverage.assign(static_cast<size_t>(area.Area()), 0);
  for (const Placed& p : placed) BlitMax(mask, *p.image, p.x, p.y);
  placed.clear();  // the glyphs go back to the cache alone
  for (const auto& [top, bottom] : bars) {
    FillTurnedRect(mask, t, 0, top, static_cast<double>(total), bottom);
  }
  return width;
}

Box WholePlane() {
  Box b;
  b.left = b.top = std::numeric_limits<int32_t>::min();
  b.right = b.bottom = std::numeric_limits<int32_t>::max();
  return b;
}

}  // namespace

bool FontFileIsTrueType(const std::string& fileName) {
  RenderState& st = State();
  std::lock_guard lock(st.mutex);
  FT_Face face = nullptr;
  if (fileName.empty() || FT_New_Face(Library(st), fileName.c_str(), 0, &face) != 0) return false;
  FT_ULong length = 0;
  const bool glyf = FT_IS_SFNT(face) &&
                    FT_Load_Sfnt_Table(face, TTAG_glyf, 0, nullptr, &length) == 0 && length > 0;
  FT_Done_Face(face);
  return glyf;
}

TFontMetrics GetFontMetrics(const TFont& font) {
  RenderState& st = State();
  std::lock_guard lock(st.mutex);
  Strike& s = *StrikeFor(st, font);
  TFontMetrics m = s.metrics;
  m.AveCharWidth = Advance(s, 'x');
  return m;
}

int MeasureText(const TFont& font, std::string_view text) {
  RenderState& st = State();
  std::lock_guard lock(st.mutex);
  Strike& s = *StrikeFor(st, font);
  int64_t total = 0;
  for (char c : text) {
    total += Advance(s, static_cast<unsigned char>(c));
    if (total > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int>(total);
}

TGlyphMask RenderText(const TFont& font, std::string_view text) {
  TGlyphMask mask;
  Render(font, text, WholePlane(), kMaxTextMaskPixels, mask);
  return mask;
}

TGlyphMask RenderText(const TFont& font, std::string_view text, const TRect& clip) {
  TGlyphMask mask;
  RenderTextInto(font, text, clip, mask);
  return mask;
}

int RenderTextInto(const TFont& font, std::string_view text, const TRect& clip, TGlyphMask& mask) {
  Box b;
  b.left = clip.Left, b.top = clip.Top, b.right = clip.Right, b.bottom = clip.Bottom;
  return Render(font, text, b, TBitmap::kMaxPixels, mask);
}

}  // namespace tkz
