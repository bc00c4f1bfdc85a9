// streams: text lines, raw numbers and simple XML-like tags on byte streams
// and text files, and TMixedFStream, a file stream that mixes text lines with
// binary numbers.
//
// All functions read from and write at the stream's current position and
// advance it. Line, number and tag readers take one byte per Read call and
// stop exactly after the byte that ended what they read, so the next read
// continues right there; TFileStream buffers underneath, so this is fast.
// Writers hand the stream at most 4096 bytes per call. Errors raised by the
// stream on writes pass through unchanged; the readers never raise on the end
// of the data.
//
// Binary numbers use the little-endian layouts of x86: 32-bit integer,
// IEEE single and double, and the 10-byte x87 extended (64-bit mantissa, then
// sign and 15-bit exponent). No length prefix, no alignment.
//
// Line modes (Mode of the line readers):
//   0 a line feed ends the line            1 a carriage return ends it
//   2 either ends it                       3 CR right after LF ends it
//   4 LF right after CR ends it            other: nothing ends a line
// Decimal-point modes (DecPMode): 1 ".", 2 ",", 3 either; other: none.
//
// Tag lists hold lower-case tag names; by convention the last entry is a
// sentinel that never occurs in the data, and its index is the answer for
// any tag not listed and for the end of the data.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "core/platform/stream.h"
#include "core/types/corekit_export.h"

