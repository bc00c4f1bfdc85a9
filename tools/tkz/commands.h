// The commands of the tkz tool.
#pragma once

#include <istream>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace tkz {
class TBitmap;
}

namespace tkz::tool {

struct DemoOptions {
  std::string OutDir = "out/demo";
};

// Runs the tour, printing to out and writing demo.json (and any other files)
// into options.OutDir. Returns the process exit code.
int RunDemo(const DemoOptions& options, std::ostream& out);

struct ImageConvertOptions {
  std::string In;
  std::string Out;
  int Quality = 90;  // JPEG output, 1..100
};

// Reads In (BMP, PNG or JPEG, by content) and writes Out in the format of its
// extension, printing "In (W x H) -> Out". Raises on bad input or a failed
// write. Returns the process exit code.
int RunImageConvert(const ImageConvertOptions& options, std::ostream& out);

struct MarksOptions {
  std::string Out;  // PNG (or BMP, JPEG by the extension)
};

// Draws the catalogue of point marks 0 to 255 on a labelled grid.
std::unique_ptr<TBitmap> DrawMarkCatalogue();
// Writes the catalogue to options.Out. Returns the process exit code.
int RunMarks(const MarksOptions& options, std::ostream& out);

struct TagsOptions {
  std::string File;
  std::vector<std::string> Names;  // empty: every tag
};

// Walks options.File, after an XML declaration at its start, with
// ReadNextTagInStream (tag list: Names, or every tag) and prints
// {"index","name","attributes","contents"} per tag read, one object per line. Raises when the file
// cannot be opened. Returns the exit code.
int RunTags(const TagsOptions& options, std::ostream& out);

struct RegexOptions {
  bool IgnoreCase = false;
  std::string Pattern;
  std::string File;  // "" for standard input
};

// Prints each line of the input that matches Pattern (a TGrep expression) as
// LINE:START:END:TEXT (1-based; END is START - 1 for an empty match). Returns
// 0 when a line matched, 1 when none did, 2 after writing "tkz: <reason>" to
// err (wrong expression, unreadable file).
int RunRegex(const RegexOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

struct HashOptions {
  std::string Algorithm;           // crc16, crc16-ccitt, crc32 or sha1
  std::vector<std::string> Files;  // "-" for standard input
};

// Prints "HEX  FILE" per file (upper-case hex: 4, 4, 8 or 40 digits).
// Returns 1 when a file could not be read (after the others), else 0.
int RunHash(const HashOptions& options, std::ostream& out);

struct CodecOptions {
  bool Encode = true;
  std::string Format;  // base64, ascii85 or rle
  std::string In;      // "" or "-" for standard input
  std::string Out;     // "" or "-" for standard output
  bool LineBreaks = true;
};

// Encodes or decodes In into Out. Returns 1 with a message when the data
// cannot be decoded, else 0.
int RunCodec(const CodecOptions& options, std::ostream& out);

struct CopyOptions {
  std::string Source;  // a file or a directory
  std::string Dest;
};

// Copies a file (FileCopyFeedBk) or the contents of a directory tree
// (CopyFileTree) with read-only cleared, drawing a progress bar on err when
// standard error is a terminal. Returns 0, or the copy's result code negated
// (1 source cannot be opened, 2 destination cannot be created, 3 write
// error, 4 read error) after writing "tkz: " and the reason to err.
int RunCopy(const CopyOptions& options, std::ostream& err);

// The tour's section on file services (copying with progress, tree walks,
// text scanners, passwords, drives); writes below dir + "/filesys".
nlohmann::json DemoFilesys(std::ostream& out, const std::string& dir);

}  // namespace tkz::tool
