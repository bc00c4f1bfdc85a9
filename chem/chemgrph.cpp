// TChemGraph: construction, properties, the transform and painting the
// control (frame, scaling to the client area). The drawing of bonds and
// labels is in chemgrph_draw.cpp, picking and the layout search in
// chemgrph_pick.cpp.
#include "chem/chemgrph.h"

#include <algorithm>
#include <cmath>

#include "core/platform/printer.h"

namespace tkz {

namespace {

constexpr const char* kLabelFont = "Courier New";

}  // namespace

TChemGraph::TChemGraph(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 300, 200);
  GetFont()->SetName(kLabelFont);
  GetFont()->SetSize(14);
  GetFont()->SetStyle(TFontStyles{});
  structure_ = new TCTab(this);
  structure_->OnChange = [this](TObject* Sender) { StructureHasChanged(Sender); };
  suppress_paint_ = false;
}

TChemGraph::~TChemGraph() {
  // The table is freed with the component; it must not call back into a
  // control that is being taken down.
  if (structure_ != nullptr) structure_->OnChange = nullptr;
}

void TChemGraph::Changed() {
  if (!suppress_paint_) Invalidate();
}

void TChemGraph::StructureHasChanged(TObject*) { Changed(); }

// ---------------------------------------------------------------- properties

void TChemGraph::SetColorBakG(TColor c) {
  if (c == color_bkg_) return;
  color_bkg_ = c;
  Changed();
}

void TChemGraph::SetMolColor(TColor c) {
  if (c == color_structure_) return;
  color_structure_ = c;
  Changed();
}

void TChemGraph::SetColorScheme(TColorScheme s) {
  color_scheme_ = s;
  if (s == csSystem) {
    color_shadow_ = static_cast<TColor>(0xFF000010u);
    color_highlight_ = static_cast<TColor>(0xFF000014u);
  } else {
    color_shadow_ = 0x808080;
    color_highlight_ = clWhite;
  }
  Changed();
}

void TChemGraph::SetDispMode(TCGDispMode m) {
  if (m == disp_mode_) return;
  disp_mode_ = m;
  Changed();
}

void TChemGraph::SetFrameStyle(TFrameStyle s) {
  if (s == frame_style_) return;
  frame_style_ = s;
  Changed();
}

void TChemGraph::SetMaxbondleng(int Pixels) {
  if (Pixels == max_bond_leng_) return;
  max_bond_leng_ = Pixels;
  Changed();
}

void TChemGraph::SetDrawAsIs(bool b) {
  if (b == draw_as_is_) return;
  draw_as_is_ = b;
  Changed();
}

void TChemGraph::SetSuppressPaint(bool b) {
  suppress_paint_ = b;
  if (!b) Changed();
}

void TChemGraph::SetAtColor(int Atom, TColor Color) {
  if (Atom < 1 || Atom > structure_->GetNAtoms()) return;
  const uint32_t tag = structure_->GetTag(Atom);
  structure_->SetTag(Atom,
                     (tag & kCGTagAttribMask) | (static_cast<uint32_t>(Color) & kCGTagColorMask));
}

TColor TChemGraph::GetAtColor(int Atom) const {
  if (Atom < 1 || Atom > structure_->GetNAtoms()) return 0;
  return static_cast<TColor>(structure_->GetTag(Atom) & kCGTagColorMask);
}

void TChemGraph::SetVisAttrib(int Atom, int Attrib) {
  if (Atom < 1 || Atom > structure_->GetNAtoms()) return;
  const uint32_t tag = structure_->GetTag(Atom) & ~kCGTagAttribMask;
  structure_->SetTag(Atom, tag | ((static_cast<uint32_t>(Attrib) & 7u) << kCGTagAttribShift));
}

int TChemGraph::GetVisAttrib(int Atom) const {
  if (Atom < 1 || Atom > structure_->GetNAtoms()) return 0;
  return static_cast<int>((structure_->GetTag(Atom) & kCGTagAttribMask) >> kCGTagAttribShift);
}

