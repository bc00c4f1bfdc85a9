#include "core/dstruct/checksums.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/support/short_read_stream.h"

#ifdef TKZ_HAVE_ZLIB
#include <zlib.h>
#endif
#ifdef TKZ_HAVE_OPENSSL
#include <openssl/sha.h>
#endif

using namespace tkz;

namespace {

TBytes Bytes(std::string_view s) { return TBytes(s.begin(), s.end()); }

TBytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  TBytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

std::string Enc(void (*enc)(TStream*, TStream*, bool), const TBytes& data, bool lb) {
  TMemoryStream in, out;
  in.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  in.SetPosition(0);
  enc(&in, &out, lb);
  return std::string(out.Memory(), static_cast<size_t>(out.GetSize()));
}

std::pair<int, TBytes> Dec(int (*dec)(TStream*, TStream*), std::string_view text) {
  TMemoryStream in, out;
  in.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  in.SetPosition(0);
  const int st = dec(&in, &out);
  return {st, TBytes(out.Memory(), out.Memory() + out.GetSize())};
}

}  // namespace

TEST(CRC, PublishedCheckValuesAndEmptyInput) {
  const TBytes d = Bytes("123456789");
  EXPECT_EQ(CRC16ofBuffer(d, 9, crcZModem), 0x31C3);
  EXPECT_EQ(CRC16ofBuffer(d, 9, crcCCITT), 0x29B1);
  EXPECT_EQ(CRC16ofBuffer(d, 0, crcZModem), 0x0000);
  EXPECT_EQ(CRC16ofBuffer(d, 0, crcCCITT), 0xFFFF);
  EXPECT_EQ(CRC32ofBuffer(d, 9), 0xCBF43926u);
  EXPECT_EQ(CRC32ofBuffer(d, 0), 0u);
  // A count beyond the array folds only the array.
  EXPECT_EQ(CRC32ofBuffer(d, 1000), 0xCBF43926u);
  EXPECT_EQ(CRC16ofBuffer(d, 1000, crcZModem), 0x31C3);
}

TEST(CRC, BulkRoutinesMatchTheByteSteps) {
  const TBytes d = RandomBytes(3100, 1);
  for (size_t len : {0, 1, 2, 15, 16, 63, 64, 127, 128, 129, 200, 1000, 2999}) {
    for (size_t off : {0, 1, 3}) {
      uint16_t c16 = 0xFFFF;
      uint32_t c32 = 0xFFFFFFFFu;
      for (size_t i = 0; i < len; ++i) {
        c16 = CalcNextCRC16(d[off + i], c16);
        c32 = CalcNextCRC32(d[off + i], c32);
      }
      EXPECT_EQ(CRC16Update(0xFFFF, d.data() + off, len), c16) << len << "/" << off;
      EXPECT_EQ(CRC32Update(0xFFFFFFFFu, d.data() + off, len), c32) << len << "/" << off;
#ifdef TKZ_HAVE_ZLIB
      EXPECT_EQ(crc32(0, d.data() + off, static_cast<uInt>(len)), ~c32);
#endif
    }
  }
}

TEST(CRC, FileChecksumAndUnreadableFile) {
  const std::string fn = ::testing::TempDir() + "tkz_crc32_file.bin";
  const TBytes d = RandomBytes(10000, 2);  // more than two 4096-byte blocks
  FILE* f = std::fopen(fn.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(d.data(), 1, d.size(), f);
  std::fclose(f);
  EXPECT_EQ(CalcCRC32ofFile(fn), CRC32ofBuffer(d, static_cast<int>(d.size())));
  EXPECT_EQ(CalcCRC32ofFile(fn + ".missing"), 0u);
  EXPECT_EQ(CalcCRC32ofFile(::testing::TempDir()), 0u);  // a directory
  std::remove(fn.c_str());
}

class SHA1Paths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { has_sha_ni_ = SHA1UsePortable(GetParam()); }
  void TearDown() override { SHA1UsePortable(false); }
  bool has_sha_ni_ = false;
};

