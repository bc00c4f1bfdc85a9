// Drives the canvas with arbitrary drawing commands and coordinates: every
// primitive must stay inside the bitmap, finish quickly and never crash,
// whatever the numbers (huge, negative, reversed, degenerate).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform/graphics.h"
#include "core/types/tkzbase.h"

namespace {

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  int32_t Coord() {
    // Mostly small coordinates near the bitmap, sometimes extreme ones.
    const uint8_t kind = Byte();
    if (kind < 200) return static_cast<int32_t>(Byte()) - 64;
    int32_t v = 0;
    for (int i = 0; i < 4; ++i) v = static_cast<int32_t>((static_cast<uint32_t>(v) << 8) | Byte());
    return v;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tkz;
  Reader r{data, size};
  TBitmap bmp(64, 48);
  TBitmap src(7, 5);
  src.Fill(clRed);
  TCanvas* c = bmp.GetCanvas();
  for (int op = 0; op < 64 && r.n > 0; ++op) {
    switch (r.Byte() % 16) {
      case 0:
        c->GetPen()->SetWidth(r.Byte() % 12);
        break;
      case 1:
        c->GetPen()->SetStyle(static_cast<TPenStyle>(r.Byte() % 6));
        break;
      case 2:
        c->GetPen()->SetMode(static_cast<TPenMode>(r.Byte() % 16));
        break;
      case 3:
        c->GetBrush()->SetStyle(static_cast<TBrushStyle>(r.Byte() % 2));
        break;
      case 4:
        c->MoveTo(r.Coord(), r.Coord());
        break;
      case 5:
        c->LineTo(r.Coord(), r.Coord());
        break;
      case 6:
        c->Rectangle(r.Coord(), r.Coord(), r.Coord(), r.Coord());
        break;
      case 7:
        c->Ellipse(r.Coord(), r.Coord(), r.Coord(), r.Coord());
        break;
      case 8: {
        std::vector<TPoint> pts(r.Byte() % 9);
        for (TPoint& p : pts) p = {r.Coord(), r.Coord()};
        if (r.Byte() & 1)
          c->Polygon(pts);
        else
          c->Polyline(pts);
        break;
      }
      case 9:
        c->FillRect({r.Coord(), r.Coord(), r.Coord(), r.Coord()});
        break;
      case 10:
        c->SetStretchMode(static_cast<TStretchMode>(r.Byte() % 2));
        c->SetCopyMode(static_cast<TCopyMode>(static_cast<uint32_t>(r.Byte()) << 16));
        c->StretchDraw({r.Coord(), r.Coord(), r.Coord(), r.Coord()}, &src);
        break;
      case 11:
        c->CopyRect({r.Coord(), r.Coord(), r.Coord(), r.Coord()}, c,
                    {r.Coord(), r.Coord(), r.Coord(), r.Coord()});
        break;
      case 12: {
        std::string text(r.Byte() % 12, ' ');
        for (char& ch : text) ch = static_cast<char>(r.Byte());
        c->GetFont()->SetOrientation(r.Byte() * 15);
        c->GetFont()->SetSize(1 + r.Byte() % 40);
        c->TextOut(r.Coord(), r.Coord(), text);
        break;
      }
      case 13:
        DrawMarkOnCanvas(c, r.Byte(), r.Coord(), r.Coord());
        break;
      case 14:
        DrawFrame(c, static_cast<TFrameStyle>(r.Byte() % 8), r.Coord(), r.Coord(), r.Coord(),
                  r.Coord(), clWhite, clSilver, clGray, clBlack, clNavy);
        break;
      case 15:
        c->SetPrinterCanvas(r.Byte() & 1);
        break;
    }
  }
  // The top byte of every pixel stays 0: nothing wrote a non-colour.
  for (int y = 0; y < bmp.GetHeight(); ++y)
    for (int x = 0; x < bmp.GetWidth(); ++x)
      if (bmp.ScanLine(y)[x] >> 24) __builtin_trap();
  return 0;
}
