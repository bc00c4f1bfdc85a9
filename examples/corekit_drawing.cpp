// Drawing on a bitmap with corekit's canvas and writing it as PNG, then
// reading it back: shapes, XOR mode, text, a frame and a point mark.
#include <cstdio>
#include <filesystem>

#include "core/platform/imagefile.h"
#include "core/types/tkzbase.h"

int main() {
  tkz::TBitmap bmp(200, 100);
  tkz::TCanvas* c = bmp.GetCanvas();
  c->GetBrush()->SetColor(tkz::clYellow);
  c->Ellipse(10, 10, 90, 90);
  c->GetBrush()->SetStyle(tkz::bsClear);  // outlines and text without background
  c->GetPen()->SetMode(tkz::pmXor);       // drawn twice, it is gone again
  c->Rectangle(50, 20, 150, 80);
  c->GetPen()->SetMode(tkz::pmCopy);
  c->TextOut(100, 40, "Quorvatin");  // FreeType, DejaVu Sans 8 pt
  tkz::DrawFrame(c, tkz::fsRaised, 0, 0, 199, 99, tkz::clWhite, tkz::clSilver, tkz::clGray,
                 tkz::clBlack, tkz::clBlack);
  c->GetBrush()->SetStyle(tkz::bsSolid);  // filled marks fill with the brush
  c->GetPen()->SetColor(tkz::clRed);
  tkz::DrawMarkOnCanvas(c, 24, 180, 20);  // a filled circle mark in the pen colour

  const std::string path = (std::filesystem::temp_directory_path() / "tkz_picture.png").string();
  tkz::SaveBitmapToFile(bmp, path);  // .bmp, .png or .jpg
  tkz::TBitmap back;
  tkz::LoadBitmapFromFile(back, path);
  std::filesystem::remove(path);

  const bool ok = back.GetWidth() == 200 && back.GetCanvas()->GetPixel(30, 50) == tkz::clYellow &&
                  back.GetCanvas()->GetPixel(180, 20) == tkz::clRed &&
                  back.GetCanvas()->GetPixel(0, 0) == tkz::clWhite;
  std::printf("%d x %d picture written and read back: %s\n", back.GetWidth(), back.GetHeight(),
              ok ? "as drawn" : "DIFFERENT");
  return ok ? 0 : 1;
}
