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

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/platform/image_codec_internal.h"
#include "core/platform/imagefile.h"

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

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TKZ_JPEG_VECTORS 1
#endif

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

// libjpeg's YCbCr to RGB in 16-bit fixed point: R = Y + 1.402 Cr',
// G = Y - 0.34414 Cb' - 0.71414 Cr', B = Y + 1.772 Cb' (Cb' = Cb - 128),
// each product rounded as its tables round it, then clamped to 0..255. The
// factors are split so that the vectors multiply 16-bit pairs:
// 1.402 = 1 + 26345/65536, 1.772 = 2 - 14942/65536, 0.71414 = 1 - 18734/65536.
void YccToRgb0Plain(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                    uint32_t n) {
  const auto clamp = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
  for (uint32_t x = 0; x < n; ++x, out += 4) {
    const int l = y[x], b = cb[x] - 128, r = cr[x] - 128;
    out[0] = clamp(l + r + ((26345 * r + 32768) >> 16));
    out[1] = clamp(l - r + ((-22554 * b + 18734 * r + 32768) >> 16));
    out[2] = clamp(l + 2 * b + ((-14942 * b + 32768) >> 16));
    out[3] = 0;
  }
}

// The pairs multiplied: (Cr', 2) by (26345, 16384) for R, (Cb', 2) by
// (-14942, 16384) for B, (Cb', Cr') by (-22554, 18734) for G.
constexpr int32_t Pair(int lo, int hi) {
  return static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xFFFFu) |
                              (static_cast<uint32_t>(hi) << 16));
}
constexpr int32_t kRedPair = Pair(26345, 16384);
constexpr int32_t kBluePair = Pair(-14942, 16384);
constexpr int32_t kGreenPair = Pair(-22554, 18734);

