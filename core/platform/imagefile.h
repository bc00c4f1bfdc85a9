// Reading and writing bitmaps as image files: BMP (our own code), PNG
// (libpng) and JPEG (libjpeg-turbo).
//
// Every reader takes untrusted bytes. Corrupt, truncated or unsupported
// content raises EInvalidGraphic with a message saying what is wrong (and, for
// files, which file); sizes beyond TBitmap's limits are refused from the
// header, before any pixel memory is allocated. File-system failures raise
// EInOutError with the file name and the system's reason.
//
// What the readers accept:
// - BMP: the 12-byte core header and the 40-, 52-, 56-, 108- and 124-byte
//   info headers (only their first 40 bytes and the colour masks are read);
//   1-, 4- and 8-bit palette images, 16-bit (5-5-5, or bit fields), 24-bit and
//   32-bit (B,G,R,X or bit fields) pixels; bottom-up and top-down rows. Alpha
//   is ignored. Compressed data (RLE, embedded JPEG or PNG) is refused, and so
//   is a palette index beyond the palette the file holds.
// - PNG: every colour type, bit depth and interlace. Palette and grey images
//   become RGB, 16-bit samples are scaled to 8 bits, and transparent pixels
//   are composited over white. No gamma correction is applied. A file whose
//   chunks end early (no IEND) counts as truncated.
// - JPEG: baseline and progressive, greyscale, YCbCr, RGB, CMYK and YCCK
//   (Adobe's inverted CMYK included). Premature end of data and corrupt
//   entropy-coded data are errors; harmless warnings (extraneous bytes before
//   a marker, unknown JFIF versions, odd Adobe transforms) are not.
//   Progressive images with more than kMaxJpegScans scans are refused, and the
//   library's working memory is held to kMaxJpegWorkMemory.
// When a reader refuses the header, the target bitmap keeps its picture; when
// the pixel data turns out bad, the bitmap is left empty (0 x 0).
//
// Writers: BMP as 24-bit bottom-up BI_RGB rows with a 40-byte header and a
// resolution of 3780 pixels per metre (96 dpi, the platform's screen
// resolution); PNG as 8-bit RGB, not interlaced; JPEG as baseline YCbCr with
// 4:2:0 chroma subsampling at a quality of 1..100 (clamped), JFIF 96 dpi.
// Empty bitmaps cannot be written (EInvalidGraphic): no format stores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"

namespace tkz {

enum class TImageFormat : uint8_t { Unknown, BMP, PNG, JPEG };

// The format named by a file's extension, compared without case: .bmp; .png;
// .jpg, .jpeg, .jpe, .jfif. Unknown for anything else.
TKZ_COREKIT_EXPORT TImageFormat ImageFormatFromFileName(const std::string& FileName);
// The format whose signature starts the data ("BM", the PNG signature, the
// JPEG SOI marker); Unknown when none does.
TKZ_COREKIT_EXPORT TImageFormat DetectImageFormat(const uint8_t* data, size_t size);

// Progress of a long read: psStarting with 0, psRunning with percents that
// only grow (at most once per whole percent), psEnding with 100. A read that
// fails sends no psEnding.
enum TProgressStage : uint8_t { psStarting, psRunning, psEnding };
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone)>;

// Limits of the JPEG reader beyond TBitmap's size limits.
constexpr int kMaxJpegScans = 500;
constexpr long kMaxJpegWorkMemory = 1536L << 20;  // bytes
// Image files larger than this are refused without being read.
constexpr int64_t kMaxImageFileSize = int64_t{2} << 30;

// ------------------------------------------------------------ from memory
// Decode one format from a buffer into bmp (which takes the image's size).
TKZ_COREKIT_EXPORT void LoadBMP(TBitmap& bmp, const uint8_t* data, size_t size,
                                const TProgressEvent& OnProgress = {}, TObject* Sender = nullptr);
TKZ_COREKIT_EXPORT void LoadPNG(TBitmap& bmp, const uint8_t* data, size_t size,
                                const TProgressEvent& OnProgress = {}, TObject* Sender = nullptr);
TKZ_COREKIT_EXPORT void LoadJPEG(TBitmap& bmp, const uint8_t* data, size_t size,
                                 const TProgressEvent& OnProgress = {}, TObject* Sender = nullptr);
// Decodes whichever of the three formats the data's signature shows.
TKZ_COREKIT_EXPORT void LoadBitmapFromMemory(TBitmap& bmp, const uint8_t* data, size_t size,
                                             const TProgressEvent& OnProgress = {},
                                             TObject* Sender = nullptr);

TKZ_COREKIT_EXPORT std::vector<uint8_t> SaveBMP(const TBitmap& bmp);
TKZ_COREKIT_EXPORT std::vector<uint8_t> SavePNG(const TBitmap& bmp);
TKZ_COREKIT_EXPORT std::vector<uint8_t> SaveJPEG(const TBitmap& bmp, int Quality = 90);

// ------------------------------------------------------------------ files
// Reads a BMP, PNG or JPEG file, recognised by its signature (the extension
// decides only when no signature matches, which then gives that format's
// error message).
TKZ_COREKIT_EXPORT void LoadBitmapFromFile(TBitmap& bmp, const std::string& FileName,
                                           const TProgressEvent& OnProgress = {},
                                           TObject* Sender = nullptr);
// Writes the format named by the extension (EInvalidGraphic for any other).
// The file is written beside the target under a temporary name and renamed
// into place, so a failed save leaves any previous file untouched.
TKZ_COREKIT_EXPORT void SaveBitmapToFile(const TBitmap& bmp, const std::string& FileName,
                                         int JpegQuality = 90);

// Writes bytes to a file through a temporary file and a rename (see above).
TKZ_COREKIT_EXPORT void WriteFileReplacing(const std::string& FileName,
                                           const std::vector<uint8_t>& bytes);

// A JPEG picture: a decoded bitmap plus the quality used when it is saved.
// Assign(bitmap) takes a bitmap's pixels; bitmap.Assign(jpeg) (AssignTo)
// gives them back.
class TKZ_COREKIT_EXPORT TJPEGImage : public TPersistent {
 public:
  static constexpr int kDefaultQuality = 90;

  void LoadFromFile(const std::string& FileName);  // reports to OnProgress
  void SaveToFile(const std::string& FileName) const;
  int GetCompressionQuality() const { return quality_; }
  void SetCompressionQuality(int q);  // clamped to 1..100
  int GetWidth() const { return bitmap_.GetWidth(); }
  int GetHeight() const { return bitmap_.GetHeight(); }
  bool Empty() const { return bitmap_.Empty(); }
  const TBitmap& GetBitmap() const { return bitmap_; }

  void Assign(const TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) const override;
  std::string ClassName() const override { return "TJPEGImage"; }

  TProgressEvent OnProgress;

 private:
  TBitmap bitmap_;
  int quality_ = kDefaultQuality;
};

}  // namespace tkz
