// Shared helpers of the geodb tests: a fixture with a database in a fresh
// folder, and readers of little-endian values in file bytes.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "geo/geodb.h"
#include "support/temp_dir.h"

namespace tkz::geodb_test {

inline int32_t I32At(const std::string& b, size_t off) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b.at(off + i));
  return static_cast<int32_t>(v);
}
inline float F32At(const std::string& b, size_t off) {
  return std::bit_cast<float>(static_cast<uint32_t>(I32At(b, off)));
}
inline double F64At(const std::string& b, size_t off) {
  const uint64_t lo = static_cast<uint32_t>(I32At(b, off));
  const uint64_t hi = static_cast<uint32_t>(I32At(b, off + 4));
  return std::bit_cast<double>(lo | (hi << 32));
}
inline std::string LE32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

// The current local date-time as the library sees it.
inline double ClearedNow() {
  TgdbData d;
  ClearGdbData(d);
  return d.DateTime;
}

class GeoDBTest : public testing_support::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    db_ = std::make_unique<TGeoDB>();
    db_->SetName("GDB1");
  }
  void TearDown() override {
    db_.reset();
    TempDirTest::TearDown();
  }
  std::string Base() const { return Path("world"); }
  std::string File(const char* ext) const { return Base() + ext; }
  void Open() { db_->SetGDBName(Base() + ".tkzgds"); }
  // A second object on a copy of the seven files as they are now (the files
  // themselves are locked while db_ has them open).
  std::unique_ptr<TGeoDB> OpenCopy() const {
    for (const char* ext :
         {".tkzgdd", ".tkzgds", ".tkzgi0", ".tkzgi1", ".tkzgi2", ".tkzgi3", ".tkzgi4"}) {
      std::filesystem::copy_file(File(ext), Path("copy") + ext,
                                 std::filesystem::copy_options::overwrite_existing);
    }
    auto other = std::make_unique<TGeoDB>();
    other->SetGDBName(Path("copy"));
    return other;
  }

  // A polygon item of the given kind with n vertices around (lat, lon).
  int AddPoly(TgdbItem kind, const std::string& name, float lat, float lon, int n = 3) {
    TgdbPolygon p;
    for (int i = 0; i < n; ++i) p.push_back({lat + 0.5f * i, lon - 0.25f * i});
    return db_->AddData(name, p, true, kind, 7, 45000.5, 11, 0, 0, 0, 0, 1.5f, 22, TMetaInfo{},
                        nullptr, 0, false);
  }

  std::unique_ptr<TGeoDB> db_;
};

}  // namespace tkz::geodb_test
