// tkz marks: the catalogue of point marks as a picture.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "core/platform/imagefile.h"
#include "core/types/tkzbase.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

std::unique_ptr<TBitmap> DrawMarkCatalogue() {
  // 16 columns of 16 marks; each cell shows the mark enlarged-free at its
  // true size above its number, with a grey frame around the cell.
  constexpr int kCell = 36, kCols = 16, kRows = 16, kTop = 28;
  auto bmp = std::make_unique<TBitmap>(kCols * kCell + 1, kTop + kRows * kCell + 1);
  TCanvas* c = bmp->GetCanvas();
  c->GetFont()->SetSize(7);
  c->GetBrush()->SetStyle(bsClear);
  c->GetFont()->SetSize(10);
  c->GetFont()->SetStyle({fsBold});
  c->TextOut(4, 6, "Point marks 0 to 255 (DrawMarkOnCanvas)");
  c->GetFont()->SetStyle({});
  c->GetFont()->SetSize(7);
  for (int m = 0; m < 256; ++m) {
    const int x0 = (m % kCols) * kCell, y0 = kTop + (m / kCols) * kCell;
    c->GetPen()->SetColor(clSilver);
    c->GetBrush()->SetStyle(bsClear);
    c->Rectangle(x0, y0, x0 + kCell + 1, y0 + kCell + 1);
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(clWhite);
    c->GetPen()->SetColor(clNavy);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(m), x0 + kCell / 2, y0 + 12);
    const std::string label = std::to_string(m);
    c->GetBrush()->SetStyle(bsClear);
    c->GetFont()->SetColor(clGray);
    c->TextOut(x0 + (kCell - c->TextWidth(label)) / 2, y0 + kCell - c->TextHeight(label) - 1,
               label);
  }
  return bmp;
}

int RunMarks(const MarksOptions& options, std::ostream& out) {
  const auto bmp = DrawMarkCatalogue();
  SaveBitmapToFile(*bmp, options.Out);
  out << "Marks 0 to 255 drawn to " << options.Out << " (" << bmp->GetWidth() << " x "
      << bmp->GetHeight() << ")\n";
  return 0;
}

void AddMarksCommands(CLI::App& app) {
  auto options = std::make_shared<MarksOptions>();
  CLI::App* cmd =
      app.add_subcommand("marks", "Draw the catalogue of point marks 0 to 255 into a picture");
  cmd->add_option("OUT", options->Out, "Picture file (.png, .bmp or .jpg)")->required();
  RunsWhenChosen(cmd, [options] { return RunMarks(*options, std::cout); });
}

}  // namespace tkz::tool
