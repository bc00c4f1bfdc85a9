// tkz encode, tkz decode: Base64, ASCII85 and run-length coding on files and
// standard input/output.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "core/dstruct/checksums.h"
#include "core/platform/stream.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// Standard output as a stream that the coders write to as they go. A failed
// write raises EWriteError, which stops the coder at once.
class OutputStream final : public TStream {
 public:
  explicit OutputStream(std::ostream& out) : out_(out) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void* Buffer, int64_t Count) override {
    if (Count <= 0) return 0;
    out_.write(static_cast<const char*>(Buffer), static_cast<std::streamsize>(Count));
    if (!out_) throw EWriteError("Cannot write to standard output", EIO);
    written_ += Count;
    return Count;
  }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    if (Offset == 0 && Origin != soBeginning) return written_;
    throw EInOutError("Cannot seek in standard output", ESPIPE);
  }

 private:
  std::ostream& out_;
  int64_t written_ = 0;
};

// Base64 input that ends at the padding: once a group holding "=" is
// complete, only line breaks may follow. Anything else ends the data there
// and is recorded in Stray (its offset from 0), so that text after the
// padding is not decoded as more data.
class PaddedEnd final : public TStream {
 public:
  explicit PaddedEnd(TStream* in) : in_(in) {}
  int64_t Stray = -1;

  int64_t Read(void* Buffer, int64_t Count) override {
    if (Stray >= 0) return 0;
    const int64_t n = in_->Read(Buffer, Count);
    const auto* p = static_cast<const unsigned char*>(Buffer);
    for (int64_t i = 0; i < n; ++i) {
      const unsigned char c = p[i];
      if (c == '\r' || c == '\n') continue;
      if (ended_ || (padded_ && c != '=')) {
        Stray = offset_ + i;
        return i;
      }
      padded_ = padded_ || c == '=';
      if (++inGroup_ == 4) {
        inGroup_ = 0;
        ended_ = padded_;
      }
    }
    offset_ += n > 0 ? n : 0;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    if (Offset == 0 && Origin != soBeginning) return offset_;
    throw EInOutError("Cannot seek in the Base64 input", ESPIPE);
  }

 private:
  TStream* in_;
  int64_t offset_ = 0;  // input bytes passed on
  int inGroup_ = 0;     // characters of the group being read
  bool padded_ = false;
  bool ended_ = false;  // a padded group is complete
};

// Why a decoder refused its input.
std::string DecodeFailure(const std::string& format, int status) {
  if (format == "base64") return "invalid Base64 data";
  if (format == "ascii85")
    return status == kDecodeZInGroup
               ? "\"z\" inside a group of five characters"
               : "a character outside ASCII85 (\"!\" to \"u\", \"z\", \"~>\")";
  return "the data ends inside a run (an incomplete 0xA5 triple)";
}

// Feeds the whole input to a run-length coder, collecting its blocks.
bool RunLength(bool encode, TStream* in, TStream& out) {
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

// Runs the coder from in to out; the decoder's status (kDecodeOK on success).
int Code(const CodecOptions& options, TStream* in, TStream* out) {
  if (options.Format == "base64") {
    if (!options.Encode) return DecodeBase64(in, out);
    EncodeBase64(in, out, options.LineBreaks);
  } else if (options.Format == "ascii85") {
    if (!options.Encode) return DecodeASCII85(in, out);
    EncodeASCII85(in, out, options.LineBreaks);
  } else if (!RunLength(options.Encode, in, *out)) {
    return kDecodeBadInput;
  }
  return kDecodeOK;
}

}  // namespace

int RunCodec(const CodecOptions& options, std::ostream& out) {
  auto input = OpenInput(options.In);
  TStream* in = input.get();
  PaddedEnd padded(in);
  if (!options.Encode && options.Format == "base64") in = &padded;
  const bool toStdout = options.Out.empty() || options.Out == "-";
  // Standard output is written as the coder goes; a named file is written
  // whole, through a temporary file, so that a failure leaves it as it was.
  OutputStream stream(out);
  TMemoryStream whole;
  int status;
  try {
    status = Code(options, in, toStdout ? static_cast<TStream*>(&stream) : &whole);
  } catch (const EWriteError&) {
    if (toStdout) return 1;  // main reports the failed standard output
    throw;
  }
  const char* verb = options.Encode ? "encode" : "decode";
  if (status != kDecodeOK || padded.Stray >= 0) {
    std::cerr << "tkz: " << verb << " " << options.Format << ": "
              << (status != kDecodeOK
                      ? DecodeFailure(options.Format, status)
                      : "data after the padding at offset " + std::to_string(padded.Stray))
              << "\n";
    return 1;
  }
  if (toStdout) return out.flush() ? 0 : 1;
  try {
    whole.SaveToFile(options.Out);
  } catch (const EInOutError& e) {
    std::cerr << "tkz: write error: " << options.Out << ": "
              << (e.ErrorCode != 0 ? std::strerror(e.ErrorCode) : e.what()) << "\n";
    return 1;
  }
  return 0;
}

void AddCodecCommands(CLI::App& app) {
  struct Codec {
    CodecOptions options;
    bool noBreaks = false;
  };
  auto encode = std::make_shared<Codec>(), decode = std::make_shared<Codec>();
  decode->options.Encode = false;
  CLI::App* encodeCmd =
      app.add_subcommand("encode", "Encode a file as Base64, ASCII85 or run-length");
  CLI::App* decodeCmd = app.add_subcommand("decode", "Decode Base64, ASCII85 or run-length data");
  for (const auto& [cmd, shared] : {std::pair{encodeCmd, encode}, std::pair{decodeCmd, decode}}) {
    std::shared_ptr<Codec> codec = shared;  // a structured binding cannot be captured by clang 14
    CodecOptions& opts = codec->options;
    cmd->add_option("FORMAT", opts.Format, "base64, ascii85 or rle")
        ->required()
        ->check(CLI::IsMember({"base64", "ascii85", "rle"}));
    cmd->add_option("IN", opts.In, "Input file (standard input when absent or -)");
    cmd->add_option("OUT", opts.Out, "Output file (standard output when absent or -)");
    RunsWhenChosen(cmd, [codec] {
      codec->options.LineBreaks = !codec->noBreaks;
      return RunCodec(codec->options, std::cout);
    });
  }
  encodeCmd->add_flag("--no-breaks", encode->noBreaks, "No line breaks in the encoded text");
}

}  // namespace tkz::tool
