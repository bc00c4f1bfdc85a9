// tkz encode, tkz decode: Base64, ASCII85 and run-length coding on files and
// standard input/output.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "core/dstruct/checksums.h"
#include "core/platform/stream.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

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
