// Landmark symbols: drawing one symbol on a canvas, and TSymbolRepository,
// a list of symbol styles with its own file.
//
// Drawing. (x, y) is the centre and d = Size the half width in pixels, so a
// symbol covers x - d .. x + d (both included). Directions are degrees
// clockwise from north with screen y growing downwards: a point at distance
// r in direction t lies at (x + r sin t, y - r cos t). The pen's colour and
// the brush's colour and style are set for the drawing and put back
// afterwards; the pen's width, style and mode are the caller's.
//
// Symbol file (one symbol a line):
//   <?xml version="1.0"?>
//   (an empty line)
//   <!-- TGeoMap Landmark Repository / TKZ Component Suite -->
//   <lmsymbols sig="Quorvatin" vers="1.0" id="ID">
//     <symbol element="Cross" name=".." category="0" colorfg="00000000"
//             colorbg="000000FF" size="8" transp="FALSE" dir="90" leng="40" />
//   </lmsymbols>
// The reader maps element names as the landmark reader does, so "Plus" and
// "User-Defined" come back as lmCross.
#include <algorithm>
#include <cmath>
#include <new>

#include "core/settings/xmlsettings.h"
#include "core/text/streams.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"
#include "geo/geomap_lmcodec_internal.h"

namespace tkz {

// ----------------------------------------------------------------- drawing

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr int kMaxExtent = 4 * TBitmap::kMaxSide;
constexpr int kMaxPosition = 16 * TBitmap::kMaxSide;

int Round(double v) { return static_cast<int>(std::lround(v)); }

void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

// The plus of half size d, both ends painted.
void PlusShape(TCanvas* c, int x, int y, int d) {
  Line(c, x, y - d, x, y + d + 1);
  Line(c, x - d, y, x + d + 1, y);
}

// The diagonals of the square x - d .. x + d, corners painted.
void DiagonalShape(TCanvas* c, int x, int y, int d) {
  Line(c, x - d, y - d, x + d + 1, y + d + 1);
  Line(c, x + d, y - d, x - d - 1, y + d + 1);
}

// Draws Shape nine times in B around (x, y), shifted by -1..1 pixels, then
// once in F: the symbol keeps a rim of the fill colour on any background.
template <typename Shape>
void WithHalo(TCanvas* c, int x, int y, TColor F, TColor B, bool Transparent, Shape shape) {
  TPen* pen = c->GetPen();
  if (!Transparent) {
    pen->SetColor(B);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) shape(x + dx, y + dy);
  }
  pen->SetColor(F);
  shape(x, y);
}

// The square: a rim in B and a rectangle outlined in F and filled with B,
// or only the outline in F when transparent.
void SquareShape(TCanvas* c, int x, int y, int d, TColor F, TColor B, bool Transparent) {
  TPen* pen = c->GetPen();
  TBrush* brush = c->GetBrush();
  if (Transparent) {
    pen->SetColor(F);
    brush->SetStyle(bsClear);
    c->Rectangle(x - d, y - d, x + d + 1, y + d + 1);
    return;
  }
  pen->SetColor(B);
  brush->SetStyle(bsClear);
  c->Rectangle(x - d, y - d, x + d + 1, y + d + 1);
  pen->SetColor(F);
  brush->SetColor(B);
  brush->SetStyle(bsSolid);
  c->Rectangle(x - d + 1, y - d + 1, x + d, y + d);
}

// A closed shape outlined in F, filled with B unless transparent.
void FilledShape(TCanvas* c, const std::vector<TPoint>& points, TColor F, TColor B,
                 bool Transparent) {
  c->GetPen()->SetColor(F);
  c->GetBrush()->SetColor(B);
  c->GetBrush()->SetStyle(Transparent ? bsClear : bsSolid);
  c->Polygon(points);
}

// An arrow head with its tip at (tx, ty) and legs of length d, 20 degrees
// to either side of the direction Theta (radians): Outward = true for a
// head pointing along Theta (legs running back), false for one pointing
// against it. A triangle filled with B, or two lines when transparent.
void ArrowHead(TCanvas* c, int tx, int ty, int d, double Theta, bool Outward, TColor F, TColor B,
               bool Transparent) {
  const double spread = 20 * kDegToRad;
  const int s = Outward ? 1 : -1;
  const TPoint left{tx - s * Round(d * std::sin(Theta - spread)),
                    ty + s * Round(d * std::cos(Theta - spread))};
  const TPoint right{tx - s * Round(d * std::sin(Theta + spread)),
                     ty + s * Round(d * std::cos(Theta + spread))};
  if (!Transparent) {
    FilledShape(c, {left, TPoint{tx, ty}, right}, F, B, false);
    return;
  }
  c->GetPen()->SetColor(F);
  Line(c, left.X, left.Y, tx, ty);
  Line(c, right.X, right.Y, tx, ty);
  c->SetPixel(tx, ty, F);
}

}  // namespace

