// Painting a formula: symbols in the control's font, mass numbers raised and
// counts lowered in a smaller size, drawn off screen and then copied into the
// control with its alignment. A transparent formula is laid over what lies
// under it with a mask: the mask (white, the text black) is ANDed in, then
// the text on black is ORed over it.
#include <algorithm>
#include <cmath>

#include "chem/cdata.h"
#include "chem/cform.h"

namespace tkz {

namespace {

// Where the drawn stretch [0, width) of the text image goes in a control of
// ControlWidth pixels: the source's left edge and the destination's left
// edge, and how many columns are copied.
struct Placement {
  int src_left;
  int dest_left;
  int columns;
};

Placement Place(TAlignment Alignment, int Width, int ControlWidth) {
  switch (Alignment) {
    case taRightJustify:
      if (Width > ControlWidth) return {Width - ControlWidth, 0, ControlWidth};
      return {0, ControlWidth - Width, Width};
    case taCenter:
      if (Width > ControlWidth) return {(Width - ControlWidth) / 2, 0, ControlWidth};
      return {0, (ControlWidth - Width) / 2, Width};
    default:
      return {0, 0, std::min(Width, ControlWidth)};
  }
}

}  // namespace

void TMolForm::Paint() {
  if (!GetVisible() && !GetComponentState().Contains(csDesigning)) return;
  TFont font;
  if (parent_font_ && GetParent() != nullptr) {
    font.Assign(GetParent()->GetFont());
  } else {
    font.Assign(GetFont());
  }
  const int big = font.GetSize();
  const int small = static_cast<int>(std::lround(big * 0.8)) + 1;

  // The height follows the font: twice the height of "M" in the small size.
  TBitmap probe(1, 1);
  probe.GetCanvas()->GetFont()->Assign(&font);
  probe.GetCanvas()->GetFont()->SetSize(small);
  const int wanted_height = 2 * probe.GetCanvas()->TextHeight("M");
  if (wanted_height != GetHeight()) SetHeight(wanted_height);

  const int w = GetWidth();
  const int h = GetHeight();
  if (w <= 0 || h <= 0 || !TBitmap::SizeAllowed(2 * int64_t{w}, h)) return;
  const TColor background = transparent_ ? clBlack : ColorToRGB(color_bkg_);

  TBitmap text(2 * w, h);
  TBitmap mask(2 * w, h);
  text.Fill(background);
  mask.Fill(clWhite);
  TCanvas* tc = text.GetCanvas();
  TCanvas* mc = mask.GetCanvas();
  for (TCanvas* c : {tc, mc}) {
    c->GetFont()->Assign(&font);
    c->GetBrush()->SetStyle(bsClear);
  }
  tc->GetFont()->SetColor(color_txt_);
  mc->GetFont()->SetColor(clBlack);

  int x = 1;
  const auto draw = [&](int y, int size, const std::string& s) {
    for (TCanvas* c : {tc, mc}) {
      c->GetFont()->SetSize(size);
      c->TextOut(x, y, s);
    }
    x += tc->TextWidth(s);
  };
  if (show_as_text_) {
    draw(h / 5, big, mol_formula_);
  } else {
    for (int i = 1; i <= form_.NumAtoms; ++i) {
      const int z = form_.AtNum[i];
      const int mass = form_.AtWgt[i];
      const int count = form_.AtCnt[i];
      if (count == 0) continue;
      const bool deuterium = use_deuterium_ && z == 1 && mass == 2;
      if (!deuterium &&
          (isotope_vis_ == ivAlways || (isotope_vis_ == ivSpecial && mass != IntAtWeight(z)))) {
        draw(0, small, std::to_string(mass));
      }
      draw(h / 5, big, deuterium ? std::string("D") : CElemSymb(z));
      if (count > 1) draw(h / 4 + small, small, std::to_string(count));
    }
  }

  // The drawn stretch runs from 0 to x; align it in the control.
  const Placement p = Place(alignment_, std::min(x, 2 * w), w);
  TBitmap image(w, h);
  image.Fill(background);
  const TRect dest{p.dest_left, 0, p.dest_left + p.columns, h};
  const TRect src{p.src_left, 0, p.src_left + p.columns, h};
  image.GetCanvas()->CopyRect(dest, tc, src);
  TCanvas* out = GetCanvas();
  const TRect all{0, 0, w, h};
  if (!transparent_) {
    out->SetCopyMode(cmSrcCopy);
    out->CopyRect(all, image.GetCanvas(), all);
    return;
  }
  TBitmap aligned_mask(w, h);
  aligned_mask.Fill(clWhite);
  aligned_mask.GetCanvas()->CopyRect(dest, mc, src);
  out->SetCopyMode(cmSrcAnd);
  out->CopyRect(all, aligned_mask.GetCanvas(), all);
  out->SetCopyMode(cmSrcPaint);
  out->CopyRect(all, image.GetCanvas(), all);
  out->SetCopyMode(cmSrcCopy);
}

}  // namespace tkz
