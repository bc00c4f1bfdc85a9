// filesys: path and file-name utilities, and file and directory services.
//
// Conventions of the whole module
// - Paths and names are std::string holding Windows-1252 bytes; on this
//   system file names are handed to the operating system byte for byte.
// - Positions count from 1; a result of 0, -1 or "" means "none".
// - Case changes use the Windows-1252 table of core/text/charcase.h.
// - The pure string functions never fail and never throw: any byte sequence,
//   the empty string and very long strings get the documented result.
// - Failed file-system calls raise EInOutError (core/platform/classes.h);
//   errors of the module's own raise ETKZFileSysError (core/types/tkzbase.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/stream.h"
#include "core/platform/stringlist.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// ======================================================= paths and file names
//
// How a path is taken apart (text rules, no file-system access):
// - The name part is the text after the last "\", ":" or "/"; the directory
//   part is everything up to and including that character. So "C:y.txt",
//   "C:\x\y.txt" and "/x/y.txt" all have the name part "y.txt".
// - The extension is the text from the last dot of the name part to its end,
//   dot included; a name part without a dot has none, a trailing dot is an
//   extension of one character. Dots in the directory part never count:
//   "/data/maps.v2/world" has no extension.
// - Characters forbidden in file names: * / : < > ? \ | (the double quote is
//   allowed).
// - Short-name (8.3) characters: ASCII letters and digits and
//   ! # $ % & ' ( ) - . ^ _ ` { } ~ @. Whole paths may use ":", "\" and "/"
//   in addition.

// Path without its extension; the directory part is kept.
// "C:\x\data.tar.gz" -> "C:\x\data.tar"; "C:\a.b\file" stays as it is.
TKZ_COREKIT_EXPORT std::string StripExtension(std::string_view Path);

// The name part of Path: "C:\x\y.txt" -> "y.txt", "/x/y" -> "y".
TKZ_COREKIT_EXPORT std::string StripPath(std::string_view Path);

// Drive number of a path that starts with "<char>:": 0 for A (or a) up to
// 25 for Z; 0 as well when that first character is not a letter ("1:").
// -1 when the second character is not a colon (no drive).
TKZ_COREKIT_EXPORT int ExtractDrive(std::string_view Path);

// The parent directory, ending with its separator ("\" or "/"). One trailing
// separator of Path is ignored; "" when no other separator remains.
// "C:\a\b\" and "C:\a\b" -> "C:\a\"; "C:\" -> ""; "/a" -> "/".
TKZ_COREKIT_EXPORT std::string ParentDir(std::string_view Path);

// True for a drive root "x:\" and for this system's root "/", blanks at both
// ends ignored: "c:\", " D:\ " and "/" are roots, "c:" and "/x" are not.
TKZ_COREKIT_EXPORT bool IsRootDir(std::string_view Path);

// Path shortened for display: starting after the first separator ("\" if
// the path has one, else "/"), the components are replaced one by one with
// ".." while the result is MaxLen characters or longer. The last component
// is never replaced. A path without separators is returned as it is.
// ("C:\Program Files\Tools\app\file.txt", 20) -> "C:\..\..\..\file.txt".
TKZ_COREKIT_EXPORT std::string AbridgeFilePath(std::string_view Path, int MaxLen);

// FileName with Insertion placed before the FIRST dot of its name part (or
// appended when the name part has no dot):
// ("_old", "C:\d\data.tar.gz") -> "C:\d\data_old.tar.gz".
TKZ_COREKIT_EXPORT std::string InsertBeforeFileExt(std::string_view Insertion,
                                                   std::string_view FileName);

// FileName with DefExt appended when FileName has no extension, with a dot
// in between unless DefExt begins with one. An empty DefExt, or a FileName
// that has an extension (even a lone trailing dot), leaves FileName as it is.
TKZ_COREKIT_EXPORT std::string EnsureDefaultFileExt(std::string_view FileName,
                                                    std::string_view DefExt);