void DrawLandMarkSymbolOnCanvas(TCanvas* Canvas, int x, int y, TLandMarkElement Element, TColor F,
                                TColor B, int Size, int Direction, int Length, bool Transparent) {
  if (Canvas == nullptr) return;
  TCanvas* c = Canvas;
  TPen* pen = c->GetPen();
  TBrush* brush = c->GetBrush();
  const TColor oldPen = pen->GetColor();
  const TColor oldBrush = brush->GetColor();
  const TBrushStyle oldBrushStyle = brush->GetStyle();
  // Positions and sizes from outside data may be anything: limit them far
  // beyond any bitmap (TBitmap::kMaxSide) so that the arithmetic below
  // cannot overflow; what is drawn on a bitmap stays the same.
  x = std::clamp(x, -kMaxPosition, kMaxPosition);
  y = std::clamp(y, -kMaxPosition, kMaxPosition);
  const int d = std::clamp(Size, -kMaxExtent, kMaxExtent);
  Length = std::clamp(Length, -kMaxExtent, kMaxExtent);
  const double theta = (Direction % 360) * kDegToRad;
  // The far end of an arrow's shaft.
  const int u = x + Round(Length * std::sin(theta));
  const int v = y - Round(Length * std::cos(theta));
  switch (Element) {
    case lmPlus:
      WithHalo(c, x, y, F, B, Transparent, [&](int px, int py) { PlusShape(c, px, py, d); });
      break;
    case lmSquare:
      SquareShape(c, x, y, d, F, B, Transparent);
      break;
    case lmTriangle: {
      std::vector<TPoint> corners;
      for (const double phi : {theta, theta + 120 * kDegToRad, theta - 120 * kDegToRad})
        corners.push_back({Round(x + d * std::sin(phi)), Round(y - d * std::cos(phi))});
      FilledShape(c, corners, F, B, Transparent);
      break;
    }
    case lmCircle:
      pen->SetColor(F);
      brush->SetColor(B);
      brush->SetStyle(Transparent ? bsClear : bsSolid);
      c->Ellipse(x - d, y - d, x + d + 1, y + d + 1);
      break;
    case lmArrowFrom:
      pen->SetColor(F);
      Line(c, x, y, u, v);
      ArrowHead(c, u, v, d, theta, true, F, B, Transparent);
      break;
    case lmArrowTo:
      pen->SetColor(F);
      Line(c, u, v, x, y);
      ArrowHead(c, x, y, d, theta, false, F, B, Transparent);
      break;
    case lmCrossBox: {
      SquareShape(c, x, y, d, F, B, Transparent);
      pen->SetColor(F);
      // The diagonals join the corners of the rectangle drawn in F.
      DiagonalShape(c, x, y, Transparent ? d : d - 1);
      break;
    }
    case lmSpade:
      FilledShape(c, {{x, y - d}, {x + d, y}, {x, y + d}, {x - d, y}}, F, B, Transparent);
      break;
    case lmCross:
      WithHalo(c, x, y, F, B, Transparent, [&](int px, int py) { DiagonalShape(c, px, py, d); });
      break;
    case lmUserDef:
      break;  // drawn by the application (OnDrawLandmark)
    default:
      pen->SetColor(F);
      PlusShape(c, x, y, 4);
      break;
  }
  pen->SetColor(oldPen);
  brush->SetColor(oldBrush);
  brush->SetStyle(oldBrushStyle);
}

// ------------------------------------------------------ TSymbolRepository

TSymbol DefaultSymbolRecord() {
  TSymbol s;
  s.Element = lmCross;
  s.Size = 8;
  s.ColorFg = 0;
  s.ColorBg = 255;
  s.Transparent = false;
  s.Direction = 90;
  s.Length = 40;
  s.Name.clear();
  s.Category = 0;
  return s;
}

namespace {

// The stored form: the name cut to its capacity.
TSymbol StoredSymbol(const TSymbol& Value) {
  TSymbol s = Value;
  if (s.Name.size() > kSymbolNameLength) s.Name.resize(kSymbolNameLength);
  return s;
}

[[noreturn]] void RaiseNoMemory(const TSymbolRepository& r) {
  throw ETKZGeoMapError("Component \"" + r.GetName() + "\": insufficient memory");
}

}  // namespace

TSymbolRepository::TSymbolRepository(TComponent* AOwner)
    : TComponent(AOwner), entries_(kLandMarkBlock, DefaultSymbolRecord()) {}

