// "tkz image convert": converts between BMP, PNG and JPEG files.
#include <ostream>

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

}  // namespace tkz::tool