// False when Name contains a forbidden character or is "." or ".."; true
// otherwise (the empty string included).
TKZ_COREKIT_EXPORT bool IsValidFileName(std::string_view Name);

// Name with every forbidden character replaced by c; a result of "." becomes
// c alone and ".." becomes c twice.
TKZ_COREKIT_EXPORT std::string ReplaceInvalidFileNameChars(std::string_view Name, char c);

// True when every character of Path is a short-name character or one of
// ":", "\", "/" (the empty path is compliant).
TKZ_COREKIT_EXPORT bool IsFN83CompliantPath(std::string_view Path);

// True when Path is compliant (above) and each directory name and the base
// name have at most 8 characters, the extension at most 9. The path is cut
// into pieces, each ending at the next separator ("\" or "/") or, after the
// last separator, at the next dot; no piece may be longer than 9 characters,
// its separator or dot included. "" is a short path.
// "C:\DOCS\README.TXT" is short, "C:\DOCUMENTS\A.TXT" is not.
TKZ_COREKIT_EXPORT bool IsDOS83Path(std::string_view Path);

// The absolute path of Path with every component spelled as the file system
// spells it. "/" is the only separator here ("\" and ":" are ordinary
// characters of Linux names).
// - A relative Path is expanded against the current directory; "." and ".."
//   components and repeated "/" are resolved as text, before any lookup.
// - Each component that exists exactly is kept; one that exists only with a
//   different case (Windows-1252 case folding) takes the spelling found in
//   its directory (when several entries qualify, the first in byte order).
// - When a component does not exist, or cannot be looked up, the expanded
//   path is returned as it is. A trailing "/" of Path is kept.
// - This system has no drives: a Path that starts with a drive text
//   ("C:" or "C:\...") names nothing here and is returned unchanged, as is
//   the empty string, and any Path when the current directory is unknown.
TKZ_COREKIT_EXPORT std::string DOSToWinPath(std::string_view Path);

// Changes the case of the names of all entries that match PathMask, in the
// mask's directory and, recursively, below it.
// - PathMask is a directory part (up to the last "/", used as written, the
//   current directory when there is none) and a name mask with the
//   wildcards "*" (any run of characters) and "?" (one character), matched
//   ignoring case; "*.*" matches every name. An empty name mask matches none.
// - Every matching entry (dot-names included, "." and ".." excluded) is
//   renamed to the upper-case (ToUpper) or lower-case form of its name. Only
//   names change: the case of the mask's directory part is left alone.
// - Each matching entry that is a real directory is searched in turn with
//   the same name mask. Symbolic links are renamed like any entry but never
//   followed, so nothing outside the tree is touched.
// - A directory of the mask that does not exist matches nothing.
// Raises EInOutError, and stops, when a rename fails, when the new name
// already belongs to another entry (that entry is never replaced), or when
// a matching subdirectory cannot be read.
TKZ_COREKIT_EXPORT void SetAllFilenameCase(std::string_view PathMask, bool ToUpper);

