// "tkz image convert": converts between BMP, PNG and JPEG files.
#include <CLI/CLI.hpp>
#include <iostream>

#include "core/platform/imagefile.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

int RunImageConvert(const ImageConvertOptions& options, std::ostream& out) {
  // Refuse an unusable output name before doing any work.
  if (ImageFormatFromFileName(options.Out) == TImageFormat::Unknown) {
    throw EInvalidGraphic("Cannot save \"" + options.Out +
                          "\": unknown image file extension (use .bmp, .png or .jpg)");
  }
  TBitmap bmp;
  LoadBitmapFromFile(bmp, options.In);
  SaveBitmapToFile(bmp, options.Out, options.Quality);
  out << options.In << " (" << bmp.GetWidth() << " x " << bmp.GetHeight() << ") -> " << options.Out
      << "\n";
  return 0;
}

void AddImageCommands(CLI::App& app) {
  auto options = std::make_shared<ImageConvertOptions>();
  CLI::App* image = app.add_subcommand("image", "Image files (BMP, PNG, JPEG)");
  image->require_subcommand(1);
  CLI::App* convert =
      image->add_subcommand("convert", "Convert an image file to the format of OUT's extension");
  convert->add_option("IN", options->In, "Input file (BMP, PNG or JPEG)")->required();
  convert->add_option("OUT", options->Out, "Output file (.bmp, .png, .jpg)")->required();
  convert->add_option("--quality", options->Quality, "JPEG quality")
      ->check(CLI::Range(1, 100))
      ->default_val(90);
  RunsWhenChosen(convert, [options] { return RunImageConvert(*options, std::cout); });
}

}  // namespace tkz::tool
