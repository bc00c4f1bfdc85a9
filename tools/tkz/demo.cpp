// The tour of the libraries shown by "tkz demo".
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <nlohmann/json.hpp>

#include "core/dstruct/checksums.h"
#include "core/dstruct/featmat.h"
#include "core/dstruct/strarray.h"
#include "core/numkit/math1.h"
#include "core/numkit/math2.h"
#include "core/numkit/svd.h"
#include "core/platform/application.h"
#include "core/platform/codepage.h"
#include "core/platform/fonts.h"
#include "core/platform/imagefile.h"
#include "core/platform/stdctrls.h"
#include "core/platform/textfile.h"
#include "core/settings/labels.h"
#include "core/sys/filesys.h"
#include "core/text/stringl.h"
#include "core/types/tkzbase.h"
#include "core/types/univconst.h"
#include "core/types/version.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

void DemoHeading(std::ostream& out, const std::string& title) {
  out << "\n== " << title << " ==\n";
}

std::vector<std::filesystem::path> DemoDataRoots() {
  std::vector<std::filesystem::path> roots{std::filesystem::current_path()};
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  for (int up = 0; !ec && up < 6 && exe.has_parent_path() && exe != exe.root_path(); ++up) {
    exe = exe.parent_path();
    roots.push_back(exe);
  }
  return roots;
}

std::string DemoFile(const std::string& dir, const std::string& name) {
  std::filesystem::create_directories(dir);
  return (std::filesystem::path(dir) / name).string();
}

