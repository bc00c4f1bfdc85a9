// "tkz landmarks": the landmarks of a landmark file as JSON lines, and
// "tkz landmarks import-gdb": the towns of a geographic database written as
// a landmark file.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "core/platform/textfile.h"
#include "geo/geomap.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/gdb_common.h"
#include "tools/tkz/progress.h"

namespace tkz::tool {

namespace {

using Json = nlohmann::ordered_json;

struct LandmarkOptions {
  std::vector<std::string> Args;  // FILE [ID]
  std::string Db, Out, Id;
  int Class = 0;
};

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A colour in web notation, red first.
std::string Web(TColor c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

Json CaptionJson(const TLMTextProperties& c) {
  return {{"text", AnsiToUtf8(c.Text)},
          {"size", c.FontSize},
          {"font", AnsiToUtf8(c.FontName)},
          {"style", c.FontStyle},
          {"color", Web(c.TextColor)},
          {"background", Web(c.BkColor)},
          {"transparent", c.Transparent},
          {"dx", c.Dx},
          {"dy", c.Dy},
          {"dir", c.Direction},
          {"halign", c.HorAlign},
          {"valign", c.VertAlign}};
}

Json LandmarkJson(int n, const TLandMark& l) {
  return {{"n", n},
          {"lat", JsonFixed(l.Latitude, 9)},
          {"lon", JsonFixed(l.Longitude, 9)},
          {"alti", l.Altitude},
          {"class", l.LMClass},
          {"usertag", l.UserTag},
          {"element", l.Element < LandMarkElementNames.size() ? LandMarkElementNames[l.Element]
                                                              : std::to_string(l.Element)},
          {"size", l.Size},
          {"colorfg", Web(l.ColorFg)},
          {"colorbg", Web(l.ColorBg)},
          {"transparent", l.Transparent},
          {"dir", l.Direction},
          {"length", l.Length},
          {"id", AnsiToUtf8(l.Identifier)},
          {"date", l.TimeStamp},
          {"caption", CaptionJson(l.Caption)}};
}

int RunList(const LandmarkOptions& o) {
  if (o.Args.empty() || o.Args.size() > 2) {
    std::cerr << "tkz landmarks: expected FILE [ID] (see \"tkz landmarks --help\")\n";
    return 2;
  }
  const std::string& file = o.Args[0];
  const std::string id = o.Args.size() == 2 ? o.Args[1] : "";
  std::error_code ec;
  if (file != "-" && !std::filesystem::is_regular_file(file, ec))
    throw Failure("cannot open \"" + file + "\": no such file");
  TGeoMap map;
  TTextFile f;
  f.AssignFile(file == "-" ? "/dev/stdin" : file);
  f.Reset();
  if (!map.ReadLandMarksFromOpenXMLFile(f, id)) {
    throw Failure(id.empty() ? "no landmarks in \"" + file + "\""
                             : "no landmarks with id \"" + id + "\" in \"" + file + "\"");
  }
  f.CloseFile();
  for (int n = 1; n <= map.GetNumLandMarks(); ++n)
    if (!gdb::Emit(LandmarkJson(n, map.GetLandMarkData(n)))) return 1;
  return 0;
}

int RunImport(const LandmarkOptions& o) {
  if (o.Class < 0 || o.Class > 255) {
    std::cerr << "tkz landmarks import-gdb: --class must be 0..255\n";
    return 2;
  }
  auto db = gdb::Open(o.Db, gdb::OpenMode::Existing);
  TGeoMap map;
  ProgressBar bar(std::cerr, gdb::Terminal());
  const int n = db->GetNumEntries();
  for (int r = 1; r <= n; ++r) {
    const TgdbData d = db->GetSumdata(r);
    if (d.ItemType == gitTown) {
      map.AddLandMark(d.LatLow, d.LongLow, 0, std::to_string(d.ItemID), d.DateTime, d.Name,
                      map.GetDefaultLandMark().Caption.FontSize,
                      map.GetDefaultLandMark().Caption.TextColor);
      TLandMark l = map.GetLandMarkData(map.GetNumLandMarks());
      l.UserTag = d.ItemID;
      l.LMClass = static_cast<uint8_t>(o.Class);
      map.SetLandMarkData(map.GetNumLandMarks(), l);
    }
    if (r % 1024 == 0 || r == n) bar.Show(r, n, "", 0);
  }
  map.SaveLandmarks(o.Out, o.Id);
  return gdb::Emit({{"file", o.Out}, {"landmarks", map.GetNumLandMarks()}}) ? 0 : 1;
}

// Runs run, turning what it raises into "tkz: landmarks...: message", 1.
std::function<int()> Guarded(const char* name, std::function<int()> run) {
  return [name, run] {
    try {
      return run();
    } catch (const std::exception& e) {
      std::cerr << "tkz: " << name << ": " << gdb::Plain(e) << "\n";
      return 1;
    }
  };
}

}  // namespace

void AddLandmarkCommands(CLI::App& app) {
  auto o = std::make_shared<LandmarkOptions>();
  CLI::App* cmd = app.add_subcommand(
      "landmarks", "FILE [ID]: the landmarks of a landmark file (JSON lines; - for stdin)");
  cmd->add_option("ARGS", o->Args, "The landmark file and the id of its block");
  CLI::App* imp = cmd->add_subcommand(
      "import-gdb", "DB FILE: the towns of a geographic database as a landmark file");
  imp->add_option("DB", o->Db, "Database (base name, any extension)")->required();
  imp->add_option("FILE", o->Out, "The landmark file to write")->required();
  imp->add_option("--id", o->Id, "The id of the landmark block");
  imp->add_option("--class", o->Class, "The landmarks' class 0..255 (default 0)");
  // CLI11 calls the group's callback after its subcommand's: one action
  // for both, chosen by whether import-gdb was given.
  const auto list = Guarded("landmarks", [o] { return RunList(*o); });
  const auto import = Guarded("landmarks import-gdb", [o] { return RunImport(*o); });
  RunsWhenChosen(cmd, [imp, list, import] { return imp->parsed() ? import() : list(); });
}

}  // namespace tkz::tool
