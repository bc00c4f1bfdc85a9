// tkz: the command-line tool over the TKZ libraries.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "core/types/version.h"
#include "tools/tkz/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"tkz - command-line tool over the TKZ libraries (corekit, numkit, mapkit, molkit)"};
  app.set_version_flag("--version", std::string("tkz ") + TKZ_VERSION_STRING);
  app.require_subcommand(0, 1);

  tkz::tool::DemoOptions demo;
  CLI::App* demo_cmd = app.add_subcommand("demo", "A tour of what the libraries can do");
  demo_cmd->add_option("--out", demo.OutDir, "Folder for the files the tour writes")
      ->default_val("out/demo");

  tkz::tool::ImageConvertOptions convert;
  CLI::App* image_cmd = app.add_subcommand("image", "Image files (BMP, PNG, JPEG)");
  image_cmd->require_subcommand(1);
  CLI::App* convert_cmd = image_cmd->add_subcommand(
      "convert", "Convert an image file to the format of OUT's extension");
  convert_cmd->add_option("IN", convert.In, "Input file (BMP, PNG or JPEG)")->required();
  convert_cmd->add_option("OUT", convert.Out, "Output file (.bmp, .png, .jpg)")->required();
  convert_cmd->add_option("--quality", convert.Quality, "JPEG quality")
      ->check(CLI::Range(1, 100))
      ->default_val(90);

  tkz::tool::MarksOptions marks;
  CLI::App* marks_cmd =
      app.add_subcommand("marks", "Draw the catalogue of point marks 0 to 255 into a picture");
  marks_cmd->add_option("OUT", marks.Out, "Picture file (.png, .bmp or .jpg)")->required();

  tkz::tool::TagsOptions tags;
  CLI::App* tags_cmd = app.add_subcommand(
      "tags", "List the tags of an XML-like file as the tag scanner reads them (JSON lines)");
  tags_cmd->add_option("FILE", tags.File, "File to read")->required();
  tags_cmd->add_option("NAME", tags.Names, "Tag names to list (default: every tag)");
  tkz::tool::RegexOptions regex;
  CLI::App* regex_cmd =
      app.add_subcommand("regex", "Print the lines that match a regular expression (TGrep)");
  regex_cmd->add_flag("-i,--ignore-case", regex.IgnoreCase, "Ignore case (Windows-1252)");
  regex_cmd->add_option("PATTERN", regex.Pattern, "Regular expression")->required();
  regex_cmd->add_option("FILE", regex.File, "Text file (standard input when absent)");

  tkz::tool::HashOptions hash;
  CLI::App* hash_cmd = app.add_subcommand("hash", "Checksums of files (\"-\" for standard input)");
  hash_cmd->add_option("ALGORITHM", hash.Algorithm, "crc16, crc16-ccitt, crc32 or sha1")
      ->required()
      ->check(CLI::IsMember({"crc16", "crc16-ccitt", "crc32", "sha1"}));
  hash_cmd->add_option("FILE", hash.Files, "Files to read")->required();

  tkz::tool::CodecOptions encode, decode;
  decode.Encode = false;
  CLI::App* encode_cmd =
      app.add_subcommand("encode", "Encode a file as Base64, ASCII85 or run-length");
  CLI::App* decode_cmd = app.add_subcommand("decode", "Decode Base64, ASCII85 or run-length data");
  for (auto [cmd, opts] : {std::pair{encode_cmd, &encode}, std::pair{decode_cmd, &decode}}) {
    cmd->add_option("FORMAT", opts->Format, "base64, ascii85 or rle")
        ->required()
        ->check(CLI::IsMember({"base64", "ascii85", "rle"}));
    cmd->add_option("IN", opts->In, "Input file (standard input when absent or -)");
    cmd->add_option("OUT", opts->Out, "Output file (standard output when absent or -)");
  }
  bool noBreaks = false;
  encode_cmd->add_flag("--no-breaks", noBreaks, "No line breaks in the encoded text");

  tkz::tool::CpuOptions cpu;
  CLI::App* cpu_cmd = app.add_subcommand("cpu", "Processor identification and clock speed (JSON)");
  cpu_cmd->add_option("--ms", cpu.Milliseconds, "Milliseconds over which the speed is measured")
      ->check(CLI::Range(1, 10000))
      ->default_val(500);
  tkz::tool::GeoOptions geo;
  CLI::App* geo_cmd = tkz::tool::AddGeoCommands(app, geo);
  tkz::tool::ColorOptions color;
  CLI::App* color_cmd = app.add_subcommand(
      "color", "A colour by name or hex text in RGB, HSL, HSV, CMYK and grey (JSON)");
  color_cmd->add_option("VALUE", color.Value, "Colour name (any case) or hex text such as $FF00")
      ->required();
  tkz::tool::CopyOptions copy;
  CLI::App* copy_cmd = app.add_subcommand(
      "copy", "Copy a file, or the contents of a directory tree, with a progress bar");
  copy_cmd->add_option("SRC", copy.Source, "File or directory to copy")->required();
  copy_cmd
      ->add_option("DST", copy.Dest,
                   "Target file or existing folder (the file keeps its name there); for a "
                   "tree, the folder that receives its contents (created when missing)")
      ->required();
  copy_cmd->footer(
      "Permission bits are copied with owner write added; times are kept.\n"
      "The bar is drawn on standard error when that is a terminal.\n"
      "Exit status: 0 copied; 1 source cannot be opened; 2 destination cannot be\n"
      "created; 3 write error; 4 read error (a tree: the first failure, the rest\n"
      "is still copied).");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  try {
    if (demo_cmd->parsed()) return tkz::tool::RunDemo(demo, std::cout);
    if (convert_cmd->parsed()) return tkz::tool::RunImageConvert(convert, std::cout);
    if (marks_cmd->parsed()) return tkz::tool::RunMarks(marks, std::cout);
    if (hash_cmd->parsed()) return tkz::tool::RunHash(hash, std::cout);
    if (encode_cmd->parsed()) {
      encode.LineBreaks = !noBreaks;
      return tkz::tool::RunCodec(encode, std::cout);
    }
    if (decode_cmd->parsed()) return tkz::tool::RunCodec(decode, std::cout);
    if (tags_cmd->parsed()) return tkz::tool::RunTags(tags, std::cout);
    if (regex_cmd->parsed()) return tkz::tool::RunRegex(regex, std::cin, std::cout, std::cerr);
    if (cpu_cmd->parsed()) return tkz::tool::RunCpu(cpu, std::cout);
    if (geo_cmd->parsed()) return tkz::tool::RunGeo(geo, std::cin, std::cout);
    if (color_cmd->parsed()) return tkz::tool::RunColor(color, std::cout, std::cerr);
    if (copy_cmd->parsed()) return tkz::tool::RunCopy(copy, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "tkz: " << e.what() << "\n";
    return 1;
  }
  std::cout << app.help();
  return 0;
}
