// The commands of the tkz tool.
#pragma once

#include <filesystem>
#include <functional>
#include <istream>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/stream.h"

namespace CLI {
class App;
}

namespace tkz {
class TBitmap;
}  // namespace tkz

namespace tkz::tool {

// How the commands are registered. Each group of commands has one
// Add...Commands(app) function that adds its subcommands and their options to
// app and gives each command, with RunsWhenChosen, the action that runs it.
// CLI11 calls back the command the user chose once the whole command line has
// been parsed; main then runs ChosenCommand() and reports what it raises.
void AddDemoCommands(CLI::App& app);
void AddImageCommands(CLI::App& app);
void AddMarksCommands(CLI::App& app);
void AddTagsCommands(CLI::App& app);
void AddRegexCommands(CLI::App& app);
void AddHashCommands(CLI::App& app);
void AddCodecCommands(CLI::App& app);  // encode and decode
void AddCpuCommands(CLI::App& app);
void AddGeoCommands(CLI::App& app);
void AddColorCommands(CLI::App& app);
void AddCopyCommands(CLI::App& app);
void AddFormulaCommands(CLI::App& app);  // formula
void AddMolCommands(CLI::App& app);      // mol info, mol convert
// The "mol" group (created on the first call): further mol commands are added
// to it as its subcommands.
CLI::App* MolGroup(CLI::App& app);
// "mol search": the records of an SD file that contain a query structure.
void AddMolSearchCommands(CLI::App& app);
void AddGdbCommands(CLI::App& app);
// "gdb import" and "gdb export" (GeoJSON, TopoJSON); AddGdbCommands adds them.
void AddGdbTransferCommands(CLI::App& app);
// The "gdb" group (created on the first call): further gdb commands are
// added to it as its subcommands.
CLI::App* GdbGroup(CLI::App& app);
// "map": pix2geo, geo2pix, calibrate, info (calibrated maps).
void AddMapCommands(CLI::App& app);
// "landmarks" (a landmark file as JSON lines) and "landmarks import-gdb".
void AddLandmarkCommands(CLI::App& app);
// "element" (the element table, X-ray lines) and "cas" (CAS numbers).
void AddElementCommands(CLI::App& app);
// "view": the map or molecule viewer for a file, chosen by its content.
void AddViewCommands(CLI::App& app);

// Makes action (it returns the exit status) the one to run when cmd is the
// command chosen on the command line.
void RunsWhenChosen(CLI::App* cmd, std::function<int()> action);
// The action of the chosen command; empty when the command line named none.
const std::function<int()>& ChosenCommand();

// JSON output. Every JSON text the tool writes is an nlohmann value dumped by
// JsonText: text that comes from the libraries (Windows-1252) goes in through
// AnsiToUtf8; any byte that is still not UTF-8 (a file or folder name, an
// argument, a line of input) is written as U+FFFD, so that no output can fail
// on its bytes. Keys keep their order in an ordered_json and are sorted in a
// json. indent -1 gives the whole value on one line.
std::string JsonText(const nlohmann::json& j, int indent = -1);
std::string JsonText(const nlohmann::ordered_json& j, int indent = -1);
// Writes j on one line followed by a newline.
void WriteJsonLine(std::ostream& out, const nlohmann::json& j);
void WriteJsonLine(std::ostream& out, const nlohmann::ordered_json& j);
// A number written by JsonText with exactly decimals digits after the point
// ("2000000.000"); null when v is not finite.
nlohmann::ordered_json JsonFixed(double v, int decimals);

// A file to read, or standard input for "" and "-". Standard input is read as
// it comes, never whole: the stream reads forward, may step back over the
// last 64 KiB it read, and raises EInOutError (ESPIPE) on any other seek and
// on GetSize.
std::unique_ptr<TStream> OpenInput(const std::string& name);

// Bytes read ahead from a source that only reads forward, with some kept
// behind the position so that a reader can step back over them.
struct HeldBytes {
  std::string Bytes;
  size_t Pos = 0;     // next unread byte of Bytes
  int64_t Start = 0;  // stream position of Bytes[0]