namespace tkz {

class TTextFile;
class TStringList;

// Largest tag text (between "<" and ">"), Attributes or Contents that the tag
// readers keep for one tag: 16 MiB. Longer ones are read to their end as
// usual, but only their first kMaxTagLength bytes are kept, so that hostile
// input cannot make one call hold unbounded memory.
inline constexpr size_t kMaxTagLength = size_t{16} << 20;

// ------------------------------------------------------------------ writers

// The bytes of s, no terminator.
TKZ_COREKIT_EXPORT void WriteStringStream(TStream* Stream, std::string_view s);
// s followed by CR LF.
TKZ_COREKIT_EXPORT void WriteLnStream(TStream* Stream, std::string_view s);
TKZ_COREKIT_EXPORT void WriteLongintToStream(TStream* Stream, int32_t v);
TKZ_COREKIT_EXPORT void WriteSingleToStream(TStream* Stream, float v);
TKZ_COREKIT_EXPORT void WriteDoubleToStream(TStream* Stream, double v);
// 10 bytes.
TKZ_COREKIT_EXPORT void WriteExtendedToStream(TStream* Stream, long double v);

// ------------------------------------------------------------------ readers

// The next line. Every byte read is kept, control characters included, until
// Mode's terminator; then a final CR or LF is removed, and once more (so
// "abc" CR LF in mode 4 gives "abc"). When the data ends first, EndOfStream is
// true and the line is returned as read; otherwise EndOfStream is false.
TKZ_COREKIT_EXPORT std::string ReadLnStream(TStream* Stream, bool& EndOfStream, int Mode);

// Exactly 4, 4, 8 or 10 bytes. Error is false on success; when fewer bytes
// remain they are consumed, Error is true and the value (0) means nothing.
TKZ_COREKIT_EXPORT int32_t ReadLongintFromStream(TStream* Stream, bool& Error);
TKZ_COREKIT_EXPORT float ReadSingleFromStream(TStream* Stream, bool& Error);
TKZ_COREKIT_EXPORT double ReadDoubleFromStream(TStream* Stream, bool& Error);
TKZ_COREKIT_EXPORT long double ReadExtendedFromStream(TStream* Stream, bool& Error);

// Reads bytes until one equals b (true; the stream stands just after it) or
// the data ends (false).
TKZ_COREKIT_EXPORT bool FindInStream(TStream* Stream, uint8_t b);

// The rest of the stream as little-endian 16-bit text whose code points lie
// below 256: the low byte of every unit (a trailing odd byte is ignored).
TKZ_COREKIT_EXPORT std::string StreamAsString(TStream* Stream);
// All remaining bytes.
TKZ_COREKIT_EXPORT std::string StreamAsByteString(TStream* Stream);

// The text up to and including the first occurrence of Target (compared
// ignoring case; the text keeps its case). Found: Status 0 and the stream
// stands just after Target. Not found: Status -1, the whole rest of the data
// is returned and the stream stands at its end. An empty Target is found at
// once: Status 0, "" and the stream unmoved.
TKZ_COREKIT_EXPORT std::string ReadStreamUntil(TStream* Stream, std::string_view Target,
                                               int& Status);

// Skips blanks, CR and LF (not tabs), takes one optional sign and decimal
// digits. The byte after the digits is consumed. No digits give 0; overflow
// wraps around modulo 2^32 and is not reported.
TKZ_COREKIT_EXPORT int32_t ScanStreamDecimal(TStream* Stream);

// A floating-point number read by a small state machine: blanks, tabs, CR and
// LF before it are skipped; then an optional sign, digits with one decimal
// point as DecPMode allows, and with AllowExponent an exponent "E" [sign]
// digits ("e" too). The character that ended the number is consumed (and so
// is the offending one of a malformed number). A malformed number gives 0;
// the result is clamped to +-uc_MaxDouble. Numbers of any length are read in
// bounded memory; digits beyond the 4000th significant one do not change the
// result.
TKZ_COREKIT_EXPORT long double ScanStreamFPNum(TStream* Stream, bool AllowExponent, int DecPMode);

// The number of LF bytes from the position to the end; the stream is left at
// its end.
TKZ_COREKIT_EXPORT int64_t CountLinesInStream(TStream* Stream);

// ---------------------------------------------------------------- tag scans

// Reads the next tag and returns the index (from 0) of the first TagList
// entry equal to its lower-cased name, or the last index (the sentinel's)
// when none is equal; -1 for an empty TagList.
// - Everything up to the next "<" is skipped; tags beginning with "!"
//   (comments, declarations) are skipped too. "<?...>" is read as a tag whose
//   name begins with "?".
// - <name attrs> and </name>: Attributes is the text after the first blank,
//   stripped of blanks. For a name not beginning with "/", Contents is
//   everything up to the matching </name> (ignoring case), nested tags
//   included as text; the stream then stands after that closing tag. When the
//   data ends first, Contents keeps everything read.
// - <name attrs />: Attributes as above, Contents "". Without a blank the tag
//   gives the sentinel's index.
// - When the data ends before the tag's ">", the result is the sentinel's
//   index with Attributes and Contents empty: a truncated tag is never
//   reported as found.
// See kMaxTagLength for very long tags.
TKZ_COREKIT_EXPORT int ReadNextTagInStream(TStream* Stream, std::span<const std::string> TagList,
                                           std::string& Attributes, std::string& Contents);
TKZ_COREKIT_EXPORT int ReadNextTagInStream(TStream* Stream,
                                           std::initializer_list<std::string_view> TagList,
                                           std::string& Attributes, std::string& Contents);

// One tag as ReadNextTagInStream reads it, with its lower-case name (a
// closing tag's begins with "/"; "" for "<name/>" without a blank). Complete
// is false when the data ended before the tag's ">" (Index is then the
// sentinel's and the rest is empty).
struct TKZ_COREKIT_EXPORT TTagRead {
  int Index = -1;
  bool Complete = false;
  std::string Name, Attributes, Contents;
};
TKZ_COREKIT_EXPORT TTagRead ReadTagFromStream(TStream* Stream,
                                              std::span<const std::string> TagList);

// The same on a text file open for reading, except that Contents is gathered
// in pieces that end with ">": text after the last ">" before the end of the
// file is dropped.
TKZ_COREKIT_EXPORT int ReadNextTagInTextFile(TTextFile& F, std::span<const std::string> TagList,
                                             std::string& Attributes, std::string& Contents);
TKZ_COREKIT_EXPORT int ReadNextTagInTextFile(TTextFile& F,
                                             std::initializer_list<std::string_view> TagList,
                                             std::string& Attributes, std::string& Contents);

// The value of attribute AttrName (ignoring case) in Attributes, a run of
// name=value pairs as ReadNextTagInStream returns it; values are plain
// (ending at a blank) or in double quotes. "" when the attribute is absent,
// has no value, or the pairs before it are malformed ("a==1", a quote in a
// name). Single quotes have no meaning.
TKZ_COREKIT_EXPORT std::string ScanForXMLAttrib(std::string_view Attributes,
                                                std::string_view AttrName);

// Finds the next opening or empty-element tag named Tag (ignoring case) at
// any depth: unlike ReadNextTagInStream, the contents of other elements are
// searched too. On success returns true with Attributes and Contents as
// ReadNextTagInStream gives them, the stream standing after the element. At
// the end of the data returns false with both empty.
TKZ_COREKIT_EXPORT bool ScanStreamForXMLTag(TStream* Stream, std::string_view Tag,
                                            std::string& Attributes, std::string& Contents);

// Reads up to the next tag whose name (as ReadNextTagInStream derives it:
// "/name" for a closing tag) is in TagList, at any depth, and leaves the
// stream on that tag's "<", so that ReadNextTagInStream reads it next.
// Index is the entry's index from 0. Returns the text skipped before the
// tag. At the end of the data Index is -1, the whole text read is returned
// and the stream stands at its end.
TKZ_COREKIT_EXPORT std::string ReadStreamUntilTagList(TStream* Stream,
                                                      std::span<const std::string> TagList,
                                                      int& Index);

// Clears Target and copies into it, each ended by CR LF, the lines of Stream
// (from its position; LF ends a line, a CR before it is dropped) that contain
// at least one of List's strings, ignoring case. Empty entries of List match
// nothing. Target is left at position 0. Returns the number of lines copied.
TKZ_COREKIT_EXPORT int ExtractFromStream(TStream* Stream, TMemoryStream& Target,
                                         const TStringList& List);

// Called with each occurrence found and the replacement about to be used,
// which it may change.
using TReplaceCallback = std::function<void(const std::string& Found, std::string& Replacement)>;

// Replaces occurrences of SearchStr in the whole content of Stream by
// ReplStr, from byte offset StartPos (0-based; values below 0 count as 0),
// left to right without overlaps, at most MaxCount of them (MaxCount <= 0:
// all). With IgnoreCase, Windows-1252 case is ignored. OnReplace, when set,
// sees each occurrence and may change its replacement. Returns the number of
// replacements; the stream is left at position 0. An empty SearchStr
// replaces nothing.
TKZ_COREKIT_EXPORT int SearchAndReplace(TMemoryStream& Stream, std::string_view SearchStr,
                                        std::string_view ReplStr, bool IgnoreCase, int64_t StartPos,
                                        int MaxCount, const TReplaceCallback& OnReplace = {});

// ------------------------------------------------------------ TMixedFStream

// A file stream that mixes text lines with binary numbers.
class TKZ_COREKIT_EXPORT TMixedFStream : public TFileStream {
 public:
  // Opens or creates the file as TFileStream does.
  TMixedFStream(const std::string& FileName, uint16_t Mode) : TFileStream(FileName, Mode) {}

