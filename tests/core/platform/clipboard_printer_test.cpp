#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/platform/clipboard.h"
#include "core/platform/imagefile.h"
#include "core/platform/printer.h"

namespace fs = std::filesystem;

namespace tkz {
namespace {

template <typename E, typename F>
void ExpectMessage(F f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception; expected \"" << message << "\"";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

// -------------------------------------------------------------- clipboard
TEST(Clipboard, HoldsOneItemAtATime) {
  TClipboard& cb = Clipboard();
  EXPECT_EQ(&cb, &Clipboard());
  cb.Clear();
  EXPECT_FALSE(cb.HasBitmap());
  EXPECT_FALSE(cb.HasText());

  TBitmap src(3, 2);
  src.GetCanvas()->SetPixel(2, 1, clRed);
  cb.Assign(src);
  src.Fill(clBlack);  // the clipboard holds a copy
  EXPECT_TRUE(cb.HasBitmap());
  EXPECT_FALSE(cb.HasText());
  TBitmap out;
  ASSERT_TRUE(cb.GetBitmap(out));
  EXPECT_EQ(out.GetWidth(), 3);
  EXPECT_EQ(out.GetHeight(), 2);
  EXPECT_EQ(out.GetCanvas()->GetPixel(2, 1), clRed);
  EXPECT_EQ(out.GetCanvas()->GetPixel(0, 0), clWhite);

  cb.SetAsText("caf\xE9");  // text replaces the bitmap
  EXPECT_TRUE(cb.HasText());
  EXPECT_FALSE(cb.HasBitmap());
  EXPECT_EQ(cb.GetAsText(), "caf\xE9");
  TBitmap untouched(1, 1);
  EXPECT_FALSE(cb.GetBitmap(untouched));
  EXPECT_EQ(untouched.GetWidth(), 1);

  cb.SetAsText("");  // an empty text is still a text
  EXPECT_TRUE(cb.HasText());

  cb.Assign(&src);  // a bitmap replaces the text
  EXPECT_FALSE(cb.HasText());
  EXPECT_EQ(cb.GetAsText(), "");
  TBitmap viaAssign;
  viaAssign.Assign(&cb);
  EXPECT_EQ(viaAssign.GetCanvas()->GetPixel(2, 1), clBlack);

  cb.Clear();
  EXPECT_FALSE(cb.HasBitmap());
  EXPECT_THROW(viaAssign.Assign(&cb), EConvertError);
  TJPEGImage jpeg;
  EXPECT_THROW(cb.Assign(&jpeg), EConvertError);
}

// ---------------------------------------------------------------- printer
// Each test uses its own printer; Printer() is checked once.
TEST(Printer, PageSizeFollowsResolutionPaperAndOrientation) {
  EXPECT_EQ(&Printer(), &Printer());
  TPrinter p;
  EXPECT_EQ(p.GetResolution(), 300);
  EXPECT_EQ(p.GetPageWidth(), 2480);
  EXPECT_EQ(p.GetPageHeight(), 3508);
  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.GetPageWidth(), 3508);
  EXPECT_EQ(p.GetPageHeight(), 2480);
  p.SetOrientation(poPortrait);
  p.SetResolution(72);
  p.SetPaperSize(215.9, 279.4);  // US letter
  EXPECT_EQ(p.GetPageWidth(), 612);
  EXPECT_EQ(p.GetPageHeight(), 792);

  ExpectMessage<EPrinter>([&] { p.SetResolution(0); }, "Invalid printer resolution 0");
  EXPECT_THROW(p.SetResolution(20000), EPrinter);  // 170000 x 220000 pixels
  EXPECT_THROW(p.SetPaperSize(0, 100), EPrinter);
  EXPECT_THROW(p.SetPaperSize(210, -1), EPrinter);
  EXPECT_EQ(p.GetResolution(), 72);  // refused settings change nothing
  EXPECT_EQ(p.GetPageWidth(), 612);
}

TEST(Printer, DocumentsMakeWhitePagesOnAPrinterCanvas) {
  TPrinter p;
  p.SetResolution(100);
  p.SetPaperSize(50.8, 25.4);  // 200 x 100 pixels
  p.SetTitle("report");
  EXPECT_FALSE(p.GetPrinting());
  EXPECT_EQ(p.GetPageNumber(), 0);
  p.BeginDoc();
  EXPECT_TRUE(p.GetPrinting());
  EXPECT_EQ(p.GetPageNumber(), 1);
  TCanvas* c = p.GetCanvas();
  EXPECT_TRUE(c->IsPrinterCanvas());
  EXPECT_EQ(c->GetFont()->GetPixelsPerInch(), 100);
  EXPECT_EQ(c->GetBitmap()->GetWidth(), 200);
  EXPECT_EQ(c->GetBitmap()->GetHeight(), 100);
  EXPECT_EQ(c->GetPixel(0, 0), clWhite);
  c->SetPixel(10, 10, clRed);
  p.NewPage();
  EXPECT_EQ(p.GetPageNumber(), 2);
  EXPECT_NE(p.GetCanvas(), c);
  p.GetCanvas()->SetPixel(1, 1, clBlue);
  p.EndDoc();
  EXPECT_FALSE(p.GetPrinting());
  EXPECT_EQ(p.GetPageNumber(), 0);
  ASSERT_EQ(p.PageCount(), 2);
  EXPECT_EQ(p.GetPage(0).ScanLine(10)[10], static_cast<uint32_t>(clRed));
  EXPECT_EQ(p.GetPage(1).ScanLine(10)[10], static_cast<uint32_t>(clWhite));
  EXPECT_EQ(p.GetPage(1).ScanLine(1)[1], static_cast<uint32_t>(clBlue));
  ExpectMessage<EPrinter>([&] { p.GetPage(2); }, "Page index 2 out of range (2 pages)");
  EXPECT_THROW(p.GetPage(-1), EPrinter);

  // A new document starts from scratch; Abort drops its pages.
  p.BeginDoc();
  EXPECT_EQ(p.PageCount(), 1);
  p.Abort();
  EXPECT_TRUE(p.GetAborted());
  EXPECT_FALSE(p.GetPrinting());
  EXPECT_EQ(p.PageCount(), 0);
}

TEST(Printer, RefusesCallsOutOfOrder) {
  TPrinter p;
  p.SetResolution(50);
  ExpectMessage<EPrinter>([&] { p.NewPage(); }, "Printing not in progress");
  ExpectMessage<EPrinter>([&] { p.EndDoc(); }, "Printing not in progress");
  ExpectMessage<EPrinter>([&] { p.Abort(); }, "Printing not in progress");
  ExpectMessage<EPrinter>([&] { p.GetCanvas(); }, "Printing not in progress");
  p.BeginDoc();
  ExpectMessage<EPrinter>([&] { p.BeginDoc(); }, "Printing in progress");
  ExpectMessage<EPrinter>([&] { p.SetResolution(100); }, "Printing in progress");
  ExpectMessage<EPrinter>([&] { p.SetOrientation(poLandscape); }, "Printing in progress");
  ExpectMessage<EPrinter>([&] { p.SetPaperSize(100, 100); }, "Printing in progress");
  EXPECT_EQ(p.PageCount(), 1);  // the document goes on
  p.EndDoc();
}

TEST(Printer, WritesPagesAsPng) {
  const fs::path dir = fs::temp_directory_path() / ("tkz_printer_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  TPrinter p;
  p.SetResolution(40);
  p.SetOutputPrefix((dir / "doc").string());
  p.BeginDoc();
  p.GetCanvas()->SetPixel(5, 5, clRed);
  p.NewPage();
  p.NewPage();
  p.EndDoc();
  for (int n = 1; n <= 3; ++n) {
    const fs::path f = dir / ("doc-" + std::to_string(n) + ".png");
    ASSERT_TRUE(fs::exists(f)) << f;
    TBitmap back;
    LoadBitmapFromFile(back, f.string());
    EXPECT_EQ(back.GetWidth(), p.GetPageWidth());  // 331 x 468 at 40 dpi
    EXPECT_EQ(back.GetHeight(), p.GetPageHeight());
    EXPECT_EQ(back.GetCanvas()->GetPixel(5, 5), n == 1 ? clRed : clWhite);
  }
  EXPECT_FALSE(fs::exists(dir / "doc-4.png"));

  EXPECT_EQ(p.SavePages((dir / "again").string()), 3);
  EXPECT_TRUE(fs::exists(dir / "again-3.png"));

  // A failed write still ends the document.
  p.SetOutputPrefix((dir / "missing" / "doc").string());
  p.BeginDoc();
  EXPECT_THROW(p.EndDoc(), EInOutError);
  EXPECT_FALSE(p.GetPrinting());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tkz