namespace {

// Shows one call and its result, quoted so that blanks are visible.
void Show(std::ostream& out, nlohmann::json& j, const std::string& call,
          const std::string& result) {
  const std::string text = AnsiToUtf8(result);
  out << "  " << std::left << std::setw(52) << call << " -> \"" << text << "\"\n";
  j[call] = text;
}

nlohmann::json DemoNumberFormatting(std::ostream& out) {
  DemoHeading(out, "Number formatting");
  nlohmann::json j;
  Show(out, j, "strff(-3.5, -8, 2)", strff(-3.5L, -8, 2));
  Show(out, j, "strff(123.456, 10, -2)", strff(123.456L, 10, -2));
  Show(out, j, "strff(1e150, 10, -2)", strff(1e150L, 10, -2));
  Show(out, j, "strffForcePlus(2.5, 8, 2)", strffForcePlus(2.5L, 8, 2));
  Show(out, j, "FormatData(1234567.0, 10, 2)", FormatData(1234567.0, 10, 2));
  Show(out, j, "FormatData(0, 8, 3)", FormatData(0, 8, 3));
  Show(out, j, "SigDigStr(3.14159265, 10, 4)", SigDigStr(3.14159265, 10, 4));
  Show(out, j, "AutoFormatData(0.000123456, 3)", AutoFormatData(0.000123456, 3));
  Show(out, j, "AutoFormatData(2.5, 4, DecimalComma)", AutoFormatData(2.5, 4, true));
  Show(out, j, "TimeString(3725.5, 0)", TimeString(3725.5, 0));
  Show(out, j, "TimeString(18540, 3)", TimeString(18540, 3));
  Show(out, j, "TimeString(0, 5)", TimeString(0, 5));
  return j;
}

nlohmann::json DemoStringTools(std::ostream& out) {
  DemoHeading(out, "String tools");
  nlohmann::json j;
  Show(out, j, "NumberedPos(\"bc\", \"abcabc\", 1, 2)",
       std::to_string(NumberedPos("bc", "abcabc", 1, 2, false)));
  Show(out, j, "NumberedPosBw(\"bc\", \"abcabc\", 6, 2)",
       std::to_string(NumberedPosBw("bc", "abcabc", 6, 2, false)));
  Show(out, j, "ReplaceStringInString(\"a-b-c\", \"-\", \"--\")",
       ReplaceStringInString("a-b-c", "-", "--", false));
  TOpenStringArray tokens;
  const int n = Tokenize("alpha,,gamma", ",", tokens);
  std::string joined;
  for (const auto& t : tokens) joined += "[" + t + "]";
  Show(out, j, "Tokenize(\"alpha,,gamma\", \",\") (" + std::to_string(n) + " tokens)", joined);
  Show(out, j, "ExtractSubString(\"x;y;z\", 2, \";\")", ExtractSubString("x;y;z", 2, ";"));
  Show(out, j, "CountWords(\"ab cd.\")", std::to_string(CountWords("ab cd.")));
  Show(out, j, "CapitalizeString(\"3d model of a map\")", CapitalizeString("3d model of a map"));
  Show(out, j, "ExpandDiphthongs(\"\\xC4rger\")", ExpandDiphthongs("\xC4rger"));
  Show(out, j, "CreateParList({1,2,3,4,5}, max 3)",
       CreateParList(TIntArray{1, 2, 3, 4, 5}, false, 3, true));
  Show(out, j, "BoolToStr(true, 2)", BoolToStr(true, 2));
  Show(out, j, "TriStateToStr(StrToTriState(\" Yes \"), 2)",
       TriStateToStr(StrToTriState(" Yes "), 2));
  Show(out, j, "DetectCSVDelimiter(\"a;b;c,d\")",
       std::string(CSVDELIMITERIDS[DetectCSVDelimiter("a;b;c,d")]));
  const std::string secret = Scramble("TKZ");
  Show(out, j, "DeScramble(Scramble(\"TKZ\"))", DeScramble(secret));
  return j;
}

nlohmann::json DemoPaths(std::ostream& out) {
  DemoHeading(out, "Paths and file names");
  nlohmann::json j;
  Show(out, j, "StripExtension(\"/data/maps.v2/world\")", StripExtension("/data/maps.v2/world"));
  Show(out, j, "StripExtension(\"C:\\x\\data.tar.gz\")", StripExtension("C:\\x\\data.tar.gz"));
  Show(out, j, "StripPath(\"/data/maps/world.cal\")", StripPath("/data/maps/world.cal"));
  Show(out, j, "ParentDir(\"C:\\a\\b\\\")", ParentDir("C:\\a\\b\\"));
  Show(out, j, "InsertBeforeFileExt(\"_old\", \"data.tar.gz\")",
       InsertBeforeFileExt("_old", "data.tar.gz"));
  Show(out, j, "EnsureDefaultFileExt(\"report\", \"txt\")", EnsureDefaultFileExt("report", "txt"));
  Show(out, j, "AbridgeFilePath(\"C:\\Program Files\\Tools\\app\\file.txt\", 20)",
       AbridgeFilePath("C:\\Program Files\\Tools\\app\\file.txt", 20));
  Show(out, j, "ReplaceInvalidFileNameChars(\"a/b:c\", '_')",
       ReplaceInvalidFileNameChars("a/b:c", '_'));
  Show(out, j, "IsDOS83Path(\"C:\\DOCS\\README.TXT\")",
       BoolToStr(IsDOS83Path("C:\\DOCS\\README.TXT"), 0));
  Show(out, j, "DOSToWinPath(\".\")", DOSToWinPath("."));
  return j;
}

// " + 1.25 x" or " - 1.25 x": a signed term of a formula.
std::string Term(double c, int decimals, const char* what) {
  return (c < 0 ? " - " : " + ") + strff(c < 0 ? -c : c, 1, decimals) + what;
}

nlohmann::json DemoFits(std::ostream& out) {
  DemoHeading(out, "Least-squares fits");
  nlohmann::json j;
  // Hourly temperatures of a spring morning (x in hours, y in degrees C).
  const double hours[] = {6, 7, 8, 9, 10, 11, 12};
  const double temps[] = {7.9, 9.1, 10.8, 12.2, 13.1, 14.2, 14.8};
  TCurveFit fit;
  fit.Init();
  for (size_t i = 0; i < std::size(hours); ++i) fit.EnterStatValue(hours[i], temps[i]);
  double slope = 0, icept = 0, r2 = 0;
  if (fit.CalcLinFit(slope, icept, r2)) {
    out << "  line      y = " << strff(slope, 1, 4) << " x" << Term(icept, 4, "")
        << "   (R^2 = " << strff(r2, 1, 4) << ")\n";
    j["line"] = {{"slope", slope}, {"intercept", icept}, {"r2", r2}};
  }
  double a = 0, b = 0, c = 0, pr2 = 0;
  if (fit.CalcParabolFit(a, b, c, pr2)) {
    out << "  parabola  y = " << strff(a, 1, 4) << Term(b, 4, " x") << Term(c, 5, " x^2")
        << "   (R^2 = " << strff(pr2, 1, 4) << ")\n";
    j["parabola"] = {{"a", a}, {"b", b}, {"c", c}, {"r2", pr2}};
  }
  int n = 0;
  double d[7] = {};
  if (fit.CalcStatistics(n, d[0], d[1], d[2], d[3], d[4], d[5], d[6])) {
    out << "  " << n << " points, mean temperature " << strff(d[1], 1, 2)
        << ", residual standard deviation " << strff(d[5], 1, 3) << "\n";
    j["residual_sd"] = d[5];
  }

  // An affine map calibration: pixel (col, row) -> longitude, from five
  // reference points, solved by singular value decomposition.
  const double px[5][2] = {{120, 80}, {910, 95}, {500, 480}, {140, 700}, {880, 720}};
  TMatrix A(3, 5);
  TVector lon;
  lon.SetVecSize(5);
  for (int i = 0; i < 5; ++i) {
    A.SetVal(1, i + 1, px[i][0]);
    A.SetVal(2, i + 1, px[i][1]);
    A.SetVal(3, i + 1, 1.0);
    lon.SetVal(i + 1, 14.2 + 0.0025 * px[i][0] - 0.0001 * px[i][1]);
  }
  TVector coef;
  ProcStat = 0;
  int rank = 0;
  if (SVDLeastSquares(A, lon, coef, SVDDefaultRelTol, &rank)) {
    out << "  calibration: longitude = " << strff(coef.GetVal(3), 1, 4)
        << Term(coef.GetVal(1), 6, " col") << Term(coef.GetVal(2), 6, " row") << "   (rank " << rank
        << ", " << ProcStat << " progress steps)\n";
    j["calibration"] = {
        {"c0", coef.GetVal(3)}, {"ccol", coef.GetVal(1)}, {"crow", coef.GetVal(2)}, {"rank", rank}};
  }
  const double km = SphereGreatCircleDist(6371.0, 48.2082, 16.3738, 47.0707, 15.4395);
  out << "  Vienna - Graz on a sphere of radius 6371 km: " << strff(km, 1, 1) << " km\n";
  out << "  48.2082 degrees as dfDegMinSec: " << AnsiToUtf8(DegreeToStr(48.2082, dfDegMinSec, 1))
      << "\n";
  j["vienna_graz_km"] = km;
  return j;
}

nlohmann::json DemoConstants(std::ostream& out) {
  DemoHeading(out, "Constants");
  nlohmann::json j;
  out << std::setprecision(19);
  out << "  e            = " << uc_e << "\n";
  out << "  pi/2         = " << uc_PiH << "\n";
  out << "  golden ratio = " << uc_GoldenR << "\n";
  out << "  ln(1000!)    = " << std::setprecision(15) << uc_LnFactorial[1000] << "\n";
  j["e"] = static_cast<double>(uc_e);
  j["pi_half"] = static_cast<double>(uc_PiH);
  j["golden_ratio"] = static_cast<double>(uc_GoldenR);
  j["ln_1000_factorial"] = uc_LnFactorial[1000];
  return j;
}

// Draws a picture pixel by pixel, writes it as PNG and JPEG, reads both back.
nlohmann::json DemoImages(std::ostream& out, const std::string& dir) {
  DemoHeading(out, "Image files");
  nlohmann::json j;
  TBitmap bmp(160, 120);
  bmp.Fill(RGB(250, 245, 230));
  TCanvas* c = bmp.GetCanvas();
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 160; ++x) {
      const int r2 = (x - 80) * (x - 80) + (y - 60) * (y - 60);
      if (r2 < 50 * 50 && (r2 / 120) % 2 == 0) {
        c->SetPixel(x, y,
                    RGB(static_cast<uint8_t>(x * 255 / 159), 90, static_cast<uint8_t>(y * 2)));
      }
    }
  }
  for (const char* name : {"demo_image.png", "demo_image.jpg"}) {
    const std::string path = DemoFile(dir, name);
    SaveBitmapToFile(bmp, path, 90);
    TBitmap back;
    LoadBitmapFromFile(back, path);
    double diff = 0;
    for (int y = 0; y < back.GetHeight(); ++y) {
      for (int x = 0; x < back.GetWidth(); ++x) {
        const TColor a = c->GetPixel(x, y), b = back.GetCanvas()->GetPixel(x, y);
        diff += std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                std::abs(GetBValue(a) - GetBValue(b));
      }
    }
    const double mean = diff / (3.0 * back.GetWidth() * back.GetHeight());
    const auto bytes = std::filesystem::file_size(path);
    out << "  " << std::left << std::setw(16) << name << std::right << std::setw(7) << bytes
        << " bytes, read back " << back.GetWidth() << " x " << back.GetHeight()
        << ", mean difference " << std::fixed << std::setprecision(2) << mean << " per channel\n"
        << std::defaultfloat;
    j[name] = {{"bytes", bytes},
               {"width", back.GetWidth()},
               {"height", back.GetHeight()},
               {"mean_difference", mean}};
  }
  return j;
}