  using TFileStream::Write;

  // True when the position is at or after the end.
  bool Eos() { return GetPosition() >= GetSize(); }
  void Write(std::string_view s) { WriteStringStream(this, s); }
  void WriteLn(std::string_view s) { WriteLnStream(this, s); }
  void WriteByte(uint8_t b) { WriteBuffer(&b, 1); }
  void WriteInteger(int32_t v) { WriteLongintToStream(this, v); }
  void WriteDouble(double v) { WriteDoubleToStream(this, v); }

  // The next line up to Mode's terminator or the end of the file. Only bytes
  // of code 32 and above and tabs are kept; other control characters only
  // serve as terminators. Use Eos to detect the end.
  std::string ReadLn(int Mode);
  uint8_t ReadByte(bool& Error);
  int32_t ReadInteger(bool& Error) { return ReadLongintFromStream(this, Error); }
  double ReadDouble(bool& Error) { return ReadDoubleFromStream(this, Error); }
  long double ReadExtended(bool& Error) { return ReadExtendedFromStream(this, Error); }
  int32_t ReadDecimal() { return ScanStreamDecimal(this); }
  long double ReadFPNum(bool AllowExponent, int DecPMode) {
    return ScanStreamFPNum(this, AllowExponent, DecPMode);
  }
};

}  // namespace tkz