// ================================================= files, folders and drives
//
// How the Windows-style services of the module map onto Linux:
// - Separators: "/" separates directories. Where a function adds a separator
//   to a directory it adds "/".
// - Masks (FileMask, PathMask): a directory part up to the last "/" (the
//   current directory when there is none) and a name mask with "*" and "?",
//   matched ignoring Windows-1252 case; "*.*" matches every name.
// - Names keep the case they have on disk: results are never upper-cased, as
//   the file system here tells "a.txt" from "A.TXT".
// - Symbolic links: no walker (CopyFileTree, DelDirTree, ScanFilesToStrList,
//   CountFiles, FileDetect, DeleteFiles, MoveToRecycleBin) ever follows a link
//   to a directory. Such a link is neither listed as a file nor descended
//   into; CopyFileTree copies it as a link, DelDirTree removes the link only.
//   A link cycle therefore cannot make a walker loop.
// - Depth: the walkers go at most 2048 folders below their top (deeper
//   trees cannot be named by a path here). DelDirTree reports the first
//   folder beyond as FailedItem, CopyFileTree kCopyCannotOpenSource, and the
//   scanners leave it out.
// - Read-only: a file is read-only when nobody may write it (no "w" bit);
//   "clearing" the attribute gives the owner write permission.
// - Drives: Linux has no drive letters. Drive 2 ("C:") is the root file
//   system "/"; drives 3 ("D:") to 25 ("Z:") are the other mounted file
//   systems on block devices (source "/dev/..."), in the order of
//   /proc/self/mounts, each mount point once; A: and B: never exist.
//   DriveRootDir tells which folder a drive stands for.
// - System directories: GetSystemDir "/usr/lib" (the shared libraries),
//   GetWindowsDir "/etc" (the system's configuration), GetTempDir $TMPDIR or
//   "/tmp".
// - Recycle bin: the freedesktop.org Trash layout (see
//   MoveToRecycleBin), so that a desktop's trash can restore the files.
// - File associations: the XDG MIME database and mimeapps.list (see
//   GetProgAssoc).

// ------------------------------------------------------------ copying files

// Progress of one file copy: bytes copied so far, size of the file.
using TFileCopyProgress = std::function<void(int64_t Done, int64_t Total)>;
// Progress of a tree copy: the current file's progress, the destination
// name of the current file and the number of entries copied so far.
using TFileTreeProgress =
    std::function<void(int64_t Done, int64_t Total, const std::string& CurrentFile, int FileCount)>;
// What a tree copy could not copy: the source path of the entry, its result
// code (kCopyCannotOpenSource ... kCopyReadError, or kCopySkipped) and the
// system's error number (errno; 0 for a skipped entry).
using TFileTreeIssue = std::function<void(const std::string& Source, int Code, int ErrorNumber)>;
// Feedback of the directory walkers: the directory about to be searched and
// the number of files found so far.
using TFileScanFeedback = std::function<void(const std::string& Dir, int Found)>;
// Feedback of CountLinesInTextFile: no sender, the lines so far, 0.
using TLineCountFeedback = void (*)(TObject* Sender, double Lines, double Unused);

using TNumericFeedback = std::function<void(TObject* Sender, double num)>;
using TStringFeedback = std::function<void(TObject* Sender, const std::string& msg)>;

// Results of FileCopyFeedBk and CopyFileTree.
inline constexpr int kCopyOK = 0;
inline constexpr int kCopyCannotOpenSource = -1;
inline constexpr int kCopyCannotCreateDest = -2;
inline constexpr int kCopyWriteError = -3;
inline constexpr int kCopyReadError = -4;
// Told to a tree copy's TFileTreeIssue only: a pipe, socket or device, which
// is not copied (and not a failure of the copy).
inline constexpr int kCopySkipped = -5;