// Frames in every style, shapes in copy and XOR mode, turned text and a
// picture stretched in both qualities, on one sheet; and the mark catalogue.
nlohmann::json DemoDrawing(std::ostream& out, const std::string& dir) {
  DemoHeading(out, "Drawing");
  nlohmann::json j;
  TBitmap sheet(640, 360);
  sheet.Fill(RGB(245, 245, 240));
  TCanvas* c = sheet.GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  const char* names[] = {"fsNone", "fsSimple", "fsLowered", "fsRaised", "fsEmbossed", "fsEngraved"};
  for (int s = 0; s < 6; ++s) {
    const int x = 10 + s * 104;
    DrawFrame(c, static_cast<TFrameStyle>(s), x, 10, x + 94, 50, clWhite, clSilver, clGray, clBlack,
              clNavy);
    c->TextOut(x + 8, 22, names[s]);
  }
  // Shapes: a filled ellipse, a polygon, dashed and wide lines, then a
  // rectangle in XOR mode over them.
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(RGB(120, 170, 230));
  c->GetPen()->SetColor(clNavy);
  c->Ellipse(20, 70, 180, 170);
  c->GetBrush()->SetColor(RGB(240, 200, 90));
  c->Polygon({{200, 170}, {260, 70}, {320, 170}, {260, 140}});
  c->GetPen()->SetStyle(psDash);
  c->MoveTo(20, 190);
  c->LineTo(320, 190);
  c->GetPen()->SetStyle(psSolid);
  c->GetPen()->SetWidth(5);
  c->MoveTo(20, 210);
  c->LineTo(320, 230);
  c->GetPen()->SetWidth(1);
  c->GetPen()->SetMode(pmXor);
  c->GetPen()->SetColor(clWhite);
  c->GetBrush()->SetStyle(bsClear);
  c->Rectangle(100, 100, 290, 200);
  c->GetPen()->SetMode(pmCopy);
  // Text: upright, bold, turned.
  c->GetPen()->SetColor(clBlack);
  c->GetFont()->SetSize(11);
  c->GetFont()->SetStyle({fsBold});
  c->TextOut(20, 250,
             "Bold 11 pt, W\xE4rme 20 \xB0"
             "C");  // Windows-1252 bytes
  c->GetFont()->SetStyle({fsItalic, fsUnderline});
  c->TextOut(20, 275, "Italic and underlined");
  c->GetFont()->SetStyle({});
  c->GetFont()->SetOrientation(300);
  c->TextOut(360, 330, "turned by 30 degrees");
  c->GetFont()->SetOrientation(0);
  // A small picture enlarged six times, plain (left) and smooth (right).
  TBitmap tiny(16, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
      tiny.ScanLine(y)[x] = static_cast<uint32_t>(
          RGB(static_cast<uint8_t>(x * 16), 60, static_cast<uint8_t>(255 - y * 20)));
  c->SetStretchMode(smColorOnColor);
  c->StretchDraw({340, 70, 340 + 96, 70 + 72}, &tiny);
  c->SetStretchMode(smHalftone);
  c->StretchDraw({460, 70, 460 + 150, 70 + 112}, &tiny);
  const std::string sheetPath = DemoFile(dir, "drawing.png");
  SaveBitmapToFile(sheet, sheetPath);
  out << "  drawing.png     frames in six styles, shapes, XOR, text, stretching ("
      << sheet.GetWidth() << " x " << sheet.GetHeight() << ")\n";
  const auto marks = DrawMarkCatalogue();
  const std::string marksPath = DemoFile(dir, "marks.png");
  SaveBitmapToFile(*marks, marksPath);
  out << "  marks.png       the 256 point marks (" << marks->GetWidth() << " x "
      << marks->GetHeight() << ")\n";
  TFont font;
  const TFontMetrics m = GetFontMetrics(font);
  out << "  font            " << font.GetName() << " " << font.GetSize() << " pt: ascent "
      << m.Ascent << ", descent " << m.Descent << ", TrueType "
      << (FontIsTrueType(font.GetName()) ? "yes" : "no") << "\n";
  j["drawing"] = sheetPath;
  j["marks"] = marksPath;
  j["font"] = {{"name", font.GetName()}, {"ascent", m.Ascent}, {"descent", m.Descent}};
  return j;
}

// A composite control like the atlas's tool bar, driven by synthetic mouse
// messages, captured to a picture.
nlohmann::json DemoControls(std::ostream& out, const std::string& dir) {
  DemoHeading(out, "Controls");
  TPanel form(nullptr);
  form.SetBounds(0, 0, 480, 240);
  auto* bar = new TPanel(&form);
  bar->SetParent(&form);
  bar->SetAlign(alTop);
  bar->SetHeight(33);
  auto* pointer = new TSpeedButton(&form);
  pointer->SetParent(bar);
  pointer->SetBounds(4, 5, 60, 23);
  pointer->SetCaption("Pointer");
  pointer->SetGroupIndex(1);
  pointer->SetDown(true);
  auto* zoom = new TSpeedButton(&form);
  zoom->SetParent(bar);
  zoom->SetBounds(66, 5, 60, 23);
  zoom->SetCaption("Zoom");
  zoom->SetGroupIndex(1);
  auto* maps = new TComboBox(&form);
  maps->SetParent(bar);
  maps->SetBounds(136, 6, 300, 21);
  maps->GetItems()->Add("Alps 1:200000");
  maps->GetItems()->Add("Europe 1:5000000");
  maps->SetItemIndex(0);
  auto* body = new TPanel(&form);
  body->SetParent(&form);
  body->SetAlign(alClient);
  body->SetColor(clSilver);
  body->SetCaption("TGeoAtlas: Empty");
  int clicks = 0;
  zoom->OnClick = [&](TObject*) { ++clicks; };
  // A click on the zoom button: press and release inside it.
  Application().PostMessage(TMessage::MouseDown(zoom, mbLeft, {}, 10, 10));
  Application().PostMessage(TMessage::MouseUp(zoom, mbLeft, {}, 10, 10));
  Application().ProcessMessages();
  auto shot = TakeScreenshot(&form);
  const std::string path = DemoFile(dir, "controls.png");
  SaveBitmapToFile(*shot, path);
  out << "  controls.png    tool bar after a click on Zoom: zoom down "
      << (zoom->GetDown() ? "yes" : "no") << ", pointer down "
      << (pointer->GetDown() ? "yes" : "no") << ", clicks " << clicks << "\n";
  return {{"zoom_down", zoom->GetDown()}, {"clicks", clicks}, {"screenshot", path}};
}

// A text label written to a settings file and read back into a new label.
nlohmann::json DemoSettings(std::ostream& out, const std::string& dir) {
  DemoHeading(out, "Settings files");
  TCustomTextLabel label;
  label.SetTxtLblCaption(
      "Vienna, 48\xB0"
      "12' N");
  label.SetTxtLblPosX(512.5);  // the file keeps four significant digits
  label.SetTxtLblPosY(96.5);
  label.SetTxtLblColorBkg(RGB(255, 250, 205));
  label.SetTxtLblMode(tlBox);
  const std::string path = DemoFile(dir, "label.xml");
  TTextFile f;
  f.AssignFile(path);
  f.Rewrite();
  label.WriteToOpenXMLFile(f, true, "CityLabel", 2);
  f.CloseFile();
  TCustomTextLabel back;
  f.Reset();
  const bool found = back.ReadFromOpenXMLFile(f, "citylabel");
  f.CloseFile();
  const bool same = found && back.GetTxtLblCaption() == label.GetTxtLblCaption() &&
                    back.GetTxtLblPosX() == label.GetTxtLblPosX() &&
                    back.GetTxtLblColorBkg() == label.GetTxtLblColorBkg() &&
                    back.GetTxtLblMode() == label.GetTxtLblMode();
  out << "  label.xml       written and read back (id \"CityLabel\" found as \"citylabel\"): "
      << (same ? "the same label" : "DIFFERENT") << "\n";
  return {{"file", path}, {"found", found}, {"same", same}};
}

// Checksums of a short text, and a table of cities sorted by a column.
nlohmann::json DemoDataStructures(std::ostream& out) {
  DemoHeading(out, "Checksums and a string table");
  const std::string text = "The quick brown fox jumps over the lazy dog";
  const TBytes bytes(text.begin(), text.end());
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08X", CRC32ofBuffer(bytes, static_cast<int>(bytes.size())));
  const std::string sha1 = SHA1DigestToHex(SHA1FromString(text));
  out << "  CRC-32 " << crc << ", SHA-1 " << sha1 << " of \"" << text << "\"\n";
  TStringArray table;
  table.Resize(2, 5);
  const char* cities[5][2] = {{"Vienna", "1897"},
                              {"Graz", "291"},
                              {"Linz", "207"},
                              {"Salzburg", "155"},
                              {"Innsbruck", "131"}};
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 2; ++c) table.SetString(c + 1, r + 1, cities[r][c]);
  table.Sort(1, 2, true);
  std::string order;
  for (int r = 1; r <= table.GetNrOfRows(); ++r)
    order += (r > 1 ? ", " : "") + table.GetString(1, r);
  out << "  sorted by name: " << order << "\n";
  return {{"crc32", crc}, {"sha1", sha1}, {"sorted", order}};
}

