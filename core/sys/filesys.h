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

#include <string>
#include <string_view>

#include "core/platform/classes.h"

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
std::string StripExtension(std::string_view Path);

// The name part of Path: "C:\x\y.txt" -> "y.txt", "/x/y" -> "y".
std::string StripPath(std::string_view Path);

// Drive number of a path that starts with "<char>:": 0 for A (or a) up to
// 25 for Z; 0 as well when that first character is not a letter ("1:").
// -1 when the second character is not a colon (no drive).
int ExtractDrive(std::string_view Path);

// The parent directory, ending with its separator ("\" or "/"). One trailing
// separator of Path is ignored; "" when no other separator remains.
// "C:\a\b\" and "C:\a\b" -> "C:\a\"; "C:\" -> ""; "/a" -> "/".
std::string ParentDir(std::string_view Path);

// True for a drive root "x:\" and for this system's root "/", blanks at both
// ends ignored: "c:\", " D:\ " and "/" are roots, "c:" and "/x" are not.
bool IsRootDir(std::string_view Path);

// Path shortened for display: starting after the first separator ("\" if
// the path has one, else "/"), the components are replaced one by one with
// ".." while the result is MaxLen characters or longer. The last component
// is never replaced. A path without separators is returned as it is.
// ("C:\Program Files\Tools\app\file.txt", 20) -> "C:\..\..\..\file.txt".
std::string AbridgeFilePath(std::string_view Path, int MaxLen);

// FileName with Insertion placed before the FIRST dot of its name part (or
// appended when the name part has no dot):
// ("_old", "C:\d\data.tar.gz") -> "C:\d\data_old.tar.gz".
std::string InsertBeforeFileExt(std::string_view Insertion, std::string_view FileName);

// FileName with DefExt appended when FileName has no extension, with a dot
// in between unless DefExt begins with one. An empty DefExt, or a FileName
// that has an extension (even a lone trailing dot), leaves FileName as it is.
std::string EnsureDefaultFileExt(std::string_view FileName, std::string_view DefExt);

// False when Name contains a forbidden character or is "." or ".."; true
// otherwise (the empty string included).
bool IsValidFileName(std::string_view Name);

// Name with every forbidden character replaced by c; a result of "." becomes
// c alone and ".." becomes c twice.
std::string ReplaceInvalidFileNameChars(std::string_view Name, char c);

// True when every character of Path is a short-name character or one of
// ":", "\", "/" (the empty path is compliant).
bool IsFN83CompliantPath(std::string_view Path);

// True when Path is compliant (above) and each directory name and the base
// name have at most 8 characters, the extension at most 9. The path is cut
// into pieces, each ending at the next separator ("\" or "/") or, after the
// last separator, at the next dot; no piece may be longer than 9 characters,
// its separator or dot included. "" is a short path.
// "C:\DOCS\README.TXT" is short, "C:\DOCUMENTS\A.TXT" is not.
bool IsDOS83Path(std::string_view Path);

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
std::string DOSToWinPath(std::string_view Path);

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
void SetAllFilenameCase(std::string_view PathMask, bool ToUpper);

}  // namespace tkz