// Copies the file Source to Dest, reporting progress per block of 8192
// bytes. (The data moves in larger pieces, inside the kernel where the file
// systems allow it; the blocks are what Progress sees.) Result:
//   kCopyOK (0) success (also when Source and Dest are the same file: nothing
//     is done and Progress is not called; also after AbortAnyFileCopying),
//   kCopyCannotOpenSource (-1) Source missing, unreadable, or a directory,
//   kCopyCannotCreateDest (-2), kCopyWriteError (-3), kCopyReadError (-4).
// - Dest naming an existing directory means Dest + "/" + name of Source.
// - An existing Dest is replaced: the copy is written to a temporary file
//   beside it (a unique name) that is renamed over Dest when complete, so a
//   failed copy leaves Dest as it was and two copies at once never mix. As
//   for every file the library writes whole: a symbolic link Dest is
//   followed (the file it names is replaced), a Dest the caller may not write
//   is refused (kCopyCannotCreateDest), and a Dest that is not a regular
//   file (a device, a pipe) is written in place. Source and Dest are the
//   same file when both names lead to one inode (hard links, "./a" and "a"):
//   never truncated. LastFileCopyError() tells the errno of a failure.
// - Progress(0, size) first; then, for each 8192-byte block,
//   Progress(bytes copied before the block, size), the last (short, possibly
//   empty) block included; finally Progress(bytes copied, size). A
//   20000-byte file gives 0, 0, 8192, 16384, 20000; a 16384-byte one 0, 0,
//   8192, 16384, 16384. A block whose write fails is reported before the
//   copy stops with kCopyWriteError. Done and Total are 64-bit: files over 2 GiB count
//   right.
// - A finished copy gets Source's access and modification times. With
//   ClearReadOnly, Dest also gets Source's permission bits with owner write
//   added; otherwise it keeps those it was created with (0666 less the
//   umask, or the old file's).
// - AbortAnyFileCopying (from Progress or another thread) stops the copy
//   after the block being reported: Dest holds the blocks up to and
//   including it (renamed into place as a complete copy would be), keeps the
//   time of the copy, and the result is still 0;
//   FileCopyAborted() then tells.
TKZ_COREKIT_EXPORT int FileCopyFeedBk(const std::string& Source, const std::string& Dest,
                                      bool ClearReadOnly, const TFileCopyProgress& Progress = {});

// Copies the contents of SourceDir into DestDir (created with missing
// parents), recursively. Each regular file is copied with FileCopyFeedBk
// (progress forwarded with the destination name and the count, and one more
// call with the final values, 0, 0 for a file that cannot be opened); a
// symbolic link is copied as a link with the same target (one Feedback call
// with 0, 0); other entries (pipes, sockets, devices) are skipped and told
// to OnIssue as kCopySkipped. Each directory below DestDir gets the
// permission bits and times of its source once its contents are copied
// (until then a new one is the owner's alone, so that a read-only or private
// source stays so and can still be filled); DestDir too, when this call
// creates it. A link
// found in DestDir where a file or link is copied is replaced, never written
// through, so nothing outside DestDir changes. Nothing is copied when both
// name the same directory (equal as strings after adding "/", or one
// directory under two names). DestDir inside SourceDir is fine: the walk
// never enters the destination. The walk stops after AbortAnyFileCopying.
// Returns kCopyOK, or the first failure: a FileCopyFeedBk code, kCopyCannotCreateDest when a
// directory or link cannot be created (or keep its source's mode and times),
// kCopyCannotOpenSource when a source directory cannot be read; the walk goes on after a
// failure, and OnIssue hears of each one below the top, naming the source entry. (A
// SourceDir that cannot be opened or a DestDir that cannot be made is only returned, with
// LastFileCopyError().)
TKZ_COREKIT_EXPORT int CopyFileTree(const std::string& SourceDir, const std::string& DestDir,
                                    bool ClearReadOnly, const TFileTreeProgress& Feedback = {});
TKZ_COREKIT_EXPORT int CopyFileTree(const std::string& SourceDir, const std::string& DestDir,
                                    bool ClearReadOnly, const TFileTreeProgress& Feedback,
                                    const TFileTreeIssue& OnIssue);

// Asks a running copy to stop after its current block (callable from a
// progress callback or another thread).
TKZ_COREKIT_EXPORT void AbortAnyFileCopying();
// True when the last FileCopyFeedBk or CopyFileTree was stopped by
// AbortAnyFileCopying.
TKZ_COREKIT_EXPORT bool FileCopyAborted();
// The system's error number (errno) behind the last failure of
// FileCopyFeedBk or CopyFileTree; 0 when there was none.
TKZ_COREKIT_EXPORT int LastFileCopyError();

// Copies the text file Source to Dest adding a line feed after every
// carriage return that is not followed by one (a CR at the very end gets
// one too). Raises EInOutError when a file cannot be opened or written.
TKZ_COREKIT_EXPORT void EnsureCRLFInFile(const std::string& Source, const std::string& Dest);

