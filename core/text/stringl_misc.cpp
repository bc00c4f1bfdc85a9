// Code pages, the process-wide random generator, the substitution tables,
// line reading, quoted names and uuencoding of the string utilities.
#include <algorithm>
#include <climits>

#include "core/text/stringl.h"

namespace tkz {

// -------------------------------------------------------------- code pages

namespace {

// Code page 850 -> Windows-1252 and back for codes 128..255 (both pages
// agree with ASCII below), generated from the two code pages; characters
// without a counterpart hold the substitutes listed in the header.
constexpr unsigned char kOemToAnsiHigh[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x23, 0x23, 0x23, 0x7C, 0x2B, 0xC1, 0xC2, 0xC0, 0xA9, 0x2B, 0x7C, 0x2B, 0x2B, 0xA2, 0xA5, 0x2B,
    0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0xE3, 0xC3, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x3D, 0x2B, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x69, 0xCD, 0xCE, 0xCF, 0x2B, 0x2B, 0x23, 0x23, 0xA6, 0xCC, 0x23,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x5F, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x23, 0xA0,
};
constexpr unsigned char kAnsiToOemHigh[128] = {
    0x45, 0x3F, 0x2C, 0x9F, 0x22, 0x2E, 0x2B, 0x2B, 0x5E, 0x25, 0x53, 0x3C, 0x4F, 0x3F, 0x5A, 0x3F,
    0x3F, 0x27, 0x27, 0x22, 0x22, 0xFA, 0x2D, 0x2D, 0x7E, 0x54, 0x73, 0x3E, 0x6F, 0x3F, 0x7A, 0x59,
    0xFF, 0xAD, 0xBD, 0x9C, 0xCF, 0xBE, 0xDD, 0xF5, 0xF9, 0xB8, 0xA6, 0xAE, 0xAA, 0xF0, 0xA9, 0xEE,
    0xF8, 0xF1, 0xFD, 0xFC, 0xEF, 0xE6, 0xF4, 0xFA, 0xF7, 0xFB, 0xA7, 0xAF, 0xAC, 0xAB, 0xF3, 0xA8,
    0xB7, 0xB5, 0xB6, 0xC7, 0x8E, 0x8F, 0x92, 0x80, 0xD4, 0x90, 0xD2, 0xD3, 0xDE, 0xD6, 0xD7, 0xD8,
    0xD1, 0xA5, 0xE3, 0xE0, 0xE2, 0xE5, 0x99, 0x9E, 0x9D, 0xEB, 0xE9, 0xEA, 0x9A, 0xED, 0xE8, 0xE1,
    0x85, 0xA0, 0x83, 0xC6, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0xD0, 0xA4, 0x95, 0xA2, 0x93, 0xE4, 0x94, 0xF6, 0x9B, 0x97, 0xA3, 0x96, 0x81, 0xEC, 0xE7, 0x98,
};

constexpr size_t kShortStringMax = 255;

std::string MapBytes(std::string_view s, const unsigned char (&high)[128]) {
  std::string r(s.substr(0, kShortStringMax));
  for (char& c : r) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 128) c = static_cast<char>(high[b - 128]);
  }
  return r;
}

}  // namespace

std::string WinAnsiString(std::string_view s) { return MapBytes(s, kOemToAnsiHigh); }

std::string OEMString(std::string_view s) { return MapBytes(s, kAnsiToOemHigh); }

// --------------------------------------------------------- random numbers

namespace {

// PCG-XSH-RR: 64-bit state, 32-bit output (O'Neill, 2014).
struct Pcg32 {
  uint64_t state;
  uint64_t inc;

