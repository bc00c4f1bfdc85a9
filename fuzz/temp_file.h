// A temporary file for fuzz targets that read files: made once per process,
// rewritten for every input, removed when the process ends.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tkz::fuzzing {

class TempFile {
 public:
  explicit TempFile(const std::string& tag) {
    std::string pattern = "/tmp/tkz_" + tag + "_fuzz_XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) std::abort();
    ::close(fd);
    name_ = pattern;
  }
  ~TempFile() { ::unlink(name_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& Name() const { return name_; }
  // Replaces the file's contents with the bytes given.
  void Write(const uint8_t* data, size_t size) const {
    std::ofstream out(name_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

 private:
  std::string name_;
};

}  // namespace tkz::fuzzing