// ------------------------------------------------------ files and folders

// Size of the file in bytes (64-bit), 0 for an existing entry that is not a
// regular file, -1 when nothing of that name exists. Links are followed.
TKZ_COREKIT_EXPORT int64_t GetFileSize(const std::string& FileName);

// Moves every file matching FileMask to the trash, without asking, and
// returns the number moved. Excluded: names starting with ".", directories
// and links to directories. Trash in the freedesktop.org layout:
// - a file on the file system of $XDG_DATA_HOME (default ~/.local/share)
//   goes to $XDG_DATA_HOME/Trash/files, with an info file
//   Trash/info/<name>.trashinfo holding "[Trash Info]", "Path=" the absolute
//   path percent-encoded and "DeletionDate=" the local time as
//   YYYY-MM-DDThh:mm:ss;
// - a file on another file system goes to $topdir/.Trash/$uid when the
//   administrator made $topdir/.Trash (a sticky, non-link directory), else to
//   $topdir/.Trash-$uid, Path then being relative to $topdir (the mount
//   point);
// - a name already in the trash gets ".2", ".3", ... before its extension.
// A file that cannot be moved is left where it is and not counted.
TKZ_COREKIT_EXPORT int MoveToRecycleBin(const std::string& FileMask);

// Deletes every file matching FileMask (same exclusions as MoveToRecycleBin;
// a link is removed, not its target) and returns the number deleted.
TKZ_COREKIT_EXPORT int DeleteFiles(const std::string& FileMask);

// Deletes Dir with everything below it, depth first. A link inside is
// removed as a link; when Dir itself is a link, only the link is removed.
// FailedItem is "" on success, else the path of the first entry that could
// not be deleted (Dir itself when it does not exist), and deleting stops
// there.
TKZ_COREKIT_EXPORT void DelDirTree(const std::string& Dir, std::string& FailedItem);

enum TTextfileType : uint8_t {
  tftUnicode_le,
  tftUnicode_be,
  tftUnicode4_le,
  tftUnicode4_be,
  tftRTF,
  tftUTF8,
  tftUnknown
};

// The kind of text file by its first bytes: EF BB BF UTF-8; FF FE 00 00
// UTF-32 LE; 00 00 FE FF UTF-32 BE; FF FE UTF-16 LE; FE FF UTF-16 BE; "{\r"
// RTF; anything else (an empty file too) tftUnknown. A file shorter than
// four bytes reads as if padded with zeros, except that a two- or three-byte
// file FF FE ... is UTF-16 LE, never UTF-32. Raises EInOutError when the
// file cannot be opened.
TKZ_COREKIT_EXPORT TTextfileType CheckTextFileType(const std::string& FileName);

// True when the probe file "$%$LO%$.$$$" cannot be created in Dir (a free
// variant of the name is used when a file of that name exists; it is never
// overwritten). The probe is removed again.
TKZ_COREKIT_EXPORT bool DirIsReadOnly(const std::string& Dir);
// DirIsReadOnly of the drive's root; true for a drive that does not exist.
TKZ_COREKIT_EXPORT bool DiskIsReadOnly(uint8_t Drive);

// Drive types, as the operating system reports them.
inline constexpr int kDriveUnknown = 0;
inline constexpr int kDriveNoRootDir = 1;  // no such drive
inline constexpr int kDriveRemovable = 2;
inline constexpr int kDriveFixed = 3;
inline constexpr int kDriveRemote = 4;
inline constexpr int kDriveCDROM = 5;
inline constexpr int kDriveRAMDisk = 6;