// A feature matrix (two typed features over three objects) written to its
// text file and loaded back.
nlohmann::json DemoFeatureMatrix(std::ostream& out, const std::string& dir) {
  TFeatureMatrix m;
  m.SetNFeats(2);
  m.SetNObjs(3);
  m.SetFeatType(1, 1, fkDouble);
  m.SetFeatType(2, 2, fkString);
  const double heights[3] = {171.0, 2962.0, 3798.0};
  const char* names[3] = {"Vienna", "Zugspitze", "Grossglockner"};
  for (int o = 1; o <= 3; ++o) {
    m.SetFeatValDouble(1, o, heights[o - 1]);
    m.SetFeatValStr(2, o, names[o - 1]);
  }
  const std::string path = DemoFile(dir, "features.txt");
  m.Save(path);
  TFeatureMatrix back;
  const int result = back.Load(path);
  const bool same = back.GetNObjs() == 3 && back.GetFeatValStr(2, 3) == "Grossglockner" &&
                    back.GetFeatValDouble(1, 2) == 2962.0;
  out << "  features.txt    2 features x 3 objects saved and loaded (result " << result
      << "): " << (same ? "the same matrix" : "DIFFERENT") << "\n";
  return {{"file", path}, {"load_result", result}, {"same", same}};
}

}  // namespace

