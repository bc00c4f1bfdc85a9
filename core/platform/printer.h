// The printer: renders each page of a document to a white bitmap of the
// paper size at the printer's resolution, drawn on through GetCanvas() (a
// canvas marked as a printer canvas, its font scaled to the resolution). The
// pages of the last document stay available until the next BeginDoc, and can
// be written as PNG files: automatically by EndDoc when an output prefix is
// set, or on demand by SavePages.
//
// Defaults: 300 dpi, A4 (210 x 297 mm), portrait: pages of 2480 x 3508 pixels
// (each millimetre size converted to pixels and rounded). Settings that change
// the page size cannot change while a document is printing, nor make pages
// larger than TBitmap's limits (EPrinter). Each page held costs 4 bytes per
// pixel (about 35 MB for a 300 dpi A4 page).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"

namespace tkz {

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

class TKZ_COREKIT_EXPORT EPrinter : public ETKZError {
 public:
  using ETKZError::ETKZError;
};

class TKZ_COREKIT_EXPORT TPrinter {
 public:
  static constexpr int kDefaultResolution = 300;

  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // --- page setup (EPrinter while printing, or for pages beyond the limits)
  int GetResolution() const { return dpi_; }
  void SetResolution(int dpi);                           // dots per inch, at least 1
  double GetPaperWidth() const { return paper_w_mm_; }   // millimetres, portrait
  double GetPaperHeight() const { return paper_h_mm_; }  // millimetres, portrait
  void SetPaperSize(double WidthMm, double HeightMm);
  TPrinterOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation o);
  // Page size in pixels, the orientation applied.
  int GetPageWidth() const;
  int GetPageHeight() const;
  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& Title) { title_ = Title; }

  // --- printing a document
  // Starts a document with page 1; the previous document's pages are dropped.
  // EPrinter "Printing in progress" when a document is already printing.
  void BeginDoc();
  // Finishes the current page and starts the next one.
  void NewPage();
  // Finishes the document; with an output prefix set, writes the pages.
  // The document has ended even when writing fails (EInOutError).
  void EndDoc();
  // Ends the document and drops its pages; nothing is written.
  void Abort();
  bool GetPrinting() const { return printing_; }
  bool GetAborted() const { return aborted_; }
  int GetPageNumber() const { return printing_ ? static_cast<int>(pages_.size()) : 0; }
  // The canvas of the current page; EPrinter when not printing.
  TCanvas* GetCanvas();

  // --- the pages of the current or last document
  int PageCount() const { return static_cast<int>(pages_.size()); }
  // Page Index (0-based); EPrinter when out of range.
  const TBitmap& GetPage(int Index) const;
  // With a prefix, EndDoc writes each page to "<prefix>-<n>.png" (n from 1);
  // an empty prefix (the default) writes nothing.
  void SetOutputPrefix(const std::string& Prefix) { prefix_ = Prefix; }
  const std::string& GetOutputPrefix() const { return prefix_; }
  // Writes the pages held to "<Prefix>-<n>.png"; returns how many.
  int SavePages(const std::string& Prefix) const;

 private:
  void CheckNotPrinting() const;
  void CheckPrinting() const;
  void CheckPageSize(int dpi, double w_mm, double h_mm) const;
  void AddPage();

  int dpi_ = kDefaultResolution;
  double paper_w_mm_ = 210;
  double paper_h_mm_ = 297;
  TPrinterOrientation orientation_ = poPortrait;
  std::string title_;
  std::string prefix_;
  bool printing_ = false;
  bool aborted_ = false;
  std::vector<std::unique_ptr<TBitmap>> pages_;
};

// The process-wide printer.
TKZ_COREKIT_EXPORT TPrinter& Printer();

}  // namespace tkz