// The folder that stands for drive 0 (A) to 25 (Z), "" when there is none.
TKZ_COREKIT_EXPORT std::string DriveRootDir(uint8_t Drive);
// Type of the drive: kDriveUnknown for Drive > 25, kDriveNoRootDir for a drive that does
// not exist; for the others by the mounted file system: network file systems
// kDriveRemote, iso9660 and udf kDriveCDROM, tmpfs and ramfs (a root file
// system in memory) kDriveRAMDisk, a device that /sys/block/<dev>/removable
// marks kDriveRemovable, else kDriveFixed.
TKZ_COREKIT_EXPORT int GetDiskDriveType(uint8_t Drive);
// Clears List, then adds "C:", "D:", ... for every drive that exists.
TKZ_COREKIT_EXPORT void BuildDriveList(TStringList* List);
// Bytes free for the caller on the drive's file system, -1 on failure.
TKZ_COREKIT_EXPORT int64_t DiskFreeExtended(uint8_t Drive);

// True when Dir holds no entry (or does not exist); false when it has one or
// cannot be read.
TKZ_COREKIT_EXPORT bool DirEmpty(const std::string& Dir);
// True when Dir names an existing directory (links followed); "" gives false.
TKZ_COREKIT_EXPORT bool DirExists(const std::string& Dir);

// The first entry named like the name part of FileName (ignoring case, not a
// directory) in the directory of FileName, else in its subdirectories depth
// first in byte order of their names; the full name as spelled on disk, ""
// when there is none.
TKZ_COREKIT_EXPORT std::string FileDetect(const std::string& FileName);

// Adds every entry matching FileMask that is not a directory (nor a link to
// one) to List as directory part + name, the directory's files in byte order
// of their names first; with Recurse, the subdirectories follow, depth first.
// Feedback(directory, found so far) before each directory is searched.
// Nothing happens when List is null.
TKZ_COREKIT_EXPORT void ScanFilesToStrList(const std::string& FileMask, bool Recurse,
                                           TStringList* List,
                                           const TFileScanFeedback& Feedback = {});
// The number of files ScanFilesToStrList would list.
TKZ_COREKIT_EXPORT int CountFiles(const std::string& FileMask, bool Recurse,
                                  const TFileScanFeedback& Feedback = {});

// "/usr/lib", "/etc" and $TMPDIR (or "/tmp" when it is unset or no
// directory), without a trailing "/"; "" when the directory is missing.
TKZ_COREKIT_EXPORT std::string GetSystemDir();
TKZ_COREKIT_EXPORT std::string GetWindowsDir();
TKZ_COREKIT_EXPORT std::string GetTempDir();

// The value of the environment variable Name: an exact match first, else the
// first whose name equals Name ignoring case; "" when there is none.
TKZ_COREKIT_EXPORT std::string GetEnviroVar(const std::string& Name);

// The command line (the desktop entry's Exec value, field codes such as %f
// kept) of the default application for files with the extension Ext (given
// without the dot), from the XDG databases:
// 1. the MIME type: the glob "*.<ext>" in mime/globs2 (highest weight; case
//    ignored unless the glob is marked "cs") or mime/globs, searched in
//    $XDG_DATA_HOME (~/.local/share) and $XDG_DATA_DIRS
//    (/usr/local/share:/usr/share) in that order;
// 2. the application: "[Default Applications]" of mimeapps.list in
//    $XDG_CONFIG_HOME (~/.config), $XDG_CONFIG_DIRS (/etc/xdg) and the
//    applications folders of the data directories, then their
//    "[Added Associations]", then applications/mimeinfo.cache; the first
//    desktop entry found in an applications folder wins;
// 3. the Exec line of that entry's "[Desktop Entry]".
// "" when any step finds nothing.
TKZ_COREKIT_EXPORT std::string GetProgAssoc(const std::string& Ext);

// A pronounceable password from the process-wide random generator
// (core/text/stringl.h): Length clamped to 4..14; a vowel first when Length
// is odd, then consonant-vowel pairs, and a two-digit number inserted after
// the sixth letter (Length + 2 characters in all).
TKZ_COREKIT_EXPORT std::string InventPassword(int Length);
// The same; then each of the first Length characters that is a lower-case
// letter becomes upper case with probability 1/2 (MixedCase), and each of
// them is replaced with probability 0.2 by one of "_!$%#=" or a digit, all
// sixteen equally likely (SpecialChars).
TKZ_COREKIT_EXPORT std::string InventPassword(int Length, bool MixedCase, bool SpecialChars);