  uint32_t Next() {
    const uint64_t old = state;
    state = old * 6364136223846793005ULL + inc;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
    const auto rot = static_cast<uint32_t>(old >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
  }

  void Seed(uint64_t initState, uint64_t sequence) {
    state = 0;
    inc = (sequence << 1) | 1;
    Next();
    state += initState;
    Next();
  }
};

constexpr uint64_t kStream = 0xDA3E39CB94B95BDBULL;

// Constant-initialised, so it is valid before any dynamic initialiser runs.
Pcg32 gRandom{0x853C49E6748FEA9BULL, kStream};

unsigned char gForward[256];
unsigned char gInverse[256];

// Builds the default tables when the library is loaded.
struct ScrambleInit {
  ScrambleInit() { InitScramble(DefaultScrambleSeed); }
} const gScrambleInit;

}  // namespace

void RandSeed(int32_t Seed) { gRandom.Seed(static_cast<uint32_t>(Seed), kStream); }

int32_t Random(int32_t Range) {
  if (Range <= 0) return 0;
  // Lemire's multiply-and-reject: unbiased and deterministic.
  const auto range = static_cast<uint32_t>(Range);
  uint64_t m = static_cast<uint64_t>(gRandom.Next()) * range;
  auto low = static_cast<uint32_t>(m);
  if (low < range) {
    const uint32_t threshold = (0u - range) % range;
    while (low < threshold) {
      m = static_cast<uint64_t>(gRandom.Next()) * range;
      low = static_cast<uint32_t>(m);
    }
  }
  return static_cast<int32_t>(m >> 32);
}

double Random() {
  const uint64_t hi = gRandom.Next() >> 5;  // 27 bits
  const uint64_t lo = gRandom.Next() >> 6;  // 26 bits
  return static_cast<double>((hi << 26) | lo) * 0x1.0p-53;
}

// ------------------------------------------------------------ substitution

void InitScramble(int32_t Seed) {
  RandSeed(Seed);
  std::fill(std::begin(gForward), std::end(gForward), 0);
  std::fill(std::begin(gInverse), std::end(gInverse), 0);
  for (int i = 1; i <= 255; ++i) {
    int code;
    do code = Random(255) + 1;
    while (gInverse[code] != 0);
    gForward[i] = static_cast<unsigned char>(code);
    gInverse[code] = static_cast<unsigned char>(i);
  }
}

std::string Scramble(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(gForward[static_cast<unsigned char>(c)]);
  return r;
}

std::string DeScramble(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(gInverse[static_cast<unsigned char>(c)]);
  return r;
}

// ------------------------------------------------------------ ReadLnString

std::string ReadLnString(std::string_view s, int& Pos, bool& EndOfString, int Mode) {
  // Positions are ints: a longer text is read up to the last position they reach.
  s = s.substr(0, static_cast<size_t>(INT_MAX) - 1);
  size_t i = Pos < 1 ? 0 : static_cast<size_t>(Pos) - 1;
  std::string line;
  while (i < s.size()) {
    // Append the run of printable characters in one step.
    size_t j = i;
    while (j < s.size() && static_cast<unsigned char>(s[j]) >= 32) ++j;
    line.append(s.substr(i, j - i));
    i = j;
    if (i >= s.size()) break;
    const char c = s[i++];
    const char before = i >= 2 ? s[i - 2] : '\0';
    bool ends = false;
    switch (Mode) {
      case 0:
        ends = c == '\n';
        break;
      case 1:
        ends = c == '\r';
        break;
      case 2:
        ends = c == '\n' || c == '\r';
        break;
      case 3:
        ends = c == '\r' && before == '\n';
        break;
      case 4:
        ends = c == '\n' && before == '\r';
        break;
      default:
        break;
    }
    if (ends) break;
  }
  Pos = static_cast<int>(i) + 1;
  EndOfString = i >= s.size();
  return line;
}

// --------------------------------------------------------- ParseQuotedName

void ParseQuotedName(char c1, char c2, std::string& Name, TQuotedStrState& State) {
  const bool space = static_cast<unsigned char>(c1) <= 32;
  switch (State) {
    case vsStart:
      if (space) break;
      if (c1 == c2) {
        State = vs1stQuote;
      } else {
        Name += c1;
        State = vsNormal;
      }
      break;
    case vsNormal:
      if (space)
        State = vsEnd;
      else
        Name += c1;
      break;
    case vs1stQuote:
      if (c1 == c2)
        State = vsQuote;
      else
        Name += c1;
      break;
    case vsQuote:
      if (c1 == c2) {
        Name += c2;
        State = vs1stQuote;
      } else {
        State = vsEnd;
      }
      break;
    default:
      State = vsEnd;
      break;
  }
}

// ---------------------------------------------------------------- uuencode

namespace {

constexpr size_t kUULineBytes = 45;

char UUChar(unsigned v) { return v == 0 ? '`' : static_cast<char>(32 + v); }

unsigned UUValue(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c) - 32) & 63; }

}  // namespace

std::string UUEncodeStr(std::string_view s) {
  std::string r;
  r.reserve((s.size() + 2) / 3 * 4 + (s.size() / kUULineBytes + 2) * 3 + 3);
  for (size_t at = 0; at < s.size(); at += kUULineBytes) {
    const std::string_view chunk = s.substr(at, kUULineBytes);
    r += UUChar(static_cast<unsigned>(chunk.size()));
    for (size_t g = 0; g < chunk.size(); g += 3) {
      unsigned b[3] = {0, 0, 0};
      for (size_t k = 0; k < 3 && g + k < chunk.size(); ++k)
        b[k] = static_cast<unsigned char>(chunk[g + k]);
      r += UUChar(b[0] >> 2);
      r += UUChar(((b[0] << 4) | (b[1] >> 4)) & 63);
      r += UUChar(((b[1] << 2) | (b[2] >> 6)) & 63);
      r += UUChar(b[2] & 63);
    }
    r += "\r\n";
  }
  r += "`\r\n";
  return r;
}

std::string UUDecodeStr(std::string_view s) {
  std::string r;
  size_t at = 0;
  while (at < s.size()) {
    size_t end = s.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = s.size();
    std::string_view line = s.substr(at, end - at);
    at = end + 1;
    const size_t last = line.find_last_not_of(' ');
    if (last == std::string_view::npos) continue;  // blank line
    if (line.substr(0, last + 1) == "end") break;
    if (line.substr(0, 6) == "begin ") continue;
    const size_t n = UUValue(line[0]);
    if (n == 0) break;
    const std::string_view data = line.substr(1);
    const size_t count = std::min(n, data.size() * 6 / 8);
    unsigned acc = 0;
    int bits = 0;
    size_t produced = 0;
    for (size_t k = 0; k < data.size() && produced < count; ++k) {
      acc = (acc << 6) | UUValue(data[k]);
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        r += static_cast<char>((acc >> bits) & 0xFF);
        ++produced;
      }
    }
  }
  return r;
}

}  // namespace tkz