namespace {

// The tour writes a dozen files: a folder that cannot take them stops it
// before it starts, with the reason.
void CheckOutputFolder(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  std::string probe = (std::filesystem::path(dir) / ".tkz-demo-XXXXXX").string();
  int fd = -1;
  if (!ec) {
    fd = mkstemp(probe.data());
    if (fd < 0) ec.assign(errno, std::generic_category());
  }
  if (ec) throw ETKZError("demo: cannot write into folder \"" + dir + "\": " + ec.message());
  close(fd);
  unlink(probe.c_str());
}

}  // namespace

int RunDemo(const DemoOptions& options, std::ostream& out) {
  CheckOutputFolder(options.OutDir);
  out << "TKZ " << TKZ_VERSION_STRING << " - a tour of the libraries\n";
  nlohmann::json report;
  report["version"] = TKZ_VERSION_STRING;
  report["number_formatting"] = DemoNumberFormatting(out);
  report["string_tools"] = DemoStringTools(out);
  report["paths"] = DemoPaths(out);
  report["fits"] = DemoFits(out);
  report["constants"] = DemoConstants(out);
  report["images"] = DemoImages(out, options.OutDir);
  report["drawing"] = DemoDrawing(out, options.OutDir);
  report["controls"] = DemoControls(out, options.OutDir);
  report["settings"] = DemoSettings(out, options.OutDir);
  report["data_structures"] = DemoDataStructures(out);
  report["feature_matrix"] = DemoFeatureMatrix(out, options.OutDir);
  report["colours"] = DemoColours(out, options.OutDir);
  report["files"] = DemoFilesys(out, options.OutDir);
  report["processor"] = DemoProcessor(out);
  report["geodesy"] = DemoGeodesy(out);
  report["geographic_database"] = DemoGeoDatabase(out, options.OutDir, options.FullCities);
  report["maps"] =
      DemoMaps(out, options.OutDir, report["geographic_database"].value("database", std::string()));
  report["chemistry"] = DemoChemistry(out, options.OutDir);

  const std::string path = DemoFile(options.OutDir, "demo.json");
  std::ofstream f(path);
  f << JsonText(report, 2) << "\n";
  f.close();
  if (!f) throw ETKZError("demo: cannot write " + path);
  out << "\nSummary written to " << path << "\n";
  return 0;
}

void AddDemoCommands(CLI::App& app) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* cmd = app.add_subcommand("demo", "A tour of what the libraries can do");
  cmd->add_option("--out", options->OutDir, "Folder for the files the tour writes")
      ->default_val("out/demo");
  cmd->add_flag("--full-cities", options->FullCities,
                "Geographic database: all fetched cities (data/external), not the sample");
  RunsWhenChosen(cmd, [options] { return RunDemo(*options, std::cout); });
}

}  // namespace tkz::tool
