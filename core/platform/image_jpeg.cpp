// JPEG files through libjpeg-turbo. See imagefile.h for what is accepted.
//
// libjpeg reports errors through error_exit, which must not return: ours
// formats the message and longjmps to the setjmp point of the caller. The
// functions that call setjmp (marked below) hold no C++ objects with
// destructors and read no local variable after a longjmp: they only return
// false, and their callers, which own the libjpeg structures, raise the error.
// Warnings that mean missing or corrupt image data take the same way.
#include <cstdio>  // jpeglib.h needs FILE
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
#include <jpegint.h>  // the colour converter's hook, see ConvertAndClear
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/platform/image_codec_internal.h"
#include "core/platform/imagefile.h"
#include "core/platform/jpeg_ycc_internal.h"

namespace tkz {

namespace {

using image_codec::Fail;

constexpr char kFormat[] = "JPEG";
constexpr int kRowsPerCall = 16;

struct JpegError {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX + 64];
};

[[noreturn]] void Jump(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->format_message)(cinfo, reinterpret_cast<JpegError*>(cinfo->err)->message);
  Jump(cinfo);
}

// Trace messages (level >= 0) are ignored. Warnings (level -1) about data
// that cannot be decoded are fatal; the few that leave the picture intact
// are not.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  switch (cinfo->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA:  // stray bytes between segments
    case JWRN_ADOBE_XFORM:      // unknown Adobe transform: the default is used
    case JWRN_JFIF_MAJOR:       // unknown JFIF version
    case JWRN_BOGUS_ICC:        // broken ICC profile, which we do not use
      ++cinfo->err->num_warnings;
      return;
    default:
      ErrorExit(cinfo);
  }
}

// Called while progressive scans are read: refuses files with absurd scan
// counts, each of which would cost a pass over the whole image.
void ScanMonitor(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  const int scans = reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number;
  if (scans > kMaxJpegScans) {
    std::snprintf(reinterpret_cast<JpegError*>(cinfo->err)->message, JMSG_LENGTH_MAX,
                  "more than %d scans", kMaxJpegScans);
    Jump(cinfo);
  }
}

void InitErrors(JpegError& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.message[0] = '\0';
}

// Owns the decompressor. A zeroed struct may always be destroyed.
struct JpegDecoder {
  jpeg_decompress_struct cinfo{};
  JpegError err{};
  jpeg_progress_mgr monitor{};
  bool cmyk = false;
  bool allocated = false;  // the bitmap has been resized
  // libjpeg's own colour converter, which ConvertAndClear wraps.
  void (*convert)(j_decompress_ptr, JSAMPIMAGE, JDIMENSION, JSAMPARRAY, int) = nullptr;
  std::vector<JSAMPLE> scratch;  // one output row and slack for misaligning it
  JSAMPROW scratch_row = nullptr;
  JpegDecoder() {
    InitErrors(err);
    cinfo.err = &err.pub;
    cinfo.client_data = this;
    monitor.progress_monitor = ScanMonitor;
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo); }
};

// Calls setjmp. Reads the header and chooses the output colour space.
bool ReadHeader(JpegDecoder& d, const uint8_t* data, size_t size) {
  if (setjmp(d.err.jump)) return false;
  jpeg_create_decompress(&d.cinfo);
  d.cinfo.mem->max_memory_to_use = kMaxJpegWorkMemory;
  d.cinfo.progress = &d.monitor;
  jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.cinfo, TRUE);
  d.cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
  d.cinfo.out_color_space = d.cmyk ? JCS_CMYK : JCS_EXT_RGBX;
  return true;
}

// C,M,Y,K bytes to R,G,B,0 in place. Adobe's files store the inks inverted.
void CmykToRgb(uint8_t* p, int32_t width, bool inverted) {
  for (int32_t x = 0; x < width; ++x, p += 4) {
    unsigned c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    p[0] = static_cast<uint8_t>((c * k + 127) / 255);
    p[1] = static_cast<uint8_t>((m * k + 127) / 255);
    p[2] = static_cast<uint8_t>((y * k + 127) / 255);
    p[3] = 0;
  }
}

// libjpeg's R,G,B,X output has 255 in X; our pixel word wants 0 there. Its
// vector colour converters write aligned rows, as ours are, past the cache,
// so a second pass clearing X read every row back from memory: a twentieth
// of the decoding time. So the converter is replaced where the rows leave
// it, through its pointer in the decompressor (set by jpeg_start_decompress
// and called for every output row):
// - YCbCr files, with AVX2: our own converter writes R,G,B,0 straight into
//   the bitmap's rows (ConvertYcc);
// - otherwise libjpeg's converter writes each row into a scratch row that
//   is misaligned on purpose, so that it stays in the cache, and the row is
//   copied out with X cleared (ConvertAndClear).
// Both stream their stores past the cache, as libjpeg does: the picture is
// far larger than the cache and is not read again here.

