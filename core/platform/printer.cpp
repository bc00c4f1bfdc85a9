// The printer that renders pages to bitmaps.
#include "core/platform/printer.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/platform/imagefile.h"

namespace tkz {

namespace {

int64_t MmToPixels(double mm, int dpi) { return std::llround(mm / 25.4 * dpi); }

}  // namespace

TPrinter::TPrinter() = default;
TPrinter::~TPrinter() = default;

void TPrinter::CheckNotPrinting() const {
  if (printing_) throw EPrinter("Printing in progress");
}

void TPrinter::CheckPrinting() const {
  if (!printing_) throw EPrinter("Printing not in progress");
}

void TPrinter::CheckPageSize(int dpi, double w_mm, double h_mm) const {
  if (dpi < 1) throw EPrinter("Invalid printer resolution " + std::to_string(dpi));
  if (!(w_mm > 0 && h_mm > 0 && w_mm < 1e6 && h_mm < 1e6)) {
    char size[64];
    std::snprintf(size, sizeof size, "%g x %g mm", w_mm, h_mm);
    throw EPrinter(std::string("Invalid paper size ") + size);
  }
  const int64_t w = MmToPixels(w_mm, dpi), h = MmToPixels(h_mm, dpi);
  if (w < 1 || h < 1 || !TBitmap::SizeAllowed(w, h)) {
    throw EPrinter("Page size " + std::to_string(w) + " x " + std::to_string(h) +
                   " pixels exceeds the bitmap limits");
  }
}

void TPrinter::SetResolution(int dpi) {
  CheckNotPrinting();
  CheckPageSize(dpi, paper_w_mm_, paper_h_mm_);
  dpi_ = dpi;
}

void TPrinter::SetPaperSize(double WidthMm, double HeightMm) {
  CheckNotPrinting();
  CheckPageSize(dpi_, WidthMm, HeightMm);
  paper_w_mm_ = WidthMm;
  paper_h_mm_ = HeightMm;
}

void TPrinter::SetOrientation(TPrinterOrientation o) {
  CheckNotPrinting();
  orientation_ = o == poLandscape ? poLandscape : poPortrait;
}

int TPrinter::GetPageWidth() const {
  return static_cast<int>(MmToPixels(orientation_ == poPortrait ? paper_w_mm_ : paper_h_mm_, dpi_));
}

int TPrinter::GetPageHeight() const {
  return static_cast<int>(MmToPixels(orientation_ == poPortrait ? paper_h_mm_ : paper_w_mm_, dpi_));
}

void TPrinter::AddPage() {
  auto page = std::make_unique<TBitmap>(GetPageWidth(), GetPageHeight());  // white
  TCanvas* canvas = page->GetCanvas();
  canvas->SetPrinterCanvas(true);
  canvas->GetFont()->SetPixelsPerInch(dpi_);
  pages_.push_back(std::move(page));
}

void TPrinter::BeginDoc() {
  CheckNotPrinting();
  pages_.clear();
  aborted_ = false;
  AddPage();
  printing_ = true;
}

void TPrinter::NewPage() {
  CheckPrinting();
  AddPage();
}

void TPrinter::EndDoc() {
  CheckPrinting();
  printing_ = false;
  if (!prefix_.empty()) SavePages(prefix_);
}

void TPrinter::Abort() {
  CheckPrinting();
  printing_ = false;
  aborted_ = true;
  pages_.clear();
}

TCanvas* TPrinter::GetCanvas() {
  CheckPrinting();
  return pages_.back()->GetCanvas();
}

const TBitmap& TPrinter::GetPage(int Index) const {
  if (Index < 0 || Index >= PageCount()) {
    throw EPrinter("Page index " + std::to_string(Index) + " out of range (" +
                   std::to_string(PageCount()) + " pages)");
  }
  return *pages_[static_cast<size_t>(Index)];
}

int TPrinter::SavePages(const std::string& Prefix) const {
  for (size_t i = 0; i < pages_.size(); ++i) {
    SaveBitmapToFile(*pages_[i], Prefix + "-" + std::to_string(i + 1) + ".png");
  }
  return PageCount();
}

TPrinter& Printer() {
  static TPrinter instance;
  return instance;
}

}  // namespace tkz