void TChemGraph::SetClipBoundary(TClipSide Side, int Value) {
  if (Side <= diBottom) clip_[Side] = Value;
}

int TChemGraph::GetClipBoundary(TClipSide Side) const { return Side <= diBottom ? clip_[Side] : 0; }

// ------------------------------------------------------------- the transform

TPoint TChemGraph::AtomToScreen(int Atom) const {
  if (Atom < 1 || Atom > structure_->GetNAtoms()) return {0, 0};
  return {static_cast<int32_t>(std::lround(structure_->GetCoords(Atom, 1) * scale_ + x_offset_)),
          static_cast<int32_t>(std::lround(structure_->GetCoords(Atom, 2) * scale_ + y_offset_))};
}

void TChemGraph::StructFromScreen(int X, int Y, double& SX, double& SY) const {
  // The scale is positive after every drawing; a caller's zero or a value
  // that is not finite would divide by nothing, so it counts as 1.
  const double s = (std::isfinite(scale_) && scale_ > 0) ? scale_ : 1.0;
  SX = (X - x_offset_) / s;
  SY = (Y - y_offset_) / s;
}

int TChemGraph::LabelFontSize(double Scale, double MeanBond) {
  const long f = std::lround(Scale * MeanBond / 5);
  const long size = f >= 4 ? f + 4 : 8;
  return static_cast<int>(std::min<long>(size, 20));
}

// ------------------------------------------------------------------ painting

void TChemGraph::Paint() {
  if (suppress_paint_) return;
  if (!GetVisible() && !GetComponentState().Contains(csDesigning)) return;
  const int w = GetWidth();
  const int h = GetHeight();
  if (w <= 0 || h <= 0) return;
  // The control's surface is an off-screen bitmap of its size that the
  // platform puts on the screen after Paint.
  TCanvas* c = GetCanvas();
  const TColor bkg = ColorToRGB(color_bkg_);
  c->GetBitmap()->Fill(bkg);
  if (parent_font_ && GetParent() != nullptr) {
    c->GetFont()->Assign(GetParent()->GetFont());
  }
  c->GetFont()->SetColor(ColorToRGB(color_structure_));
  c->GetPen()->SetMode(pmCopy);
  c->GetPen()->SetStyle(psSolid);
  c->GetPen()->SetWidth(1);

  // The frame.
  c->GetBrush()->SetStyle(bsClear);
  const TColor dark = ColorToRGB(color_dark_);
  const TColor shadow = ColorToRGB(color_shadow_);
  const TColor light = ColorToRGB(color_highlight_);
  c->GetPen()->SetColor(frame_style_ == fsNone ? bkg : frame_style_ == fsEmbossed ? light : shadow);
  if (frame_style_ == fsNone || frame_style_ == fsSimple) {
    c->Rectangle(0, 0, w, h);
  } else {
    c->Rectangle(0, 0, w - 1, h - 1);
    TColor top_left = light, bottom_right = dark;
    switch (frame_style_) {
      case fsLowered:
        top_left = dark;
        bottom_right = light;
        break;
      case fsEmbossed:
        top_left = bottom_right = shadow;
        break;
      case fsEngraved:
        top_left = bottom_right = light;
        break;
      default:
        break;
    }
    c->GetPen()->SetColor(top_left);
    c->Polyline({{1, h - 3}, {1, 1}, {w - 2, 1}});
    c->GetPen()->SetColor(bottom_right);
    c->Polyline({{1, h - 1}, {w - 1, h - 1}, {w - 1, 0}});
  }

  if (structure_->GetNAtoms() == 0) {
    const std::string text = "no structure loaded";
    c->TextOut((w - c->TextWidth(text)) / 2 + 2, (h - c->TextHeight(text)) / 2, text);
    return;
  }
  if (draw_as_is_) {
    DrawMolRaw(disp_mode_, false, c, 0, 0, 1);
    return;
  }
  double min_x, min_y, max_x, max_y, mean_x, mean_y;
  const double m = structure_->CalcMolExtents(min_x, min_y, max_x, max_y, mean_x, mean_y);
  const int inner = w - 8;
  // A control smaller than its margins still gets a positive scale.
  const double room_x = std::max(1, inner - 8);
  const double room_y = std::max(1, h - 16);
  const double sx = max_x > min_x ? room_x / (max_x - min_x) : room_x;
  const double sy = max_y > min_y ? room_y / (max_y - min_y) : room_y;
  double scale = std::min(sx, sy);
  if (max_bond_leng_ > 0) scale = std::min(scale, m > 0 ? max_bond_leng_ / m : max_bond_leng_);
  const double xo = (inner + 8) / 2 - scale * (min_x + max_x) / 2;
  const double yo = h / 2 - scale * (min_y + max_y) / 2;
  c->GetFont()->SetSize(LabelFontSize(scale, m));
  DrawMolRaw(disp_mode_, false, c, yo, xo, scale);
}

