// TTextFile: a sequential text file, read or written a character or a line at
// a time, as the classic platform's text files behave.
//
//   TTextFile f;
//   f.AssignFile("notes.txt");
//   f.Reset();                       // open for reading at the start
//   std::string line;
//   while (!f.Eof()) { f.ReadLn(line); ... }
//   f.CloseFile();
//
// Bytes are passed through unchanged (Windows-1252 text; no byte, 0x1A
// included, is special). A line ends at LF, CR LF or a lone CR; WriteLn ends
// lines with CR LF. Input and output are buffered a block at a time.
//
// Errors raise EInOutError with the file name in double quotes and the reason,
// ErrorCode being errno:
//   Cannot open file "/x/y.txt": No such file or directory
//   Cannot read file "out.txt": File not open for reading   (EBADF)
//   Cannot write file "in.txt": File not open for writing   (EBADF)
//   Cannot read file "":          File not open               (EBADF, closed)
// Output is written when the buffer fills, by Flush and by CloseFile; a
// failing write raises there. The destructor closes the file too, but can
// only swallow a failure: call CloseFile to learn of it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/types/corekit_export.h"

namespace tkz {

class TKZ_COREKIT_EXPORT TTextFile {
 public:
  TTextFile() = default;
  ~TTextFile();
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;
  // The moved-from file is closed and has no name.
  TTextFile(TTextFile&& other) noexcept;
  // Closes this file first, as CloseFile does: when the final write fails it
  // raises, this file is closed and other is left as it was. Then takes over
  // other.
  TTextFile& operator=(TTextFile&& other);

  // Names the file for the next Reset, Rewrite or Append. Raises when the
  // file is open.
  void AssignFile(const std::string& FileName);
  // Opens the file for reading at its start; on an open file, closes and
  // reopens it (so calling Reset again rewinds).
  void Reset();
  // Creates the file, or truncates an existing one, for writing.
  void Rewrite();
  // Opens an existing file for writing at its end; a missing file raises.
  void Append();
  // Writes pending output and closes. Closing a closed file does nothing.
  void CloseFile();
  // Writes pending output to the file.
  void Flush();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& GetFileName() const { return file_name_; }

  // The next byte (CR and LF included). At the end of the file c is 0x1A
  // (Ctrl-Z) and the position stays.
  void Read(char& c);
  // Reads up to the end of the line and consumes the line end; "" at the end
  // of the file.
  void ReadLn(std::string& s);
  // The same, keeping at most MaxLength bytes of the line (the rest of it is
  // read and dropped, so memory stays bounded); true when the line was cut.
  bool ReadLn(std::string& s, size_t MaxLength);
  // Skips the rest of the line and its line end (holding none of it).
  void ReadLn();
  void Write(std::string_view s);
  // Writes s and CR LF.
  void WriteLn(std::string_view s = {});

  // True when no byte is left.
  bool Eof();
  // True at CR, LF or the end of the file.
  bool Eoln();
  // Skips blanks, tabs and line ends, then returns Eof().
  bool SeekEof();
  // Skips blanks and tabs, then returns Eoln().
  bool SeekEoln();
  // True, having skipped them, when nothing but blanks, tabs and line ends
  // is left; false, consuming nothing, when anything else follows, or when
  // more than MaxLookahead bytes would have to be held to know. Unlike
  // SeekEof it keeps a blank line that begins more text (a record whose
  // first line is empty).
  bool AtEndOfText(size_t MaxLookahead = size_t{1} << 20);

 private:
  enum class Mode { Closed, Input, Output };

  void Open(int flags, const char* what, Mode mode);
  void CheckInput();
  void CheckOutput();
  // Makes at least one byte available; false at the end of the file.
  bool Fill();
  // Writes the output buffer; returns 0 or the errno of the failure.
  int FlushBuffer();
  void CloseQuietly() noexcept;

  std::string file_name_;
  int fd_ = -1;
  Mode mode_ = Mode::Closed;
  std::string buf_;  // input block or pending output
  size_t pos_ = 0;   // next unread byte of an input block
  size_t end_ = 0;   // end of the valid bytes of an input block
};

// Writes a whole text file: Write fills a TTextFile opened on a temporary
// file beside FileName, which is then renamed into place, so that a failed
// write leaves an existing file as it was. Failures raise EInOutError.
TKZ_COREKIT_EXPORT void ReplaceTextFile(const std::string& FileName,
                                        const std::function<void(TTextFile&)>& Write);

}  // namespace tkz
