// tkz hash, tkz encode, tkz decode: checksums and encodings on files and
// standard input/output.
#include <cctype>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "core/dstruct/checksums.h"
#include "core/platform/stream.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// The whole of standard input as a memory stream.
std::unique_ptr<TStream> StdinStream() {
  std::string data((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  return std::make_unique<TStringStream>(data);
}

std::unique_ptr<TStream> OpenInput(const std::string& name) {
  if (name.empty() || name == "-") return StdinStream();
  return std::make_unique<TFileStream>(name, fmOpenRead | fmShareDenyWrite);
}

std::string Hex(uint64_t v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
  return buf;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string HashOf(const std::string& algorithm, TStream* in) {
  if (algorithm == "sha1") return Upper(SHA1DigestToHex(SHA1FromStream(in)));
  uint16_t crc16 = algorithm == "crc16-ccitt" ? 0xFFFF : 0x0000;
  uint32_t crc32 = 0xFFFFFFFFu;
  std::vector<uint8_t> buf(1 << 16);
  for (int64_t n; (n = in->Read(buf.data(), static_cast<int64_t>(buf.size()))) > 0;) {
    if (algorithm == "crc32")
      crc32 = CRC32Update(crc32, buf.data(), static_cast<size_t>(n));
    else
      crc16 = CRC16Update(crc16, buf.data(), static_cast<size_t>(n));
  }
  return algorithm == "crc32" ? Hex(~crc32, 8) : Hex(crc16, 4);
}

void WriteOutput(const std::string& name, TMemoryStream& data, std::ostream& out) {
  if (name.empty() || name == "-") {
    out.write(static_cast<const char*>(data.Memory()),
              static_cast<std::streamsize>(data.GetSize()));
    out.flush();
    return;
  }
  data.SaveToFile(name);
}

// Feeds the whole input to a run-length coder, collecting its blocks.
bool RunLength(bool encode, TStream* in, TMemoryStream& out) {
  TRLEncoder rle;
  rle.SetBufLeng(4096);
  TBytes chunk(4096), block;
  auto drain = [&] {
    while (rle.PendingCount() >= rle.GetBufLeng()) {
      rle.GetResult(block);
      out.WriteBuffer(block.data(), rle.GetBufLeng());
    }
  };
  for (int64_t n; (n = in->Read(chunk.data(), static_cast<int64_t>(chunk.size()))) > 0;) {
    if (encode) {
      rle.Encode(chunk, static_cast<int>(n));
    } else {
      for (int64_t i = 0; i < n; ++i) {
        rle.Decode(chunk[static_cast<size_t>(i)]);
        drain();
      }
    }
    drain();
  }
  if (encode) {
    // The encoder closes the stream with its pending run as one triple.
    for (int n; (n = rle.Finish(block)) > 0;) out.WriteBuffer(block.data(), n);
    return true;
  }
  // The decoder's last, partial block: a block length of exactly what is left.
  if (rle.PendingCount() > 0) {
    const int rest = rle.PendingCount();
    rle.SetBufLeng(rest);
    rle.GetResult(block);
    out.WriteBuffer(block.data(), rest);
  }
  return rle.GetDecodeState() == rlData;  // not inside a triple
}

}  // namespace

int RunHash(const HashOptions& options, std::ostream& out) {
  int status = 0;
  for (const std::string& file : options.Files) {
    try {
      auto in = OpenInput(file);
      out << HashOf(options.Algorithm, in.get()) << "  " << file << "\n";
    } catch (const std::exception& e) {
      std::cerr << "tkz: " << e.what() << "\n";
      status = 1;
    }
  }
  return status;
}

int RunCodec(const CodecOptions& options, std::ostream& out) {
  auto in = OpenInput(options.In);
  TMemoryStream result;
  int status = 0;
  if (options.Format == "base64") {
    if (options.Encode)
      EncodeBase64(in.get(), &result, options.LineBreaks);
    else
      status = DecodeBase64(in.get(), &result);
  } else if (options.Format == "ascii85") {
    if (options.Encode)
      EncodeASCII85(in.get(), &result, options.LineBreaks);
    else
      status = DecodeASCII85(in.get(), &result);
  } else {
    if (!RunLength(options.Encode, in.get(), result)) status = -1;
  }
  if (status != 0) {
    std::cerr << "tkz: " << options.Format << " data cannot be decoded (status " << status << ")\n";
    return 1;
  }
  WriteOutput(options.Out, result, out);
  return 0;
}

}  // namespace tkz::tool
