// Image files: format detection, reading whole files, saving through a
// temporary file, and TJPEGImage. The codecs are image_bmp.cpp,
// image_png.cpp and image_jpeg.cpp.
#include "core/platform/imagefile.h"

#include "core/platform/stream_internal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace tkz {

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

[[noreturn]] void RaiseIO(const std::string& what, const std::string& file, int code) {
  throw EInOutError(what + " " + Quoted(file) + ": " + std::strerror(code), code);
}

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

// The whole file, at most kMaxImageFileSize bytes (EInvalidGraphic beyond).
std::vector<uint8_t> ReadWholeFile(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseIO("Cannot open", name, errno);
  FdCloser closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) RaiseIO("Cannot read", name, errno);
  if (S_ISDIR(st.st_mode)) RaiseIO("Cannot read", name, EISDIR);
  const auto tooLarge = [&] {
    throw EInvalidGraphic("Cannot load " + Quoted(name) + ": file larger than " +
                          std::to_string(kMaxImageFileSize >> 20) + " MiB");
  };
  if (S_ISREG(st.st_mode) && st.st_size > kMaxImageFileSize) tooLarge();
  std::vector<uint8_t> data;
  // Regular files are read in one piece; pipes and devices grow the buffer.
  size_t chunk = S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) + 1 : size_t{1} << 16;
  size_t used = 0;
  for (;;) {
    if (used == data.size()) data.resize(used + chunk);
    const ssize_t n = ::read(fd, data.data() + used, data.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseIO("Cannot read", name, errno);
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
    if (used > static_cast<size_t>(kMaxImageFileSize)) tooLarge();
    chunk = std::min<size_t>(std::max<size_t>(used, size_t{1} << 16), size_t{64} << 20);
  }
  data.resize(used);
  return data;
}

}  // namespace

TImageFormat ImageFormatFromFileName(const std::string& FileName) {
  const std::string ext = LowerExtension(FileName);
  if (ext == ".bmp") return TImageFormat::BMP;
  if (ext == ".png") return TImageFormat::PNG;
  if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") return TImageFormat::JPEG;
  return TImageFormat::Unknown;
}

TImageFormat DetectImageFormat(const uint8_t* data, size_t size) {
  static constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data == nullptr) return TImageFormat::Unknown;
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return TImageFormat::PNG;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    return TImageFormat::JPEG;
  }
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return TImageFormat::BMP;
  return TImageFormat::Unknown;
}

void LoadBitmapFromMemory(TBitmap& bmp, const uint8_t* data, size_t size,
                          const TProgressEvent& OnProgress, TObject* Sender) {
  switch (DetectImageFormat(data, size)) {
    case TImageFormat::BMP:
      return LoadBMP(bmp, data, size, OnProgress, Sender);
    case TImageFormat::PNG:
      return LoadPNG(bmp, data, size, OnProgress, Sender);
    case TImageFormat::JPEG:
      return LoadJPEG(bmp, data, size, OnProgress, Sender);
    case TImageFormat::Unknown:
      break;
  }
  throw EInvalidGraphic("unknown image format (no BMP, PNG or JPEG signature)");
}

void LoadBitmapFromFile(TBitmap& bmp, const std::string& FileName, const TProgressEvent& OnProgress,
                        TObject* Sender) {
  const std::vector<uint8_t> data = ReadWholeFile(FileName);
  if (data.empty()) throw EInvalidGraphic("Cannot load " + Quoted(FileName) + ": empty file");
  TImageFormat format = DetectImageFormat(data.data(), data.size());
  if (format == TImageFormat::Unknown) format = ImageFormatFromFileName(FileName);
  try {
    switch (format) {
      case TImageFormat::BMP:
        return LoadBMP(bmp, data.data(), data.size(), OnProgress, Sender);
      case TImageFormat::PNG:
        return LoadPNG(bmp, data.data(), data.size(), OnProgress, Sender);
      case TImageFormat::JPEG:
        return LoadJPEG(bmp, data.data(), data.size(), OnProgress, Sender);
      case TImageFormat::Unknown:
        throw EInvalidGraphic("unknown image format (no BMP, PNG or JPEG signature)");
    }
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic("Cannot load " + Quoted(FileName) + ": " + e.what());
  }
}

void SaveBitmapToFile(const TBitmap& bmp, const std::string& FileName, int JpegQuality) {
  std::vector<uint8_t> bytes;
  try {
    switch (ImageFormatFromFileName(FileName)) {
      case TImageFormat::BMP:
        bytes = SaveBMP(bmp);
        break;
      case TImageFormat::PNG:
        bytes = SavePNG(bmp);
        break;
      case TImageFormat::JPEG:
        bytes = SaveJPEG(bmp, JpegQuality);
        break;
      case TImageFormat::Unknown:
        throw EInvalidGraphic("unknown image file extension " + Quoted(LowerExtension(FileName)) +
                              " (use .bmp, .png or .jpg)");
    }
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic("Cannot save " + Quoted(FileName) + ": " + e.what());
  }
  WriteFileReplacing(FileName, bytes);
}

void WriteFileReplacing(const std::string& FileName, const std::vector<uint8_t>& bytes) {
  ReplaceFileBytes(FileName,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                   ReplaceFallback::Fail);
}

// ------------------------------------------------------------- TJPEGImage
void TJPEGImage::SetCompressionQuality(int q) { quality_ = std::clamp(q, 1, 100); }

void TJPEGImage::LoadFromFile(const std::string& FileName) {
  const std::vector<uint8_t> data = ReadWholeFile(FileName);
  try {
    LoadJPEG(bitmap_, data.data(), data.size(), OnProgress, this);
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic("Cannot load " + Quoted(FileName) + ": " + e.what());
  }
}

void TJPEGImage::SaveToFile(const std::string& FileName) const {
  std::vector<uint8_t> bytes;
  try {
    bytes = SaveJPEG(bitmap_, quality_);
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic("Cannot save " + Quoted(FileName) + ": " + e.what());
  }
  WriteFileReplacing(FileName, bytes);
}

void TJPEGImage::Assign(const TPersistent* Source) {
  if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
    bitmap_.Assign(b);
    return;
  }
  if (auto* j = dynamic_cast<const TJPEGImage*>(Source)) {
    if (j == this) return;
    bitmap_.Assign(&j->bitmap_);
    quality_ = j->quality_;
    return;
  }
  TPersistent::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) const {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    b->Assign(&bitmap_);
    return;
  }
  TPersistent::AssignTo(Dest);
}

}  // namespace tkz
