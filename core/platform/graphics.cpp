// Bitmaps, pens, brushes and fonts; the canvas's pixel access.
#include "core/platform/graphics.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tkz {

TColor ColorToRGB(TColor Color) {
  const uint32_t c = static_cast<uint32_t>(Color);
  if ((c & 0xFF000000u) == 0xFF000000u) {
    // The fixed palette of this platform's system colours, by index.
    static constexpr uint32_t kSystem[31] = {
        0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
        0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
        0xA0A0A0, 0x6D6D6D, 0x000000, 0x544E43, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
        0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
    const uint32_t index = c & 0xFFu;
    return static_cast<TColor>(index < 31 ? kSystem[index] : 0);
  }
  if (Color == clNone || Color == clDefault) return clBlack;
  return static_cast<TColor>(c & 0x00FFFFFFu);
}

// ------------------------------------------------------------------ TPen
void TPen::Changed() {
  if (OnChange) OnChange(this);
}
void TPen::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TPen::SetWidth(int w) {
  w = std::clamp(w, 0, 10000);
  if (w == width_) return;
  width_ = w;
  Changed();
}
void TPen::SetStyle(TPenStyle s) {
  if (s > psClear || s == style_) return;
  style_ = s;
  Changed();
}
void TPen::SetMode(TPenMode m) {
  if (m > pmNotXor || m == mode_) return;
  mode_ = m;
  Changed();
}
void TPen::Assign(const TPersistent* Source) {
  if (auto* p = dynamic_cast<const TPen*>(Source)) {
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- TBrush
void TBrush::Changed() {
  if (OnChange) OnChange(this);
}
void TBrush::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TBrush::SetStyle(TBrushStyle s) {
  if (s > bsClear || s == style_) return;
  style_ = s;
  Changed();
}
void TBrush::Assign(const TPersistent* Source) {
  if (auto* b = dynamic_cast<const TBrush*>(Source)) {
    color_ = b->color_;
    style_ = b->style_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ----------------------------------------------------------------- TFont
void TFont::Changed() {
  if (OnChange) OnChange(this);
}
void TFont::SetName(const std::string& n) {
  if (n == name_ || n.empty()) return;
  name_ = n;
  Changed();
}
void TFont::SetSize(int points) {
  points = std::clamp(points, 1, 1638);
  SetHeight(static_cast<int>(std::lround(static_cast<double>(points) * ppi_ / 72.0)));
}
int TFont::GetSize() const {
  return static_cast<int>(std::lround(static_cast<double>(height_) * 72.0 / ppi_));
}
void TFont::SetHeight(int pixels) {
  if (pixels < 0) pixels = -pixels;  // the classic negative "em height" form
  pixels = std::clamp(pixels, 1, 20000);
  if (pixels == height_) return;
  height_ = pixels;
  Changed();
}
void TFont::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TFont::SetStyle(TFontStyles s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TFont::SetPixelsPerInch(int ppi) {
  if (ppi < 1 || ppi == ppi_) return;
  ppi_ = std::min(ppi, 9600);
  Changed();
}
void TFont::SetOrientation(int tenthsOfDegree) {
  tenthsOfDegree %= 3600;
  if (tenthsOfDegree < 0) tenthsOfDegree += 3600;
  if (tenthsOfDegree == orientation_) return;
  orientation_ = tenthsOfDegree;
  Changed();
}
void TFont::Assign(const TPersistent* Source) {
  if (auto* f = dynamic_cast<const TFont*>(Source)) {
    name_ = f->name_;
    height_ = f->height_;
    color_ = f->color_;
    style_ = f->style_;
    ppi_ = f->ppi_;
    orientation_ = f->orientation_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// --------------------------------------------------------------- TBitmap
bool TBitmap::SizeAllowed(int64_t w, int64_t h) {
  return w >= 0 && h >= 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels;
}

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>(this)) {}

TBitmap::TBitmap(int32_t width, int32_t height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() = default;

void TBitmap::SetSizeForOverwrite(int32_t w, int32_t h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (!SizeAllowed(w, h)) {
    throw EInvalidGraphic("Bitmap size " + std::to_string(w) + " x " + std::to_string(h) +
                          " exceeds the limit of " + std::to_string(kMaxSide) +
                          " pixels a side and " + std::to_string(kMaxPixels) + " pixels in all");
  }
  if (w == width_ && h == height_) return;
  const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
  // Default-initialised: no pass over the memory until it is written.
  pixels_ = n > 0 ? std::make_unique_for_overwrite<uint32_t[]>(n) : nullptr;
  width_ = w;
  height_ = h;
}

void TBitmap::SetSize(int32_t w, int32_t h) {
  SetSizeForOverwrite(w, h);
  Fill(clWhite);
}

void TBitmap::Fill(TColor c) {
  std::fill(pixels_.get(), pixels_.get() + Count(), static_cast<uint32_t>(ColorToRGB(c)));
}

void TBitmap::Assign(const TPersistent* Source) {
  if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
    if (b == this) return;
    SetSizeForOverwrite(b->width_, b->height_);
    std::copy(b->pixels_.get(), b->pixels_.get() + b->Count(), pixels_.get());
    return;
  }
  TPersistent::Assign(Source);
}

// ------------------------------------------------------------ TCanvas
TCanvas::TCanvas(TBitmap* target) : target_(target) {}

TCanvas::~TCanvas() = default;

TRect TCanvas::GetClipRect() const { return {0, 0, target_->GetWidth(), target_->GetHeight()}; }

TColor TCanvas::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= target_->GetWidth() || y >= target_->GetHeight()) return clNone;
  return static_cast<TColor>(target_->ScanLine(y)[x]);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  if (x < 0 || y < 0 || x >= target_->GetWidth() || y >= target_->GetHeight()) return;
  target_->ScanLine(y)[x] = static_cast<uint32_t>(ColorToRGB(c));
}

}  // namespace tkz