void TSymbolRepository::SetNEntries(int n) {
  if (n < 0) return;
  try {
    entries_.resize(static_cast<size_t>(n), DefaultSymbolRecord());
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(*this);
  } catch (const std::length_error&) {
    RaiseNoMemory(*this);
  }
  count_ = n;
}

TSymbol TSymbolRepository::GetValues(int Number) const {
  if (Number < 1 || Number > count_) return DefaultSymbolRecord();
  return entries_[static_cast<size_t>(Number - 1)];
}

void TSymbolRepository::SetValues(int Number, const TSymbol& Value) {
  if (Number < 1 || Number > count_) return;
  entries_[static_cast<size_t>(Number - 1)] = StoredSymbol(Value);
}

void TSymbolRepository::Clear() {
  for (TSymbol& s : entries_) s = DefaultSymbolRecord();
}

void TSymbolRepository::Backup() {
  backup_ = entries_;
  backupCount_ = count_;
}

void TSymbolRepository::Restore() {
  entries_ = backup_;
  count_ = backupCount_;
}

void TSymbolRepository::Assign(const TPersistent* Source) {
  const auto* other = dynamic_cast<const TSymbolRepository*>(Source);
  if (other == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (other == this) return;
  count_ = other->count_;
  backupCount_ = other->backupCount_;
  entries_ = other->entries_;
  backup_ = other->backup_;
}

void TSymbolRepository::AssignTo(TPersistent* Dest) const {
  auto* other = dynamic_cast<TSymbolRepository*>(Dest);
  if (other == nullptr) {
    TComponent::AssignTo(Dest);
    return;
  }
  other->Assign(this);
}

void TSymbolRepository::StoreOnFile(const std::string& FileName, const std::string& ID) const {
  using namespace geomap_internal;
  ReplaceTextFile(FileName, [&](TTextFile& F) {
    F.WriteLn("<?xml version=\"1.0\"?>");
    F.WriteLn("");
    F.WriteLn("<!-- TGeoMap Landmark Repository / TKZ Component Suite -->");
    F.WriteLn("<lmsymbols sig=\"Quorvatin\" vers=\"1.0\" id=\"" + EscapeXMLAttribute(ID) + "\">");
    for (int i = 0; i < count_; ++i) {
      const TSymbol& s = entries_[static_cast<size_t>(i)];
      const size_t element = s.Element < LandMarkElementNames.size() ? s.Element : lmCross;
      F.WriteLn("  <symbol element=\"" + LandMarkElementNames[element] + "\" name=\"" +
                EscapeXMLAttribute(s.Name) + "\" category=\"" + std::to_string(s.Category) +
                "\" colorfg=\"" + LMColorStr(s.ColorFg) + "\" colorbg=\"" + LMColorStr(s.ColorBg) +
                "\" size=\"" + std::to_string(s.Size) + "\" transp=\"" + LMBoolStr(s.Transparent) +
                "\" dir=\"" + std::to_string(s.Direction) + "\" leng=\"" +
                std::to_string(s.Length) + "\" />");
    }
    F.WriteLn("</lmsymbols>");
  });
}

bool TSymbolRepository::ReadFromOpenXMLFile(TTextFile& F, const std::string& ID) {
  using namespace geomap_internal;
  if (!FindLMBlock(F, "lmsymbols", ID)) return false;
  count_ = 0;
  std::vector<TSymbol>(kLandMarkBlock, DefaultSymbolRecord()).swap(entries_);
  std::string a, contents;
  while (!F.Eof()) {
    const int tag = ReadNextTagInTextFile(F, kTags, a, contents);
    // The list ends at its own closing tag too (see the landmark reader).
    if (tag == kTagGeoMapEnd || tag == kTagSymbolsEnd) break;
    if (tag != kTagSymbol) continue;
    const auto get = [&a](const char* name) { return ScanForXMLAttrib(a, name); };
    TSymbol s = DefaultSymbolRecord();
    ReadSymbolStyle(a, s);
    s.Name = UnescapeXMLText(get("name")).substr(0, kSymbolNameLength);
    s.Category = LMStrToInt(get("category"), s.Category);
    if (count_ >= static_cast<int>(entries_.size())) {
      try {
        entries_.resize(entries_.size() + kLandMarkBlock, DefaultSymbolRecord());
      } catch (const std::bad_alloc&) {
        RaiseNoMemory(*this);
      }
    }
    entries_[static_cast<size_t>(count_)] = s;
    ++count_;
  }
  return true;
}

bool TSymbolRepository::LoadFromFile(const std::string& FileName, const std::string& ID) {
  TTextFile F;
  F.AssignFile(FileName);
  F.Reset();
  const bool found = ReadFromOpenXMLFile(F, ID);
  F.CloseFile();
  return found;
}

}  // namespace tkz
