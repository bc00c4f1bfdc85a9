// JPEG files written by libjpeg itself, in the colour spaces, samplings and
// modes our writer does not produce, for the reader's tests.
#pragma once

#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace tkz::testing_support {

struct JpegWriteOptions {
  int quality = 100;
  int h_samp = 0, v_samp = 0;  // of the first component; 0 keeps libjpeg's default
  bool progressive = false;
  int restart_rows = 0;                   // 0: no restart markers
  const jpeg_scan_info* scans = nullptr;  // a scan script of num_scans scans
  int num_scans = 0;
};

// Writes w x h pixels of `components` interleaved samples in colour space
// `space`. With a sampling given, the other components are not subsampled.
inline std::vector<uint8_t> WriteJpeg(int w, int h, J_COLOR_SPACE space, int components,
                                      const std::vector<uint8_t>& pixels,
                                      const JpegWriteOptions& o = {}) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = components;
  c.in_color_space = space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, o.quality, TRUE);
  if (o.h_samp > 0) {
    c.comp_info[0].h_samp_factor = o.h_samp;
    c.comp_info[0].v_samp_factor = o.v_samp;
    for (int i = 1; i < c.num_components; ++i) {
      c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    }
  }
  if (o.progressive) jpeg_simple_progression(&c);
  if (o.scans != nullptr) {
    c.scan_info = o.scans;
    c.num_scans = o.num_scans;
  }
  c.restart_in_rows = o.restart_rows;
  jpeg_start_compress(&c, TRUE);
  for (int y = 0; y < h; ++y) {
    JSAMPROW row = const_cast<uint8_t*>(pixels.data()) + static_cast<size_t>(y) * w * components;
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> out(buf, buf + size);
  std::free(buf);
  jpeg_destroy_compress(&c);
  return out;
}

}  // namespace tkz::testing_support