// ------------------------------------------------------------- text files

// Skips bytes below "!" and returns the following run of bytes from "!"
// upwards; the byte that ends the run is consumed. "" at the end of the file.
TKZ_COREKIT_EXPORT std::string ReadNextWordInTextFile(TTextFile& F);

// Appends Line and CR LF to the file, creating it when it does not exist.
// Any other failure raises EInOutError (an existing file is never replaced).
TKZ_COREKIT_EXPORT void AppendToTextFile(const std::string& FileName, const std::string& Line);
TKZ_COREKIT_EXPORT void AppendToTextFile(const std::string& FileName, const TStringList* Lines);

// The last N lines of the file, oldest first; when the file has fewer, the
// first entries are "". TotalLines is the number of lines. The file is
// rewound before and after (it must be assigned; it is opened for reading).
// An empty result for N <= 0.
TKZ_COREKIT_EXPORT TStrArray ReadLastNLinesOfTextFile(TTextFile& F, int N, int& TotalLines);
TKZ_COREKIT_EXPORT TStrArray ReadLastNLinesOfTextFile(const std::string& FileName, int N,
                                                      int& TotalLines);

// The number of lines; Feedback(nullptr, lines so far, 0) after every 1000th
// line. The file is rewound before and after.
TKZ_COREKIT_EXPORT int CountLinesInTextFile(TTextFile& F, TLineCountFeedback Feedback = nullptr);
TKZ_COREKIT_EXPORT int CountLinesInTextFile(const std::string& FileName,
                                            TLineCountFeedback Feedback = nullptr);

// The 1-based character offset of s in the file, line ends not counted, or 0
// when s is not found within the first MaxChars characters (or s is "").
// IgnoreCase compares Windows-1252 lower case.
TKZ_COREKIT_EXPORT int DetectStringInFile(const std::string& FileName, const std::string& s,
                                          bool IgnoreCase, int MaxChars);

// The position of s in the first line that contains it, Line being that line
// as read; 0 and "" when no line does (or s is "").
TKZ_COREKIT_EXPORT int FindFirstMatchInTextFile(const std::string& FileName, const std::string& s,
                                                bool IgnoreCase, std::string& Line);

// Results of ReadHeaderOfASC.
inline constexpr int kASCHeaderOK = 0;
inline constexpr int kASCTitleHasLineFeed = 252;
inline constexpr int kASCBadFlag = 253;  // a word neither TRUE nor FALSE
inline constexpr int kASCBadN2 = 254;    // N2 not a number > 0
inline constexpr int kASCBadN1 = 255;    // N1 not a number > 0 (or no stream)

// Reads the four header lines of a plain-text data file:
//   title / N1 (rest of the line ignored) / N2 / four words TRUE or FALSE.
// Result kASCHeaderOK for a valid header; kASCBadN1 when N1 is not a number
// > 0, kASCTitleHasLineFeed when the title holds a line feed, kASCBadN2 when
// N2 is not a number > 0, kASCBadFlag when one of the first three words
// begins neither with TRUE nor with FALSE (tabs count as blanks, case is
// ignored; the fourth word is TRUE or else false).
// Reading stops at the first fault. Lines end at LF (a CR before it is
// dropped). The stream overload leaves the stream after the last line read.
// Raises EInOutError when the file cannot be opened.
TKZ_COREKIT_EXPORT int ReadHeaderOfASC(const std::string& FileName, std::string& Title, int& N1,
                                       int& N2, bool& F1, bool& F2, bool& F3, bool& F4);
TKZ_COREKIT_EXPORT int ReadHeaderOfASC(TStream* Stream, std::string& Title, int& N1, int& N2,
                                       bool& F1, bool& F2, bool& F3, bool& F4);

}  // namespace tkz