#if defined(TKZ_JPEG_VECTORS)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
// 16 bytes as 16-bit lanes.
inline __m256i Widen(const uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// A product term from its 32-bit sums for the lower (lo) and upper (hi)
// four lanes of each 128-bit half: shifted, and packed back to 16-bit lanes
// in order.
inline __m256i Term(__m256i lo, __m256i hi) {
  return _mm256_packs_epi32(_mm256_srai_epi32(lo, 16), _mm256_srai_epi32(hi, 16));
}

inline __m256i Clamp(__m256i v) {
  return _mm256_min_epi16(_mm256_max_epi16(v, _mm256_setzero_si256()), _mm256_set1_epi16(255));
}

// 16 pixels a step; see YccToRgb0Plain for the arithmetic.
void YccToRgb0Avx2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                   uint32_t n) {
  uint32_t x = 0;
  while (x < n && (reinterpret_cast<uintptr_t>(out + 4 * x) & 31) != 0) ++x;
  YccToRgb0Plain(y, cb, cr, out, x);
  const __m256i center = _mm256_set1_epi16(128);
  const __m256i two = _mm256_set1_epi16(2);
  const __m256i half = _mm256_set1_epi32(32768);
  const __m256i r_factors = _mm256_set1_epi32(kRedPair);
  const __m256i b_factors = _mm256_set1_epi32(kBluePair);
  const __m256i g_factors = _mm256_set1_epi32(kGreenPair);
  for (; x + 16 <= n; x += 16) {
    const __m256i l = Widen(y + x);
    const __m256i b = _mm256_sub_epi16(Widen(cb + x), center);
    const __m256i r = _mm256_sub_epi16(Widen(cr + x), center);
    const __m256i r_term = Term(_mm256_madd_epi16(_mm256_unpacklo_epi16(r, two), r_factors),
                                _mm256_madd_epi16(_mm256_unpackhi_epi16(r, two), r_factors));
    const __m256i b_term = Term(_mm256_madd_epi16(_mm256_unpacklo_epi16(b, two), b_factors),
                                _mm256_madd_epi16(_mm256_unpackhi_epi16(b, two), b_factors));
    const __m256i g_term =
        Term(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(b, r), g_factors), half),
             _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(b, r), g_factors), half));
    const __m256i red = Clamp(_mm256_add_epi16(_mm256_add_epi16(l, r), r_term));
    const __m256i green = Clamp(_mm256_add_epi16(_mm256_sub_epi16(l, r), g_term));
    const __m256i blue =
        Clamp(_mm256_add_epi16(_mm256_add_epi16(l, _mm256_add_epi16(b, b)), b_term));
    // R | G << 8 and B | 0 << 8 interleaved into pixels: 0-3 and 8-11 in
    // lo, 4-7 and 12-15 in hi.
    const __m256i rg = _mm256_or_si256(red, _mm256_slli_epi16(green, 8));
    const __m256i lo = _mm256_unpacklo_epi16(rg, blue);
    const __m256i hi = _mm256_unpackhi_epi16(rg, blue);
    auto* to = reinterpret_cast<__m256i*>(out + 4 * x);
    _mm256_stream_si256(to, _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_stream_si256(to + 1, _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  YccToRgb0Plain(y + x, cb + x, cr + x, out + 4 * x, n - x);
}
#if defined(__clang__)
#pragma clang attribute pop
#pragma clang attribute push(__attribute__((target("avx512bw"))), apply_to = function)
#else
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512bw")
// GCC 12's own shift intrinsics trip its uninitialised-value warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
inline __m512i Widen512(const uint8_t* p) {
  return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

inline __m512i Term512(__m512i lo, __m512i hi) {
  return _mm512_packs_epi32(_mm512_srai_epi32(lo, 16), _mm512_srai_epi32(hi, 16));
}

inline __m512i Clamp512(__m512i v) {
  return _mm512_min_epi16(_mm512_max_epi16(v, _mm512_setzero_si512()), _mm512_set1_epi16(255));
}

// As YccToRgb0Avx2, 32 pixels a step: whole cache lines per store, a few
// per cent faster.
void YccToRgb0Avx512(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                     uint32_t n) {
  uint32_t x = 0;
  while (x < n && (reinterpret_cast<uintptr_t>(out + 4 * x) & 63) != 0) ++x;
  YccToRgb0Plain(y, cb, cr, out, x);
  const __m512i center = _mm512_set1_epi16(128);
  const __m512i two = _mm512_set1_epi16(2);
  const __m512i half = _mm512_set1_epi32(32768);
  const __m512i r_factors = _mm512_set1_epi32(kRedPair);
  const __m512i b_factors = _mm512_set1_epi32(kBluePair);
  const __m512i g_factors = _mm512_set1_epi32(kGreenPair);
  // lo holds pixels 8k..8k+3 in its 128-bit lane k, hi 8k+4..8k+7.
  const __m512i first = _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0);
  const __m512i second = _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4);
  for (; x + 32 <= n; x += 32) {
    const __m512i l = Widen512(y + x);
    const __m512i b = _mm512_sub_epi16(Widen512(cb + x), center);
    const __m512i r = _mm512_sub_epi16(Widen512(cr + x), center);
    const __m512i r_term = Term512(_mm512_madd_epi16(_mm512_unpacklo_epi16(r, two), r_factors),
                                   _mm512_madd_epi16(_mm512_unpackhi_epi16(r, two), r_factors));
    const __m512i b_term = Term512(_mm512_madd_epi16(_mm512_unpacklo_epi16(b, two), b_factors),
                                   _mm512_madd_epi16(_mm512_unpackhi_epi16(b, two), b_factors));
    const __m512i g_term =
        Term512(_mm512_add_epi32(_mm512_madd_epi16(_mm512_unpacklo_epi16(b, r), g_factors), half),
                _mm512_add_epi32(_mm512_madd_epi16(_mm512_unpackhi_epi16(b, r), g_factors), half));
    const __m512i red = Clamp512(_mm512_add_epi16(_mm512_add_epi16(l, r), r_term));
    const __m512i green = Clamp512(_mm512_add_epi16(_mm512_sub_epi16(l, r), g_term));
    const __m512i blue =
        Clamp512(_mm512_add_epi16(_mm512_add_epi16(l, _mm512_add_epi16(b, b)), b_term));
    const __m512i rg = _mm512_or_si512(red, _mm512_slli_epi16(green, 8));
    const __m512i lo = _mm512_unpacklo_epi16(rg, blue);
    const __m512i hi = _mm512_unpackhi_epi16(rg, blue);
    auto* to = reinterpret_cast<__m512i*>(out + 4 * x);
    _mm512_stream_si512(to, _mm512_permutex2var_epi64(lo, first, hi));
    _mm512_stream_si512(to + 1, _mm512_permutex2var_epi64(lo, second, hi));
  }
  YccToRgb0Avx2(y + x, cb + x, cr + x, out + 4 * x, n - x);
}
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif
#endif  // TKZ_JPEG_VECTORS

enum class YccKind { kPlain, kAvx2, kAvx512 };

YccKind YccVectors() {
#if defined(TKZ_JPEG_VECTORS)
  static const YccKind kind = __builtin_cpu_supports("avx512bw") ? YccKind::kAvx512
                              : __builtin_cpu_supports("avx2")   ? YccKind::kAvx2
                                                                 : YccKind::kPlain;
  return kind;
#else
  return YccKind::kPlain;
#endif
}

}  // namespace

namespace image_codec {

bool YccToRgb0IsVectorised() { return YccVectors() != YccKind::kPlain; }

void YccToRgb0Row(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                  uint32_t n) {
  switch (YccVectors()) {
#if defined(TKZ_JPEG_VECTORS)
    case YccKind::kAvx512:
      return YccToRgb0Avx512(y, cb, cr, out, n);
    case YccKind::kAvx2:
      return YccToRgb0Avx2(y, cb, cr, out, n);
#endif
    default:
      return YccToRgb0Plain(y, cb, cr, out, n);
  }
}

}  // namespace image_codec

namespace {

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
