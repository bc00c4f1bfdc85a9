// GetProgAssoc: the program associated with a file extension, from the XDG
// shared MIME database, mimeapps.list and desktop entries.

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/sys/filesys.h"
#include "core/text/charcase.h"

namespace tkz {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// $HOME-based default when the variable is unset or not absolute.
std::string HomeDir(const char* var, const char* underHome) {
  const std::string v = Env(var);
  if (!v.empty() && v[0] == '/') return v;
  const std::string home = Env("HOME");
  return home.empty() ? "" : home + underHome;
}

std::vector<std::string> DirList(const char* var, const char* fallback) {
  std::string v = Env(var);
  if (v.empty()) v = fallback;
  std::vector<std::string> dirs;
  size_t i = 0;
  while (i <= v.size()) {
    size_t j = v.find(':', i);
    if (j == std::string::npos) j = v.size();
    const std::string d = v.substr(i, j - i);
    if (!d.empty() && d[0] == '/') dirs.push_back(d);
    i = j + 1;
  }
  return dirs;
}

std::vector<std::string> DataDirs() {
  std::vector<std::string> dirs;
  const std::string home = HomeDir("XDG_DATA_HOME", "/.local/share");
  if (!home.empty()) dirs.push_back(home);
  for (std::string& d : DirList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
    dirs.push_back(std::move(d));
  return dirs;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < s.size()) {
    size_t j = s.find(sep, i);
    if (j == std::string::npos) j = s.size();
    if (j > i) parts.push_back(s.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// The value of Key in Group of a desktop-entry style file; found tells
// whether the key is present.
std::string IniValue(const std::string& file, const std::string& group, const std::string& key,
                     bool& found) {
  found = false;
  std::ifstream in(file);
  std::string line, current;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      current = line;
      continue;
    }
    if (current != group) continue;
    const size_t eq = line.find('=');
    if (eq != std::string::npos && Trim(line.substr(0, eq)) == key) {
      found = true;
      return Trim(line.substr(eq + 1));
    }
  }
  return "";
}

// The MIME type of files named "*.<ext>".
std::string MimeTypeOf(const std::string& ext) {
  const std::string glob = "*." + ext;
  std::string best;
  int bestWeight = -1;
  for (const std::string& dir : DataDirs()) {
    std::ifstream globs2(dir + "/mime/globs2");
    const bool weighted = globs2.is_open();
    std::ifstream globs;
    if (!weighted) globs.open(dir + "/mime/globs");
    std::istream& in = weighted ? static_cast<std::istream&>(globs2) : globs;
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::vector<std::string> f;
      size_t i = 0;
      while (i <= line.size()) {  // keeps empty fields, unlike Split
        size_t j = line.find(':', i);
        if (j == std::string::npos) j = line.size();
        f.push_back(line.substr(i, j - i));
        i = j + 1;
      }
      int weight = 50;
      if (weighted) {
        if (f.size() < 3) continue;
        weight = std::atoi(f[0].c_str());
        f.erase(f.begin());
      }
      if (f.size() < 2) continue;
      const bool caseSensitive = f.size() > 2 && f[2].find("cs") != std::string::npos;
      const bool match =
          caseSensitive ? f[1] == glob : AsciiLowerCase(f[1]) == AsciiLowerCase(glob);
      if (match && weight > bestWeight) {
        best = f[0];
        bestWeight = weight;
      }
    }
  }
  return best;
}

// The paths below an applications folder that a desktop file ID may stand
// for: the ID itself, and the ID with dashes read as folder separators
// ("kde-kate.desktop" may be "kde/kate.desktop"); at most 64 of them, so
// that an ID full of dashes costs little.
constexpr size_t kMaxIdPaths = 64;

void IdPaths(const std::string& id, size_t from, std::vector<std::string>& out) {
  out.push_back(id);
  for (size_t dash = id.find('-', from); dash != std::string::npos && out.size() < kMaxIdPaths;
       dash = id.find('-', dash + 1)) {
    std::string nested = id;
    nested[dash] = '/';
    IdPaths(nested, dash + 1, out);
  }
}

// The file of an installed, visible desktop entry, "" when there is none.
std::string DesktopFile(const std::string& id) {
  if (id.find('/') != std::string::npos || id.size() <= 8 ||
      id.compare(id.size() - 8, 8, ".desktop") != 0)
    return "";
  std::vector<std::string> paths;
  IdPaths(id.substr(0, id.size() - 8), 0, paths);
  for (const std::string& dir : DataDirs()) {
    for (const std::string& path : paths) {
      const std::string file = dir + "/applications/" + path + ".desktop";
      if (!std::ifstream(file).is_open()) continue;
      bool found = false;
      if (IniValue(file, "[Desktop Entry]", "Hidden", found) == "true") return "";
      return file;
    }
  }
  return "";
}

// The mimeapps.list files in the order the XDG base directories give them.
std::vector<std::string> MimeAppsLists() {
  std::vector<std::string> desktops;
  for (const std::string& d : Split(Env("XDG_CURRENT_DESKTOP"), ':'))
    desktops.push_back(AsciiLowerCase(d));
  std::vector<std::string> dirs;
  const std::string configHome = HomeDir("XDG_CONFIG_HOME", "/.config");
  if (!configHome.empty()) dirs.push_back(configHome);
  for (std::string& d : DirList("XDG_CONFIG_DIRS", "/etc/xdg")) dirs.push_back(std::move(d));
  for (const std::string& d : DataDirs()) dirs.push_back(d + "/applications");
  std::vector<std::string> files;
  for (const std::string& d : dirs) {
    for (const std::string& desktop : desktops)
      files.push_back(d + '/' + desktop + "-mimeapps.list");
    files.push_back(d + "/mimeapps.list");
  }
  return files;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  for (const std::string& x : v)
    if (x == s) return true;
  return false;
}

// The desktop entry file of the application for the MIME type.
std::string ApplicationFor(const std::string& mime) {
  const std::vector<std::string> lists = MimeAppsLists();
  bool found = false;
  for (const std::string& list : lists)
    for (const std::string& id : Split(IniValue(list, "[Default Applications]", mime, found), ';'))
      if (std::string file = DesktopFile(id); !file.empty()) return file;
  std::vector<std::string> removed;
  for (const std::string& list : lists)
    for (std::string& id : Split(IniValue(list, "[Removed Associations]", mime, found), ';'))
      removed.push_back(std::move(id));
  for (const std::string& list : lists)
    for (const std::string& id : Split(IniValue(list, "[Added Associations]", mime, found), ';'))
      if (!Contains(removed, id))
        if (std::string file = DesktopFile(id); !file.empty()) return file;
  for (const std::string& dir : DataDirs()) {
    const std::string cache = dir + "/applications/mimeinfo.cache";
    for (const std::string& id : Split(IniValue(cache, "[MIME Cache]", mime, found), ';'))
      if (!Contains(removed, id))
        if (std::string file = DesktopFile(id); !file.empty()) return file;
  }
  return "";
}

// Undoes the escapes of a desktop-entry string value.
std::string UnescapeValue(const std::string& v) {
  std::string r;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\' || i + 1 == v.size()) {
      r += v[i];
      continue;
    }
    switch (v[++i]) {
      case 's':
        r += ' ';
        break;
      case 'n':
        r += '\n';
        break;
      case 't':
        r += '\t';
        break;
      case 'r':
        r += '\r';
        break;
      case '\\':
        r += '\\';
        break;
      default:
        r += '\\';
        r += v[i];
    }
  }
  return r;
}

}  // namespace

std::string GetProgAssoc(const std::string& Ext) {
  std::string ext = Ext;
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  if (ext.empty() || ext.find_first_of(std::string("/:\n\0", 4)) != std::string::npos) return "";
  const std::string mime = MimeTypeOf(ext);
  if (mime.empty()) return "";
  const std::string desktop = ApplicationFor(mime);
  if (desktop.empty()) return "";
  bool found = false;
  return UnescapeValue(IniValue(desktop, "[Desktop Entry]", "Exec", found));
}

}  // namespace tkz