void TChemGraph::ShowMoleculeInABox(TCanvas* Canvas, TCGDispMode Mode, int Left, int Top, int Right,
                                    int Bottom, int MaxBondLength) {
  if (Canvas == nullptr || structure_->GetNAtoms() == 0) return;
  double min_x, min_y, max_x, max_y, mean_x, mean_y;
  const double m = structure_->CalcMolExtents(min_x, min_y, max_x, max_y, mean_x, mean_y);
  const double bw = std::max(1, Right - Left);
  const double bh = std::max(1, Bottom - Top);
  const double sx = max_x > min_x ? bw / (max_x - min_x) : bw;
  const double sy = max_y > min_y ? bh / (max_y - min_y) : bh;
  double scale = std::min(sx, sy);
  if (MaxBondLength > 0) scale = std::min(scale, m > 0 ? MaxBondLength / m : MaxBondLength);
  const double xo = (Left + Right) / 2 - scale * (min_x + max_x) / 2;
  const double yo = (Top + Bottom) / 2 - scale * (min_y + max_y) / 2;
  // The size rule counts screen pixels; a canvas of higher resolution (a
  // printer) gets the same size in points for the same picture.
  const double ppi_factor =
      Canvas->GetFont()->GetPixelsPerInch() / double{TFont::kScreenPixelsPerInch};
  Canvas->GetFont()->SetName(kLabelFont);
  Canvas->GetFont()->SetSize(LabelFontSize(scale / ppi_factor, m));
  DrawMolRaw(Mode, false, Canvas, yo, xo, scale);
}

bool TChemGraph::PrintMolecule(int Left, int Top, int Right, int Bottom) {
  TPrinter& p = Printer();
  if (!p.GetPrinting()) return false;
  TCanvas* c = p.GetCanvas();
  const double factor = c->GetFont()->GetPixelsPerInch() / double{TFont::kScreenPixelsPerInch};
  const int max_bond =
      max_bond_leng_ > 0 ? static_cast<int>(std::lround(max_bond_leng_ * factor)) : 0;
  ShowMoleculeInABox(c, disp_mode_, Left, Top, Right, Bottom, max_bond);
  return true;
}

// ------------------------------------------------------------------- the mouse

void TChemGraph::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  WMMoveOverStruct(Shift, X, Y);
}

void TChemGraph::WMMoveOverStruct(TShiftState Shift, int X, int Y) {
  double sx, sy;
  StructFromScreen(X, Y, sx, sy);
  int atom = 0;
  double dist = 0;
  structure_->FindClosestAtom(sx, sy, 0, atom, dist);
  MoveOverStruct(atom, dist, Shift, sx, sy);
}

void TChemGraph::MoveOverStruct(int ClosestAtom, double Dist, TShiftState Shift, double X,
                                double Y) {
  if (OnMoveOverStruct) OnMoveOverStruct(this, ClosestAtom, Dist, Shift, X, Y);
}

}  // namespace tkz