TEST_P(SHA1Paths, PublishedVectors) {
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("")), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  EXPECT_EQ(
      SHA1DigestToHex(SHA1FromString("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
      "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(std::string(1000000, 'a'))),
            "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

TEST_P(SHA1Paths, EveryLengthAroundTheBlockEdgesMatchesTheReference) {
  const TBytes d = RandomBytes(1100, 3);
  for (size_t len = 0; len <= 1100; len += (len < 200 ? 1 : 37)) {
    const auto ours = SHA1FromBytes(d.data(), len);
#ifdef TKZ_HAVE_OPENSSL
    uint8_t ref[20];
    SHA1(d.data(), len, ref);
    EXPECT_TRUE(std::equal(ours.begin(), ours.end(), ref)) << len;
#else
    SHA1UsePortable(!GetParam());
    EXPECT_EQ(SHA1FromBytes(d.data(), len), ours) << len;
    SHA1UsePortable(GetParam());
#endif
  }
}

TEST_P(SHA1Paths, ShortReadsFromTheStreamGiveTheDigestOfTheWhole) {
  const TBytes d = RandomBytes(700, 4);
  const std::vector<std::vector<int64_t>> patterns = {
      {1}, {7}, {63}, {64}, {65}, {127, 1}, {1, 63, 64, 65, 128}, {3, 200}};
  for (size_t len : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129, 191, 192, 193, 700}) {
    const std::string text(d.begin(), d.begin() + static_cast<ptrdiff_t>(len));
    const TSHA1Digest whole = SHA1FromString(text);
    for (const auto& amounts : patterns) {
      testing_support::ShortReadStream s(text, amounts);
      EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(&s)), SHA1DigestToHex(whole))
          << "length " << len << ", first amount " << amounts[0];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Dispatch, SHA1Paths, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "portable" : "automatic"; });

TEST(SHA1, StreamFromPositionFileAndOpenError) {
  const std::string text = std::string(5000, 'x') + "tail";
  TMemoryStream s;
  s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  s.SetPosition(100);
  EXPECT_EQ(SHA1FromStream(&s), SHA1FromString(text.substr(100)));
  const std::string fn = ::testing::TempDir() + "tkz_sha1_file.txt";
  {
    TFileStream f(fn, fmCreate);
    f.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  }
  EXPECT_EQ(SHA1FromFile(fn), SHA1FromString(text));
  std::remove(fn.c_str());
  EXPECT_THROW(SHA1FromFile(fn), EInOutError);
  const std::string hex = SHA1DigestToHex(SHA1FromString("x"));
  EXPECT_EQ(hex.size(), 40u);
  EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(Base64, LinesAndPadding) {
  const TBytes d45(45, 0xFB);
  std::string e = Enc(EncodeBase64, d45, true);
  ASSERT_EQ(e.size(), 62u);
  EXPECT_EQ(e.substr(60), "\r\n");
  TBytes d46 = d45;
  d46.push_back(0xFF);
  e = Enc(EncodeBase64, d46, true);
  EXPECT_EQ(e.substr(62), "/w==\r\n");
  EXPECT_EQ(Enc(EncodeBase64, Bytes("Man"), false), "TWFu");
  EXPECT_EQ(Enc(EncodeBase64, Bytes("Ma"), false), "TWE=");
  EXPECT_EQ(Enc(EncodeBase64, Bytes("M"), true), "TQ==\r\n");
  EXPECT_EQ(Enc(EncodeBase64, {}, true), "");
  EXPECT_EQ(Enc(EncodeBase64, TBytes(90, 0), false).size(), 120u);
}

TEST(Base64, RoundTripsAcrossBlockSizes) {
  for (size_t len : {1, 2, 3, 44, 45, 46, 65, 66, 67, 1000, 20000}) {
    const TBytes d = RandomBytes(len, static_cast<unsigned>(len));
    for (bool lb : {false, true}) {
      auto [st, back] = Dec(DecodeBase64, Enc(EncodeBase64, d, lb));
      EXPECT_EQ(st, kDecodeOK);
      EXPECT_EQ(back, d) << len << " " << lb;
    }
  }
}

TEST(Base64, DecoderRules) {
  EXPECT_EQ(Dec(DecodeBase64, "TW\r\nFu").second, Bytes("Man"));
  auto r = Dec(DecodeBase64, "TWFu TWFu");
  EXPECT_EQ(r.first, kDecodeBadInput);
  EXPECT_TRUE(r.second.empty());  // the block in progress is not written
  // In-range characters outside the alphabet count as 127.
  EXPECT_EQ(Dec(DecodeBase64, "-AAA").second, (TBytes{0xFC, 0x00, 0x00}));
  EXPECT_EQ(Dec(DecodeBase64, "A=AA").first, kDecodeOK);
  EXPECT_EQ(Dec(DecodeBase64, "A=AA").second, (TBytes{0x07, 0xF0, 0x00}));
  // Whole 88-character blocks decoded before the bad group are kept.
  std::string text(88, 'A');
  text += "AA~A";
  r = Dec(DecodeBase64, text);
  EXPECT_EQ(r.first, kDecodeBadInput);
  EXPECT_EQ(r.second.size(), 66u);
  // An unpadded tail decodes as if padded; one stray character is dropped.
  EXPECT_EQ(Dec(DecodeBase64, "TWE").second, Bytes("Ma"));
  EXPECT_EQ(Dec(DecodeBase64, "TWFuT").second, Bytes("Man"));
}

TEST(ASCII85, EncoderRules) {
  EXPECT_EQ(Enc(EncodeASCII85, TBytes(4, 0), false), "z~>");
  EXPECT_EQ(Enc(EncodeASCII85, {}, false), "~>");
  EXPECT_EQ(Enc(EncodeASCII85, {0x41}, false), "!b~>");
  EXPECT_EQ(Enc(EncodeASCII85, {0xFF, 0xFF, 0xFF, 0xFF}, false), "s8W-!~>");
  // Twelve digit groups per line; "z" groups do not count.
  TBytes d(4 * 13, 1);
  std::fill(d.begin(), d.begin() + 4, 0);
  std::string e = Enc(EncodeASCII85, d, true);
  EXPECT_EQ(e.substr(0, 1), "z");
  EXPECT_EQ(e.substr(1 + 60, 2), "\r\n");
  EXPECT_EQ(e.size(), 1u + 60 + 2 + 2);
  EXPECT_EQ(Enc(EncodeASCII85, d, false).find('\r'), std::string::npos);
}

TEST(ASCII85, DecoderRules) {
  EXPECT_EQ(Dec(DecodeASCII85, "!b~>").second, TBytes{0x41});
  EXPECT_EQ(Dec(DecodeASCII85, "!b").second, TBytes{0x41});
  EXPECT_EQ(Dec(DecodeASCII85, "z!\r\nb~>").second, (TBytes{0, 0, 0, 0, 0x41}));
  EXPECT_EQ(Dec(DecodeASCII85, "~>").second, TBytes{});
  EXPECT_EQ(Dec(DecodeASCII85, "!~>").second, TBytes{});
  // Errors are reported, decoding goes on, and the last error wins.
  auto r = Dec(DecodeASCII85, "!!z!!!b");
  EXPECT_EQ(r.first, kDecodeZInGroup);
  EXPECT_EQ(r.second.size(), 5u);
  EXPECT_EQ(Dec(DecodeASCII85, "!!z!! !b~>").first, kDecodeBadInput);
  // Decoding stops after the terminator, leaving the input just behind it.
  TStringStream in;
  TMemoryStream out;
  in.WriteString("!b~>rest");
  in.SetPosition(0);
  EXPECT_EQ(DecodeASCII85(&in, &out), kDecodeOK);
  EXPECT_EQ(in.GetPosition(), 4);
  for (size_t len : {0, 1, 2, 3, 4, 5, 47, 48, 49, 1000}) {
    TBytes d = RandomBytes(len, 7);
    if (len > 8) std::fill(d.begin() + 4, d.begin() + 8, 0);
    for (bool lb : {false, true}) {
      auto [st, back] = Dec(DecodeASCII85, Enc(EncodeASCII85, d, lb));
      EXPECT_EQ(st, kDecodeOK);
      EXPECT_EQ(back, d) << len;
    }
  }
}

namespace {

TBytes RLEncode(TRLEncoder& rl, const TBytes& d, int chunk) {
  TBytes out, block;
  for (size_t pos = 0; pos < d.size(); pos += static_cast<size_t>(chunk)) {
    TBytes part(d.begin() + static_cast<std::ptrdiff_t>(pos),
                d.begin() + static_cast<std::ptrdiff_t>(
                                std::min(d.size(), pos + static_cast<size_t>(chunk))));
    if (rl.Encode(part, static_cast<int>(part.size()))) {
      rl.GetResult(block);
      out.insert(out.end(), block.begin(), block.begin() + rl.GetBufLeng());
    }
  }
  int n;
  do {
    n = rl.Finish(block);
    out.insert(out.end(), block.begin(), block.begin() + n);
  } while (n == rl.GetBufLeng());
  return out;
}

TBytes RLDecode(TRLEncoder& rl, const TBytes& d) {
  TBytes out, block;
  for (uint8_t b : d)
    if (rl.Decode(b)) {
      rl.GetResult(block);
      out.insert(out.end(), block.begin(), block.begin() + rl.GetBufLeng());
    }
  int n;
  do {
    n = rl.Finish(block);
    out.insert(out.end(), block.begin(), block.begin() + n);
  } while (n == rl.GetBufLeng());
  EXPECT_GE(out.size(), 3u);
  out.resize(out.size() - 3);  // the empty triple that Finish adds
  return out;
}

}  // namespace

TEST(TRLEncoder, EncodedForms) {
  TRLEncoder rl;
  EXPECT_EQ(rl.GetBufLeng(), 256);
  EXPECT_EQ(RLEncode(rl, {1, 1, 1, 1}, 256), (TBytes{0xA5, 4, 1}));
  rl.Reset();
  EXPECT_EQ(RLEncode(rl, {1, 2, 2, 3}, 256), (TBytes{1, 2, 2, 0xA5, 1, 3}));
  rl.Reset();
  EXPECT_EQ(RLEncode(rl, {0xA5, 7}, 256), (TBytes{0xA5, 1, 0xA5, 0xA5, 1, 7}));
  rl.Reset();
  EXPECT_EQ(RLEncode(rl, TBytes(300, 9), 100), (TBytes{0xA5, 255, 9, 0xA5, 45, 9}));
  rl.Reset();
  EXPECT_EQ(RLEncode(rl, {}, 256), (TBytes{0xA5, 0, 0}));
}

TEST(TRLEncoder, DecodingAndRoundTrip) {
  TRLEncoder rl;
  EXPECT_EQ(RLDecode(rl, {0xA5, 0, 0x41}), TBytes{});
  rl.Reset();
  EXPECT_EQ(RLDecode(rl, {0xA5, 3, 0x41, 7}), (TBytes{0x41, 0x41, 0x41, 7}));
  EXPECT_EQ(rl.GetDecodeState(), rlData);
  rl.SetBufLeng(100);
  std::mt19937 rng(5);
  TBytes d(5000);
  for (auto& x : d) x = static_cast<uint8_t>(rng() % 3 == 0 ? 0xA5 : rng() % 4);
  rl.Reset();
  const TBytes enc = RLEncode(rl, d, 100);
  rl.Reset();
  EXPECT_EQ(RLDecode(rl, enc), d);
}

TEST(TRLEncoder, OverfilledBufferGrowsInsteadOfOverrunning) {
  TRLEncoder rl;
  rl.SetBufLeng(4);  // 16 bytes of buffer
  TBytes d(40);
  for (size_t i = 0; i < d.size(); ++i) d[i] = i % 2 ? 0xA5 : 1;  // up to 3 bytes each
  EXPECT_TRUE(rl.Encode(d, static_cast<int>(d.size())));
  EXPECT_GT(rl.PendingCount(), 16);
  // Decoding 255-byte runs with a short block length is kept whole as well.
  rl.Reset();
  TBytes out, block;
  for (uint8_t b : TBytes{0xA5, 255, 7, 0xA5, 255, 8}) rl.Decode(b);
  while (rl.PendingCount() >= rl.GetBufLeng()) {
    rl.GetResult(block);
    out.insert(out.end(), block.begin(), block.begin() + 4);
  }
  int n;
  do {
    n = rl.Finish(block);
    out.insert(out.end(), block.begin(), block.begin() + n);
  } while (n == rl.GetBufLeng());
  ASSERT_EQ(out.size(), 513u);
  EXPECT_EQ(std::count(out.begin(), out.begin() + 255, 7), 255);
  EXPECT_EQ(std::count(out.begin() + 255, out.begin() + 510, 8), 255);
  // A short caller array is enlarged, not overrun.
  TBytes tiny;
  rl.Reset();
  rl.Decode(0xA5);
  rl.Decode(10);
  rl.Decode(3);
  rl.GetResult(tiny);
  EXPECT_EQ(tiny, (TBytes{3, 3, 3, 3}));
}

TEST(TRLEncoder, FinishEndsForShortBlocksWithOneClosingTriple) {
  for (int bl : {1, 2, 3, 4}) {
    TRLEncoder rl;
    rl.SetBufLeng(bl);
    EXPECT_EQ(RLEncode(rl, {5, 5, 5, 5, 5, 7}, 1), (TBytes{0xA5, 5, 5, 0xA5, 1, 7})) << bl;
    rl.Reset();
    EXPECT_EQ(RLDecode(rl, {0xA5, 5, 5, 0xA5, 0, 5}), (TBytes{5, 5, 5, 5, 5})) << bl;
  }
}
