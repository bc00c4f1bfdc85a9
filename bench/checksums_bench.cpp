// Checksums and Base64 against zlib and OpenSSL on the same 1 MiB buffer:
// CRC-32 against zlib's crc32, SHA-1 against OpenSSL's SHA1, Base64 through
// memory streams against EVP_EncodeBlock and EVP_DecodeBlock. CRC-16 has no
// common library peer; it is compared with the classic byte-at-a-time table
// loop.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/dstruct/checksums.h"

#ifdef TKZ_HAVE_ZLIB
#include <zlib.h>
#endif
#ifdef TKZ_HAVE_OPENSSL
#include <openssl/evp.h>
#include <openssl/sha.h>
#endif

namespace {

using namespace tkz;

constexpr size_t kSize = 1 << 20;

const tkz::TBytes& Data() {
  static const tkz::TBytes d = [] {
    std::mt19937 rng(42);
    tkz::TBytes b(kSize);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
  }();
  return d;
}

void CRC32Ours(benchmark::State& st) {
  const auto& d = Data();
  for (auto _ : st) benchmark::DoNotOptimize(CRC32ofBuffer(d, static_cast<int>(d.size())));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(CRC32Ours)->Name("crc32/ours");

void CRC16Ours(benchmark::State& st) {
  const auto& d = Data();
  for (auto _ : st)
    benchmark::DoNotOptimize(CRC16ofBuffer(d, static_cast<int>(d.size()), crcCCITT));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(CRC16Ours)->Name("crc16/ours");

void CRC16Peer(benchmark::State& st) {
  const auto& d = Data();
  for (auto _ : st) {
    uint16_t c = 0xFFFF;
    for (uint8_t b : d) c = CalcNextCRC16(b, c);
    benchmark::DoNotOptimize(c);
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(CRC16Peer)->Name("crc16/peer");

void SHA1Ours(benchmark::State& st) {
  const auto& d = Data();
  for (auto _ : st) benchmark::DoNotOptimize(SHA1FromBytes(d.data(), d.size()));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(SHA1Ours)->Name("sha1/ours");

void SHA1PortableOurs(benchmark::State& st) {
  const auto& d = Data();
  SHA1UsePortable(true);
  for (auto _ : st) benchmark::DoNotOptimize(SHA1FromBytes(d.data(), d.size()));
  SHA1UsePortable(false);
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(SHA1PortableOurs)->Name("sha1_portable/ours");

void Base64EncodeOurs(benchmark::State& st) {
  const auto& d = Data();
  TMemoryStream in, out;
  in.WriteBuffer(d.data(), static_cast<int64_t>(d.size()));
  for (auto _ : st) {
    in.SetPosition(0);
    out.SetPosition(0);
    EncodeBase64(&in, &out, false);
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(Base64EncodeOurs)->Name("base64_encode/ours");

std::string Encoded() {
  TMemoryStream in, out;
  in.WriteBuffer(Data().data(), static_cast<int64_t>(kSize));
  in.SetPosition(0);
  EncodeBase64(&in, &out, false);
  return std::string(out.Memory(), static_cast<size_t>(out.GetSize()));
}

void Base64DecodeOurs(benchmark::State& st) {
  const std::string text = Encoded();
  TMemoryStream in, out;
  in.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  for (auto _ : st) {
    in.SetPosition(0);
    out.SetPosition(0);
    benchmark::DoNotOptimize(DecodeBase64(&in, &out));
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * kSize));
}
BENCHMARK(Base64DecodeOurs)->Name("base64_decode/ours");

#ifdef TKZ_HAVE_ZLIB
void CRC32Peer(benchmark::State& st) {
  const auto& d = Data();
  for (auto _ : st) benchmark::DoNotOptimize(crc32(0, d.data(), static_cast<uInt>(d.size())));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(CRC32Peer)->Name("crc32/peer");
#endif

#ifdef TKZ_HAVE_OPENSSL
void SHA1Peer(benchmark::State& st) {
  const auto& d = Data();
  uint8_t md[20];
  for (auto _ : st) {
    SHA1(d.data(), d.size(), md);
    benchmark::DoNotOptimize(md);
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(SHA1Peer)->Name("sha1/peer");

void Base64EncodePeer(benchmark::State& st) {
  const auto& d = Data();
  std::vector<unsigned char> out(kSize / 3 * 4 + 8);
  for (auto _ : st)
    benchmark::DoNotOptimize(EVP_EncodeBlock(out.data(), d.data(), static_cast<int>(d.size())));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * d.size()));
}
BENCHMARK(Base64EncodePeer)->Name("base64_encode/peer");

void Base64DecodePeer(benchmark::State& st) {
  const std::string text = Encoded();
  std::vector<unsigned char> out(text.size());
  for (auto _ : st)
    benchmark::DoNotOptimize(EVP_DecodeBlock(out.data(),
                                             reinterpret_cast<const unsigned char*>(text.data()),
                                             static_cast<int>(text.size())));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * kSize));
}
BENCHMARK(Base64DecodePeer)->Name("base64_decode/peer");
#endif

}  // namespace