// Copies n R,G,B,X pixels from src to dst with X cleared.
void CopyClearingX(const JSAMPLE* src, JSAMPROW dst, JDIMENSION n) {
  JDIMENSION x = 0;
#if defined(TKZ_JPEG_VECTORS)
  for (; x < n && (reinterpret_cast<uintptr_t>(dst + 4 * x) & 15) != 0; ++x) {
    std::memcpy(dst + 4 * x, src + 4 * x, 3);
    dst[4 * x + 3] = 0;
  }
  const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
  for (; x + 4 <= n; x += 4) {
    _mm_stream_si128(
        reinterpret_cast<__m128i*>(dst + 4 * x),
        _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x)), keep));
  }
#endif
  for (; x < n; ++x) {
    std::memcpy(dst + 4 * x, src + 4 * x, 3);
    dst[4 * x + 3] = 0;
  }
}

void ConvertYcc(j_decompress_ptr cinfo, JSAMPIMAGE input, JDIMENSION input_row, JSAMPARRAY output,
                int num_rows) {
  for (int r = 0; r < num_rows; ++r, ++input_row) {
    image_codec::YccToRgb0Row(input[0][input_row], input[1][input_row], input[2][input_row],
                              output[r], cinfo->output_width);
  }
}

void ConvertAndClear(j_decompress_ptr cinfo, JSAMPIMAGE input, JDIMENSION input_row,
                     JSAMPARRAY output, int num_rows) {
  auto* d = static_cast<JpegDecoder*>(cinfo->client_data);
  JSAMPROW scratch = d->scratch_row;
  for (int r = 0; r < num_rows; ++r) {
    d->convert(cinfo, input, input_row + static_cast<JDIMENSION>(r), &scratch, 1);
    CopyClearingX(scratch, output[r], cinfo->output_width);
  }
}

// Calls setjmp. Decodes the image straight into the bitmap's rows (the
// R,G,B,X layout is our pixel word once X is cleared).
bool ReadRows(JpegDecoder& d, TBitmap& bmp, image_codec::ProgressReporter& progress) {
  if (setjmp(d.err.jump)) return false;
  jpeg_start_decompress(&d.cinfo);  // reads all scans of a progressive file
  if (d.cinfo.output_components != 4) ERREXIT(&d.cinfo, JERR_BAD_J_COLORSPACE);
  // Without a separate converter (a merged upsampler, which our settings
  // never choose) the rows are cleared below instead.
  const bool hooked =
      !d.cmyk && d.cinfo.cconvert != nullptr && d.cinfo.cconvert->color_convert != nullptr;
  if (hooked && d.cinfo.jpeg_color_space == JCS_YCbCr && d.cinfo.num_components == 3 &&
      image_codec::YccToRgb0IsVectorised()) {
    d.cinfo.cconvert->color_convert = ConvertYcc;
  } else if (hooked) {
    d.scratch.resize(static_cast<size_t>(d.cinfo.output_width) * 4 + 16);
    // 4 bytes past a 16-byte boundary: libjpeg streams only to aligned rows.
    d.scratch_row = d.scratch.data() + (4 - reinterpret_cast<uintptr_t>(d.scratch.data())) % 16;
    d.convert = d.cinfo.cconvert->color_convert;
    d.cinfo.cconvert->color_convert = ConvertAndClear;
  }
  d.allocated = true;
  bmp.SetSizeForOverwrite(static_cast<int32_t>(d.cinfo.output_width),
                          static_cast<int32_t>(d.cinfo.output_height));
  progress.Start();
  JSAMPROW rows[kRowsPerCall];
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    const JDIMENSION first = d.cinfo.output_scanline;
    const JDIMENSION n = std::min<JDIMENSION>(kRowsPerCall, d.cinfo.output_height - first);
    for (JDIMENSION i = 0; i < n; ++i) {
      rows[i] = reinterpret_cast<JSAMPROW>(bmp.ScanLine(static_cast<int32_t>(first + i)));
    }
    const JDIMENSION got = jpeg_read_scanlines(&d.cinfo, rows, n);
    if (got == 0) ERREXIT(&d.cinfo, JERR_INPUT_EMPTY);  // cannot happen with a memory source
    for (JDIMENSION i = 0; i < got; ++i) {
      if (d.cmyk) {
        CmykToRgb(rows[i], bmp.GetWidth(), d.cinfo.saw_Adobe_marker);
      } else if (!hooked) {
        for (JDIMENSION x = 0; x < d.cinfo.output_width; ++x) rows[i][4 * x + 3] = 0;
      }
    }
    progress.Rows(d.cinfo.output_scanline, d.cinfo.output_height);
  }
  jpeg_finish_decompress(&d.cinfo);
#if defined(TKZ_JPEG_VECTORS)
  if (hooked) _mm_sfence();  // our streamed stores are seen by other threads
#endif
  return true;
}

// A destination that appends to a vector. Growing it may fail; the failure
// becomes a libjpeg error rather than an exception crossing libjpeg's frames.
struct VectorDestination {
  jpeg_destination_mgr pub{};
  std::vector<uint8_t> out;
};

void InitDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<VectorDestination*>(cinfo->dest);
  bool failed = false;
  try {
    d->out.resize(size_t{1} << 16);
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  d->pub.next_output_byte = d->out.data();
  d->pub.free_in_buffer = d->out.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<VectorDestination*>(cinfo->dest);
  const size_t used = d->out.size();
  bool failed = false;
  try {
    d->out.resize(used * 2);
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
  d->pub.next_output_byte = d->out.data() + used;
  d->pub.free_in_buffer = d->out.size() - used;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<VectorDestination*>(cinfo->dest);
  d->out.resize(d->out.size() - d->pub.free_in_buffer);
}

// Owns the compressor.
struct JpegEncoder {
  jpeg_compress_struct cinfo{};
  JpegError err{};
  VectorDestination dest;
  JpegEncoder() {
    InitErrors(err);
    cinfo.err = &err.pub;
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyOutputBuffer;
    dest.pub.term_destination = TermDestination;
  }
  ~JpegEncoder() { jpeg_destroy_compress(&cinfo); }
};

// Calls setjmp. Encodes the bitmap's R,G,B,0 rows.
bool Encode(JpegEncoder& e, const TBitmap& bmp, int quality) {
  if (setjmp(e.err.jump)) return false;
  jpeg_create_compress(&e.cinfo);
  e.cinfo.dest = &e.dest.pub;
  e.cinfo.image_width = static_cast<JDIMENSION>(bmp.GetWidth());
  e.cinfo.image_height = static_cast<JDIMENSION>(bmp.GetHeight());
  e.cinfo.input_components = 4;
  e.cinfo.in_color_space = JCS_EXT_RGBX;
  jpeg_set_defaults(&e.cinfo);  // YCbCr, 4:2:0, JFIF header
  jpeg_set_quality(&e.cinfo, quality, TRUE);
  e.cinfo.density_unit = 1;  // dots per inch
  e.cinfo.X_density = 96;
  e.cinfo.Y_density = 96;
  jpeg_start_compress(&e.cinfo, TRUE);
  JSAMPROW rows[kRowsPerCall];
  while (e.cinfo.next_scanline < e.cinfo.image_height) {
    const JDIMENSION first = e.cinfo.next_scanline;
    const JDIMENSION n = std::min<JDIMENSION>(kRowsPerCall, e.cinfo.image_height - first);
    for (JDIMENSION i = 0; i < n; ++i) {
      // libjpeg only reads the rows; its interface is not const-correct.
      rows[i] = reinterpret_cast<JSAMPROW>(
          const_cast<uint32_t*>(bmp.ScanLine(static_cast<int32_t>(first + i))));
    }
    jpeg_write_scanlines(&e.cinfo, rows, n);
  }
  jpeg_finish_compress(&e.cinfo);
  return true;
}

}  // namespace

void LoadJPEG(TBitmap& bmp, const uint8_t* data, size_t size, const TProgressEvent& OnProgress,
              TObject* Sender) {
  if (data == nullptr || size == 0) Fail(kFormat, "no data");
  if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) {
    Fail(kFormat, "bad signature (no start-of-image marker)");
  }
  JpegDecoder d;
  if (!ReadHeader(d, data, size)) Fail(kFormat, d.err.message);
  image_codec::CheckSize(kFormat, d.cinfo.image_width, d.cinfo.image_height);
  // Sequential Huffman coding spends at least 2 bits on every 8 x 8 block (a
  // DC code and an end-of-block code): a file too short for that is
  // truncated, and is refused before the bitmap is allocated. (Progressive
  // files are read whole before the allocation anyway.)
  if (!d.cinfo.progressive_mode && !d.cinfo.arith_code) {
    uint64_t blocks = 0;
    for (int i = 0; i < d.cinfo.num_components; ++i) {
      blocks += static_cast<uint64_t>(d.cinfo.comp_info[i].width_in_blocks) *
                d.cinfo.comp_info[i].height_in_blocks;
    }
    if (static_cast<uint64_t>(size) * 4 < blocks) {
      Fail(kFormat,
           "Premature end of JPEG file (" + std::to_string(size) + " bytes cannot hold a " +
               image_codec::SizeText(d.cinfo.image_width, d.cinfo.image_height) + " image)");
    }
  }

  image_codec::ProgressReporter progress(OnProgress, Sender);
  bool ok = false;
  try {
    ok = ReadRows(d, bmp, progress);
  } catch (...) {
    if (d.allocated) bmp.SetSize(0, 0);
    throw;
  }
  if (!ok) {
    if (d.allocated) bmp.SetSize(0, 0);
    Fail(kFormat, d.err.message);
  }
  progress.End();
}

std::vector<uint8_t> SaveJPEG(const TBitmap& bmp, int Quality) {
  if (bmp.Empty()) throw EInvalidGraphic("cannot write an empty bitmap as a JPEG image");
  JpegEncoder e;
  if (!Encode(e, bmp, std::clamp(Quality, 1, 100))) {
    throw EInvalidGraphic(std::string("cannot write JPEG image: ") + e.err.message);
  }
  return std::move(e.dest.out);
}

}  // namespace tkz