  bool Exhausted() const { return Pos == Bytes.size(); }
  // Drops all but the last keep bytes before Pos.
  void KeepBehind(size_t keep);
  // Copies up to count bytes from Pos; returns how many.
  int64_t Take(void* dst, int64_t count);
  // TStream::Seek within the bytes held; elsewhere raises EInOutError
  // (ESPIPE) naming name.
  int64_t Seek(int64_t offset, TSeekOrigin origin, const std::string& name);
};

// The length of the UTF-8 sequence at the start of s (1 to 4, its code point
// in cp); 0 when s ends inside it (or is empty); -1 when it is not UTF-8
// (a stray byte, an overlong form, a surrogate, a value above U+10FFFF).
int Utf8Sequence(std::string_view s, char32_t& cp);

// A command-line argument as Windows-1252 text: valid UTF-8 beyond ASCII is
// converted, anything else is kept as it is. False, with error "character
// U+XXXX cannot be represented in Windows-1252", when a character cannot be.
bool ArgumentToAnsi(const std::string& arg, std::string& ansi, std::string& error);

// Text input (a file, or standard input for "" and "-") as the libraries
// read text, in Windows-1252. The input is UTF-8 when it starts with a
// byte-order mark (which is dropped) or with an XML declaration naming
// encoding "UTF-8"; a declaration naming another encoding takes it as
// Windows-1252; otherwise the first byte beyond ASCII decides: the input is
// UTF-8 when the block read from there on (up to 64 KiB) is valid UTF-8.
// UTF-8 is converted as it is read; a byte that is not part of a valid
// sequence is taken as Windows-1252, and a character the code page lacks
// raises ETKZError "NAME: line N: character U+XXXX cannot be represented in
// Windows-1252" when the reader reaches it (NAME is "standard input" for
// "-"). The stream reads forward and may step back over the last 64 bytes it
// delivered; other seeks and GetSize raise EInOutError (ESPIPE).
class TextInput final : public TStream {
 public:
  explicit TextInput(const std::string& name);
  ~TextInput() override;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t GetSize() override;
  void SetSize(int64_t NewSize) override;

  // Whether the input has been taken as UTF-8 so far (text read before the
  // decision is ASCII, the same in both).
  bool IsUtf8() const { return mode_ == Mode::Utf8; }
  const std::string& DisplayName() const { return name_; }

 private:
  enum class Mode { Undecided, Utf8, Ansi };
  bool Need(size_t n);  // at least n raw bytes held, unless the input ends first
  void Start();         // a byte-order mark or an XML declaration
  bool Decode();        // more decoded bytes; false at the end

