// TChemGraph: drawing a structure with a given transform: bonds (stopping
// at the label boxes of their atoms, multiple bonds as offset lines), atom
// labels with their hydrogens and charges, colours and text attributes.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "chem/cdata.h"
#include "chem/chemgrph.h"

namespace tkz {

namespace {

constexpr int kCarbon = 6;
constexpr int kHydrogen = 1;

// Offsets of the side lines of double and triple bonds (pixels).
constexpr double kDoubleOffset = 1.65;
constexpr double kTripleOffset = 3.0;

// Margin of the clip rectangle for bond ends, and how far inside it a label
// must lie to be drawn (pixels).
constexpr int kClipMargin = 4;
constexpr int kLabelClipMargin = 40;

struct PointD {
  double x, y;
};

// The half-height c of a label box (and the unit of its half-width) for the
// canvas font: the font's size as at screen resolution, div 2, plus 1.
int LabelBoxUnit(TCanvas* Canvas) {
  const TFont* f = Canvas->GetFont();
  const long points = std::lround(f->GetHeight() * 72.0 / TFont::kScreenPixelsPerInch);
  return static_cast<int>(points / 2 + 1);
}

// The point where the segment from p (the labelled atom) towards q leaves the
// box of half-width hw and half-height hh around p, as a fraction of p..q.
double ExitFraction(PointD p, PointD q, double hw, double hh) {
  const double dx = q.x - p.x;
  const double dy = q.y - p.y;
  if (dx == 0 && dy == 0) return 0;
  if (dx == 0) return hh / std::abs(dy);
  if (dy == 0) return hw / std::abs(dx);
  // Steeper than the box's diagonal: the bond leaves through the top or
  // bottom side, else through the left or right side.
  if (std::abs(dy) * hw > std::abs(dx) * hh) return hh / std::abs(dy);
  return hw / std::abs(dx);
}

void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

}  // namespace

// ------------------------------------------------------------- label texts

int TChemGraph::ConstructElemSymb(int Atom, std::string& Text) const {
  Text.clear();
  const int z = structure_->GetAtNum(Atom);
  if (z < 1) return 0;
  Text = CElemSymb(z);
  // NrHAtoms counts the bonded hydrogen atoms too; those are drawn as atoms
  // of their own and are not repeated in the label.
  int explicit_h = 0;
  for (int s = 1; s <= kMaxCTConn; ++s) {
    const int b = structure_->GetConnTo(Atom, s);
    if (b != 0 && structure_->GetAtNum(b) == kHydrogen) ++explicit_h;
  }
  const int h = std::max(0, structure_->NrHAtoms(Atom) - explicit_h);
  if (h > 0) {
    Text += 'H';
    if (h > 1) Text += std::to_string(h);
  }
  const int q = structure_->GetCharge(Atom);
  if (q != 0) {
    if (std::abs(q) > 1) Text += std::to_string(std::abs(q));
    Text += q > 0 ? '+' : '-';
  }
  return static_cast<int>(Text.size());
}

int TChemGraph::LabelLength(int Atom, int LabelMode) const {
  const bool charged = structure_->GetCharge(Atom) != 0;
  const bool carbon = structure_->GetAtNum(Atom) == kCarbon;
  std::string text;
  switch (LabelMode) {
    case 0:
      return charged ? ConstructElemSymb(Atom, text) : 0;
    case 1:
      return (!carbon || charged) ? ConstructElemSymb(Atom, text) : 0;
    case 2:
      return ConstructElemSymb(Atom, text);
    case 3:
      return Atom < 10 ? 1 : 2;
    default:
      return 0;
  }
}

TColor TChemGraph::LabelColor(int Atom) const {
  const uint32_t tag = structure_->GetTag(Atom);
  if (tag & kCTTagNoColor) return ColorToRGB(color_structure_);
  return static_cast<TColor>(tag & kCGTagColorMask & 0x00FFFFFFu);
}

// ------------------------------------------------------------------- drawing

void TChemGraph::DrawMolRaw(TCGDispMode Mode, bool Clip, TCanvas* Canvas, double YOffset,
                            double XOffset, double Scale) {
  if (Canvas == nullptr) return;
  scale_ = Scale;
  x_offset_ = XOffset;
  y_offset_ = YOffset;
  TPen* pen = Canvas->GetPen();
  TBrush* brush = Canvas->GetBrush();
  TFont* font = Canvas->GetFont();
  const TColor saved_pen = pen->GetColor();
  const TPenMode saved_mode = pen->GetMode();
  const TColor saved_brush = brush->GetColor();
  const TBrushStyle saved_style = brush->GetStyle();
  const TColor saved_font = font->GetColor();
  const TColor structure = ColorToRGB(color_structure_);
  pen->SetColor(structure);
  pen->SetMode(pmCopy);
  brush->SetStyle(bsClear);
  font->SetColor(structure);

  const int n = structure_->GetNAtoms();
  const auto lone_or_charged = [&](int a) {
    return structure_->GetNBonds(a) == 0 || structure_->GetCharge(a) != 0;
  };
  for (int a = 1; a <= n; ++a) {
    int mode = 0;
    switch (Mode) {
      case dmSkeleton:
        mode = lone_or_charged(a) ? 1 : 0;
        break;
      case dmHeteroOnly:
        mode = 1;
        break;
      case dmAllAtoms:
        mode = 2;
        break;
      default:
        mode = 3;
        break;
    }
    DrawConnections(a, true, Canvas, Clip, YOffset, XOffset, Scale, mode);
  }
  for (int a = 1; a <= n; ++a) {
    switch (Mode) {
      case dmSkeleton:
        if (lone_or_charged(a)) DispElemSymb(a, 2, Canvas, Clip, YOffset, XOffset, Scale);
        break;
      case dmHeteroOnly:
        if (structure_->GetAtNum(a) != kCarbon || lone_or_charged(a))
          DispElemSymb(a, 2, Canvas, Clip, YOffset, XOffset, Scale);
        break;
      case dmAllAtoms:
        DispElemSymb(a, 2, Canvas, Clip, YOffset, XOffset, Scale);
        break;
      default:
        DispElemSymb(a, 3, Canvas, Clip, YOffset, XOffset, Scale);
        break;
    }
  }

  pen->SetColor(saved_pen);
  pen->SetMode(saved_mode);
  brush->SetColor(saved_brush);
  brush->SetStyle(saved_style);
  font->SetColor(saved_font);
}

void TChemGraph::DrawConnections(int Atom, bool Once, TCanvas* Canvas, bool Clip, double YOffset,
                                 double XOffset, double Scale, int LabelMode) {
  const int n = structure_->GetNAtoms();
  if (Canvas == nullptr || Atom < 1 || Atom > n) return;
  const int c = LabelBoxUnit(Canvas);
  const auto screen = [&](int a) {
    return PointD{std::round(structure_->GetCoords(a, 1) * Scale + XOffset),
                  std::round(structure_->GetCoords(a, 2) * Scale + YOffset)};
  };
  const PointD pa = screen(Atom);
  const int la = LabelLength(Atom, LabelMode);
  for (int s = 1; s <= kMaxCTConn; ++s) {
    const int b = structure_->GetConnTo(Atom, s);
    if (b < 1 || b > n) continue;
    if (Once && b < Atom) continue;
    const int type = structure_->GetTypConn(Atom, s);
    const PointD pb = screen(b);
    const int lb = LabelLength(b, LabelMode);
    // Pull the labelled ends back to the border of their label boxes.
    const double ta = la > 0 ? ExitFraction(pa, pb, la * c, c) : 0;
    const double tb = lb > 0 ? ExitFraction(pb, pa, lb * c, c) : 0;
    if (ta + tb >= 1 && (pa.x != pb.x || pa.y != pb.y)) continue;  // hidden under the labels
    int x1 = static_cast<int>(std::lround(pa.x + ta * (pb.x - pa.x)));
    int y1 = static_cast<int>(std::lround(pa.y + ta * (pb.y - pa.y)));
    int x2 = static_cast<int>(std::lround(pb.x + tb * (pa.x - pb.x)));
    int y2 = static_cast<int>(std::lround(pb.y + tb * (pa.y - pb.y)));
    if (Clip) {
      const int l = clip_[diLeft] + kClipMargin, t = clip_[diTop] + kClipMargin;
      const int r = clip_[diRight] - kClipMargin, bo = clip_[diBottom] - kClipMargin;
      if (l <= r && t <= bo) {
        x1 = std::clamp(x1, l, r);
        x2 = std::clamp(x2, l, r);
        y1 = std::clamp(y1, t, bo);
        y2 = std::clamp(y2, t, bo);
      }
    }
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double len = std::hypot(dx, dy);
    if (len == 0) {
      // Both ends on one pixel (atoms on top of each other): a point, as
      // the bond has no direction for the side lines of multiple bonds.
      if (type >= 1 && type <= 4) Canvas->SetPixel(x1, y1, Canvas->GetPen()->GetColor());
      continue;
    }
    // The unit perpendicular of the bond.
    const double px = -dy / len;
    const double py = dx / len;
    switch (type) {
      case 1:
        Line(Canvas, x1, y1, x2, y2);
        break;
      case 2: {
        const int vx = static_cast<int>(std::lround(px * kDoubleOffset));
        const int vy = static_cast<int>(std::lround(py * kDoubleOffset));
        Line(Canvas, x1 + vx, y1 + vy, x2 + vx, y2 + vy);
        Line(Canvas, x1 - vx, y1 - vy, x2 - vx, y2 - vy);
        break;
      }
      case 3: {
        const int vx = static_cast<int>(std::lround(px * kTripleOffset));
        const int vy = static_cast<int>(std::lround(py * kTripleOffset));
        Line(Canvas, x1, y1, x2, y2);
        Line(Canvas, x1 + vx, y1 + vy, x2 + vx, y2 + vy);
        Line(Canvas, x1 - vx, y1 - vy, x2 - vx, y2 - vy);
        break;
      }
      case 4: {
        TPen* pen = Canvas->GetPen();
        const int width = pen->GetWidth();
        pen->SetWidth(1);
        pen->SetStyle(psDash);
        Line(Canvas, x1, y1, x2, y2);
        pen->SetStyle(psSolid);
        pen->SetWidth(width);
        break;
      }
      default:
        break;
    }
  }
}

void TChemGraph::DispElemSymb(int Atom, int LabelMode, TCanvas* Canvas, bool Clip, double YOffset,
                              double XOffset, double Scale) {
  if (Canvas == nullptr || Atom < 1 || Atom > structure_->GetNAtoms()) return;
  if (LabelMode < 1 || LabelMode > 3) return;
  if (LabelMode == 1 && structure_->GetAtNum(Atom) == kCarbon) return;
  const int x = static_cast<int>(std::lround(structure_->GetCoords(Atom, 1) * Scale + XOffset));
  const int y = static_cast<int>(std::lround(structure_->GetCoords(Atom, 2) * Scale + YOffset));
  if (Clip && !(x > clip_[diLeft] + kLabelClipMargin && x < clip_[diRight] - kLabelClipMargin &&
                y > clip_[diTop] + kLabelClipMargin && y < clip_[diBottom] - kLabelClipMargin)) {
    return;
  }
  std::string text;
  if (LabelMode == 3) {
    text = std::to_string(Atom);
  } else {
    ConstructElemSymb(Atom, text);
  }
  TFont* font = Canvas->GetFont();
  TBrush* brush = Canvas->GetBrush();
  const TFontStyles saved_style = font->GetStyle();
  const TColor saved_font = font->GetColor();
  const TColor saved_brush = brush->GetColor();
  const TBrushStyle saved_brush_style = brush->GetStyle();

  const int attrib = GetVisAttrib(Atom);
  TFontStyles style;
  if (attrib & kCGBold) style.Include(fsBold);
  if (attrib & kCGItalic) style.Include(fsItalic);
  font->SetStyle(style);
  const TColor colour = LabelColor(Atom);
  if (attrib & kCGInverse) {
    brush->SetColor(colour);
    brush->SetStyle(bsSolid);
    font->SetColor(ColorToRGB(color_bkg_));
  } else {
    brush->SetStyle(bsClear);
    font->SetColor(colour);
  }
  const TPoint extent = Canvas->TextExtent(text);
  Canvas->TextOut(x - extent.X / 2, y - extent.Y / 2, text);

  font->SetStyle(saved_style);
  font->SetColor(saved_font);
  brush->SetColor(saved_brush);
  brush->SetStyle(saved_brush_style);
}

}  // namespace tkz
