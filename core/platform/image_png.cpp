// PNG files through libpng. See imagefile.h for what is accepted.
//
// libpng reports errors by longjmp to the setjmp point of the caller. The
// functions that call setjmp (marked below) hold no C++ objects with
// destructors and read no local variable after a longjmp: they only return
// false, and their callers, which own the libpng structures, raise the error.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform/image_codec_internal.h"
#include "core/platform/imagefile.h"

namespace tkz {

namespace {

using image_codec::Fail;

constexpr char kFormat[] = "PNG";
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;  // ancillary chunk memory
constexpr png_uint_32 kMaxAncillaryChunks = 256;

struct PngState {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  std::vector<uint8_t>* out = nullptr;  // when writing
  char message[256] = "";
  char warning[128] = "";  // the last warning, which often explains an error
};

void OnError(png_structp png, png_const_charp msg) {
  auto* st = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(st->message, sizeof st->message, st->warning[0] ? "%s (%s)" : "%s",
                msg ? msg : "unknown error", st->warning);
  png_longjmp(png, 1);
}
// Warnings leave the image usable; the header's explain its errors.
void OnWarning(png_structp png, png_const_charp msg) {
  auto* st = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(st->warning, sizeof st->warning, "%s", msg ? msg : "");
}

void ReadData(png_structp png, png_bytep dst, png_size_t n) {
  auto* st = static_cast<PngState*>(png_get_io_ptr(png));
  if (n > st->size - st->pos) png_error(png, "file truncated");
  std::memcpy(dst, st->data + st->pos, n);
  st->pos += n;
}

void WriteData(png_structp png, png_bytep src, png_size_t n) {
  auto* st = static_cast<PngState*>(png_get_io_ptr(png));
  bool failed = false;
  try {
    st->out->insert(st->out->end(), src, src + n);
  } catch (const std::bad_alloc&) {  // no C++ exception may cross libpng's frames
    failed = true;
  }
  if (failed) png_error(png, "out of memory");
}
void FlushData(png_structp) {}

// Deflate expands at most 1032-fold (a 258-byte match in 2 bits).
constexpr uint64_t kMaxDeflateRatio = 1040;

uint32_t BE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// The bytes of all IDAT chunks that lie within the data.
uint64_t IdatBytes(const uint8_t* data, size_t size) {
  uint64_t total = 0;
  for (size_t pos = 8; pos <= size && size - pos >= 12;) {
    const uint32_t length = BE32(data + pos);
    if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) {
      total += std::min<uint64_t>(length, size - pos - 8);
    }
    if (length > size - pos - 12) break;
    pos += 12 + static_cast<size_t>(length);
  }
  return total;
}

// The decompressed size of an image's rows, without filter bytes, from the
// IHDR chunk that libpng has checked (it is the first chunk).
uint64_t MinimumRawBytes(const uint8_t* data, uint32_t width, uint32_t height) {
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  const unsigned depth = data[24], colorType = data[25];
  const uint64_t bits = static_cast<uint64_t>(width) * depth * kChannels[colorType % 7];
  return (bits + 7) / 8 * height;
}

// Owns the read structures.
struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngState state;
  int passes = 1;
  bool alpha = false;
  ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Calls setjmp. Reads the header and sets the transformations that give
// 8-bit R,G,B,A or R,G,B,0 pixels.
bool ReadHeader(PngReader& r, png_uint_32& width, png_uint_32& height) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_set_user_limits(r.png, TBitmap::kMaxSide, TBitmap::kMaxSide);
  png_set_chunk_malloc_max(r.png, kMaxChunkBytes);
  png_set_chunk_cache_max(r.png, kMaxAncillaryChunks);
  png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  // Text, colour profiles and suggested palettes are not used: skip their
  // decompression and parsing.
  static const png_byte kSkipped[] = "iCCP\0iTXt\0zTXt\0tEXt\0sPLT\0eXIf";
  png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, kSkipped, 6);
  png_set_read_fn(r.png, &r.state, ReadData);
  png_read_info(r.png, r.info);
  width = png_get_image_width(r.png, r.info);
  height = png_get_image_height(r.png, r.info);
  const int colorType = png_get_color_type(r.png, r.info);
  const int depth = png_get_bit_depth(r.png, r.info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(r.png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(r.png);
  r.alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (png_get_valid(r.png, r.info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(r.png);
    r.alpha = true;
  }
  if (depth == 16) png_set_scale_16(r.png);
  if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(r.png);
  if (!r.alpha) png_set_filler(r.png, 0, PNG_FILLER_AFTER);
  r.passes = png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  if (png_get_rowbytes(r.png, r.info) != static_cast<size_t>(width) * 4) {
    png_error(r.png, "unexpected row layout");
  }
  return true;
}

// Calls setjmp. Reads all rows (all passes) straight into the bitmap, then
// the chunks after the image data.
bool ReadRows(PngReader& r, TBitmap& bmp, image_codec::ProgressReporter& progress) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  r.state.warning[0] = '\0';
  const int32_t h = bmp.GetHeight();
  const int64_t total = static_cast<int64_t>(h) * r.passes;
  for (int pass = 0; pass < r.passes; ++pass) {
    for (int32_t y = 0; y < h; ++y) {
      png_read_row(r.png, reinterpret_cast<png_bytep>(bmp.ScanLine(y)), nullptr);
      progress.Rows(static_cast<int64_t>(pass) * h + y + 1, total);
    }
  }
  png_read_end(r.png, nullptr);
  return true;
}

// Composites R,G,B,A pixels over white; leaves the top byte 0.
void CompositeOverWhite(TBitmap& bmp) {
  const size_t n = static_cast<size_t>(bmp.GetWidth()) * static_cast<size_t>(bmp.GetHeight());
  uint32_t* p = bmp.Bits();
  for (size_t i = 0; i < n; ++i) {
    uint8_t* c = reinterpret_cast<uint8_t*>(p + i);
    const unsigned a = c[3];
    for (int k = 0; k < 3; ++k)
      c[k] = static_cast<uint8_t>((c[k] * a + 255 * (255 - a) + 127) / 255);
    c[3] = 0;
  }
}

// Owns the write structures.
struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngState state;
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// Calls setjmp. Writes 8-bit RGB rows taken from the bitmap's R,G,B,0 words.
bool WriteImage(PngWriter& w, const TBitmap& bmp) {
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_set_write_fn(w.png, &w.state, WriteData, FlushData);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(bmp.GetWidth()),
               static_cast<png_uint_32>(bmp.GetHeight()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(w.png, w.info);
  png_set_filler(w.png, 0, PNG_FILLER_AFTER);  // the input has a fourth, unused byte
  for (int32_t y = 0; y < bmp.GetHeight(); ++y) {
    png_write_row(w.png, reinterpret_cast<png_const_bytep>(bmp.ScanLine(y)));
  }
  png_write_end(w.png, w.info);
  return true;
}

}  // namespace

void LoadPNG(TBitmap& bmp, const uint8_t* data, size_t size, const TProgressEvent& OnProgress,
             TObject* Sender) {
  if (data == nullptr || size == 0) Fail(kFormat, "no data");
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) Fail(kFormat, "bad signature");
  PngReader r;
  r.state.data = data;
  r.state.size = size;
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.state, OnError, OnWarning);
  if (r.png) r.info = png_create_info_struct(r.png);
  if (!r.png || !r.info) throw std::bad_alloc();
  png_uint_32 width = 0, height = 0;
  if (!ReadHeader(r, width, height)) Fail(kFormat, r.state.message);
  image_codec::CheckSize(kFormat, width, height);
  const uint64_t idat = IdatBytes(data, size);
  const uint64_t minimum = MinimumRawBytes(data, width, height) / kMaxDeflateRatio;
  if (idat < minimum) {
    Fail(kFormat, "file truncated (" + std::to_string(idat) +
                      " bytes of image data cannot hold a " + image_codec::SizeText(width, height) +
                      " image)");
  }

  image_codec::ProgressReporter progress(OnProgress, Sender);
  bmp.SetSizeForOverwrite(static_cast<int32_t>(width), static_cast<int32_t>(height));
  progress.Start();
  bool ok = false;
  try {
    ok = ReadRows(r, bmp, progress);
  } catch (...) {
    bmp.SetSize(0, 0);
    throw;
  }
  if (!ok) {
    bmp.SetSize(0, 0);
    Fail(kFormat, r.state.message);
  }
  if (r.alpha) CompositeOverWhite(bmp);
  progress.End();
}

std::vector<uint8_t> SavePNG(const TBitmap& bmp) {
  if (bmp.Empty()) throw EInvalidGraphic("cannot write an empty bitmap as a PNG image");
  std::vector<uint8_t> out;
  PngWriter w;
  w.state.out = &out;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w.state, OnError, OnWarning);
  if (w.png) w.info = png_create_info_struct(w.png);
  if (!w.png || !w.info) throw std::bad_alloc();
  if (!WriteImage(w, bmp))
    throw EInvalidGraphic(std::string("cannot write PNG image: ") + w.state.message);
  return out;
}

}  // namespace tkz