  std::unique_ptr<TStream> raw_;
  std::string name_;
  std::string in_;  // raw bytes; in_[ipos_] is the next to decode
  size_t ipos_ = 0;
  bool eof_ = false;
  bool started_ = false;
  Mode mode_ = Mode::Undecided;
  long line_ = 1;      // line of in_[ipos_]
  std::string error_;  // the character that stopped the decoding
  HeldBytes out_;      // decoded bytes
};

// The tour's parts: a section heading, and the path of a file name in the
// folder dir (created when missing).
void DemoHeading(std::ostream& out, const std::string& title);
std::string DemoFile(const std::string& dir, const std::string& name);
// The folders where the tour looks for its data: the current one and those
// above the program (a build tree lies inside the source tree).
std::vector<std::filesystem::path> DemoDataRoots();

struct DemoOptions {
  std::string OutDir = "out/demo";
  bool FullCities = false;  // the fetched cities, not the committed sample
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
  std::string File;  // "" or "-" for standard input
};

// Prints each line of the input (TextInput: UTF-8 or Windows-1252; "" or
// "-" for standard input) that matches Pattern (a TGrep expression, UTF-8
// converted like the input) as LINE:START:END:TEXT (1-based character
// positions; END is START - 1 for an empty match; TEXT in the input's
// encoding). Returns 0 when a line matched, 1 when none did, 2 after writing
// "tkz: <reason>" to err (wrong expression, unreadable file, a character
// that Windows-1252 lacks), and 2 at once when out fails, like grep.
int RunRegex(const RegexOptions& options, std::ostream& out, std::ostream& err);

struct HashOptions {
  std::string Algorithm;           // crc16, crc16-ccitt, crc32 or sha1
  std::vector<std::string> Files;  // "-" for standard input
};

// Prints "HEX  FILE" per file (upper-case hex: 4, 4, 8 or 40 digits).
// Files are read in blocks, standard input too. Returns 1 when a file could
// not be read (after the others) or, at once, when out fails; else 0.
int RunHash(const HashOptions& options, std::ostream& out);

struct CodecOptions {
  bool Encode = true;
  std::string Format;  // base64, ascii85 or rle
  std::string In;      // "" or "-" for standard input
  std::string Out;     // "" or "-" for standard output
  bool LineBreaks = true;
};

// Encodes or decodes In into Out as the data comes. Standard output is
// written as the coder goes (a failed write stops it: 1); a named Out is
// written whole through a temporary file ("tkz: write error: OUT: reason",
// 1, when it cannot be). Base64 ends at its padding: anything but line
// breaks after a padded group is an error ("data after the padding at offset
// N", counted from 0). Returns 1 with a "tkz: decode FORMAT: reason" message
// when the data cannot be decoded, else 0.
int RunCodec(const CodecOptions& options, std::ostream& out);

struct CpuOptions {
  int Milliseconds = 500;  // time over which the clock speed is measured
  bool Pretty = false;     // indented JSON instead of one line
};

// Vendor, signature and its fields, brand name, the names of the feature
// bits set, processor count and clock speed (measured over ms) as a JSON
// object. Raises ETKZCpuIdError without CPUID.
nlohmann::json ProcessorReport(int ms);
// Prints ProcessorReport(options.Milliseconds) on one line (indented with
// Pretty). Returns the exit code.
int RunCpu(const CpuOptions& options, std::ostream& out);
// The tour's section on the processor.
nlohmann::json DemoProcessor(std::ostream& out);
struct GeoOptions {
  std::string Command;  // zone, utm, latlon, ups, ups-inverse, helmert, ellipsoids, datums
  std::vector<std::string> Args;       // the command's fields, or "-" for standard input
  std::string Ellipsoid = "gelWGS84";  // identifier, case-insensitive
};

// Runs the parsed geo command: one line of output, or with "-" one JSON line
// per line of in ({"error": ...} for a line that cannot be read, lies outside
// the command's ranges or fails its datum shift). Returns 1 when a line was
// bad or out failed (a batch stops at the first failed write), else 0.
// Raises, writing nothing, on an unknown ellipsoid or, on the command line,
// on bad arguments and failed datum shifts.
int RunGeo(const GeoOptions& options, std::istream& in, std::ostream& out);

// The geodesy part of the tour: a UTM zone, a point to UTM and back, UPS at a
// pole, a datum shift from OSGB 1936 to WGS 84.
nlohmann::json DemoGeodesy(std::ostream& out);
// The geographic database part: the countries (world-atlas TopoJSON) and
// cities (GeoJSON) of data/external, or of the committed extract, imported
// into dir/world and queried; skipped, with one line, when neither is found.
// fullCities takes the fetched cities instead of the sample.
nlohmann::json DemoGeoDatabase(std::ostream& out, const std::string& dir, bool fullCities);
struct ColorOptions {
  std::string Value;  // a colour name (any case), hex text ("$FF00", "000000FF"), "#RRGGBB"
};

// Prints the colour as one JSON object: {"name","hex","r","g","b","hsl",
// "hsv","cmyk","gray"} (name: the table's name for the value, "" if none).
// A name is looked up first; then "#RRGGBB" or "#RGB" (web notation, red
// first, each digit of #RGB doubled); other text must be hex digits only
// (after an optional "$") of the library's value 00BBGGRR, blue first: a top
// byte (system colours, clNone) is refused. Anything else gives 1 after
// "tkz: <reason>" on err.
int RunColor(const ColorOptions& options, std::ostream& out, std::ostream& err);

// The colour part of the tour: writes colour_arrays.png (the predefined
// colour scales as labelled bands) into dir and shows a few look-ups.
nlohmann::json DemoColours(std::ostream& out, const std::string& dir);
// Calibrated maps: blank maps of the world and of Spain with the database's
// countries and towns (database: its base name, "" for none), and an atlas
// zooming, panning and stepping back.
nlohmann::json DemoMaps(std::ostream& out, const std::string& dir, const std::string& database);
// Element data, CAS numbers, formulas weighed, painted (formulas.png) and
// searched by mass.
nlohmann::json DemoChemistry(std::ostream& out, const std::string& dir);
struct CopyOptions {
  std::string Source;  // a file or a directory
  std::string Dest;
};

// Copies a file (FileCopyFeedBk) or the contents of a directory tree
// (CopyFileTree) with read-only cleared, drawing one progress bar for the
// whole job on err when standard error is a terminal. Each file that failed
// or was skipped (pipes, sockets, devices) is named on err ("tkz: ...").
// Returns 0 when everything was copied, else 1.
int RunCopy(const CopyOptions& options, std::ostream& err);

// The tour's section on file services (copying with progress, tree walks,
// text scanners, passwords, drives); writes below dir + "/filesys".
nlohmann::json DemoFilesys(std::ostream& out, const std::string& dir);

}  // namespace tkz::tool
