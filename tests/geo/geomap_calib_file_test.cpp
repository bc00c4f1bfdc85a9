// The calibration file: the exact text of the writer, round trips through
// files and streams with several calibrations, and damaged files that must
// raise and leave the calibration as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "geo/geomap.h"
#include "tests/support/temp_dir.h"

namespace tkz {
namespace {

using GeoMapCalFile = testing_support::TempDirTest;

TCalibData SampleRecord() {
  TCalibData d;
  d.MapName = "Alb.JPG";
  d.Caption = "Swabian Jura";
  d.Corners = {TLatLong{48.5, 9}, TLatLong{47, 9}, TLatLong{47, 10.25}, TLatLong{48.5, 10.25}};
  d.Resolution = 12.3456;
  d.NumCalLines = 2;
  d.CalLines[1].Kind = gtlMeridian;
  d.CalLines[1].Value = 9.5;
  d.CalLines[1].NumPoints = 2;
  d.CalLines[1].Points[1] = {10, 20};
  d.CalLines[1].Points[2] = {11, 300};
  d.CalLines[2].Kind = gtlParallel;
  d.CalLines[2].Value = 48.25;
  d.CalLines[2].NumPoints = 1;
  d.CalLines[2].Points[1] = {5, 6};
  d.NumCalQuads = 2;
  d.CalQuads[1] = {5300000, 500000.12345, 1, 2};
  d.CalQuads[2] = {5310000.5, 510000, 3, 4};
  d.UTMZone = 60;
  d.UTMSouth = true;
  d.Ellipsoid = gelBess41;
  return d;
}

TEST_F(GeoMapCalFile, WriterText) {
  const std::string file = Path("cal.xml");
  TTextFile f;
  f.AssignFile(file);
  f.Rewrite();
  WriteRawCalDataToOpenXMLFile(f, true, "Alb", SampleRecord(), cmUTM);
  TCalibData empty;
  empty.UTMZone = -1;
  WriteRawCalDataToOpenXMLFile(f, false, "none", empty, cmUndefined);
  f.CloseFile();
  const std::vector<std::string> lines = {
      "<?xml version=\"1.0\"?>",
      "",
      "<!-- TGeoMap Calibration / TKZ Component Suite -->",
      "<geomap sig=\"Quorvatin\" vers=\"1.0\" id=\"Alb\" model=\"utm\" map=\"Alb.JPG\" "
      "caption=\"Swabian Jura\">",
      "<corners>",
      "[48.50000,9.00000] [47.00000,9.00000] [47.00000,10.25000] [48.50000,10.25000] ",
      "</corners>",
      "<resolution>12.346</resolution>",
      "<utmzone>60</utmzone>",  // zone 60 is a zone like any other
      "<utmsouth>TRUE</utmsouth>",
      "<ellipsoid>gelBess41</ellipsoid>",
      "<calline type=\"meridian\" value=\"9.5\" npoints=\"2\">",
      "[10,20] [11,300] ",
      "</calline>",
      "<calline type=\"parallel\" value=\"48.25\" npoints=\"1\">",
      "[5,6] ",
      "</calline>",
      "<calquads npoints=\"2\">",
      "[5300000.00000,500000.12345,1,2] [5310000.50000,510000.00000,3,4] ",
      "</calquads>",
      "</geomap>",
      // The second block: no header, no resolution, zone or points.
      "",
      "<!-- TGeoMap Calibration / TKZ Component Suite -->",
      "<geomap sig=\"Quorvatin\" vers=\"1.0\" id=\"none\" model=\"undefined\" map=\"\" "
      "caption=\"\">",
      "<corners>",
      "[0.00000,0.00000] [0.00000,0.00000] [0.00000,0.00000] [0.00000,0.00000] ",
      "</corners>",
      "<ellipsoid>gelWGS84</ellipsoid>",
      "</geomap>",
  };
  std::string want;
  for (const auto& l : lines) want += l + "\r\n";
  EXPECT_EQ(Slurp(file), want);

  // Read back without a map: everything as written, the map name in lower
  // case, the derived corners and resolution as stored.
  TCalibData d;
  TCalibModel model;
  ASSERT_TRUE(ParseCalibData(file, "ALB", d, model));
  TCalibData expect = SampleRecord();
  expect.MapName = "alb.jpg";
  expect.Resolution = 12.346;
  EXPECT_EQ(model, cmUTM);
  EXPECT_EQ(d, expect);
  ASSERT_TRUE(ParseCalibData(file, "none", d, model));
  EXPECT_EQ(model, cmUndefined);
  EXPECT_EQ(d, empty);
  EXPECT_FALSE(ParseCalibData(file, "other", d, model));
  EXPECT_FALSE(ParseCalibData(Path("missing.xml"), "", d, model));
  EXPECT_EQ(d, empty);
}

// Four points of a southern UTM zone.
void CalibrateUTMSouth(TGeoMap& Map, int Zone, TGeoEllipsoid Ellipsoid, double Northing) {
  Map.SetUTMZone(Zone);
  Map.SetUTMHemisphere(hemiSouth);
  Map.SetEllipsoid(Ellipsoid);
  Map.SetCalibModel(cmUTM);
  for (int i = 0; i < 4; ++i)
    Map.AddCalibPoint(Northing + i * 1000, 400000.5 + i * i * 700, Zone, hemiSouth, i * 10,
                      i * i * 7);
}

// Three maps with different models in one file, read back by id (in any
// case) into fresh maps; the empty id finds the first.
TEST_F(GeoMapCalFile, SeveralCalibrationsInOneFile) {
  TGeoMap lines, utm, conic;
  lines.SetCalibModel(cmParabolicIp);
  for (int k = 0; k < 3; ++k)
    for (int p = 0; p < 3; ++p) {
      lines.AddCalibPoint(gtlMeridian, 9 + k * 0.5, 100 + k * 300 + p, p * 200);
      lines.AddCalibPoint(gtlParallel, 48.125 + k, p * 300, 100 + k * 200 + p);
    }
  CalibrateUTMSouth(utm, 33, gelBess41, 7100000.125);
  conic.SetCalibModel(cmConicConformal);
  for (int i = 0; i < 5; ++i)
    conic.AddCalibPoint(47.12345 + i * 0.5, 9.5 - i * 0.25, i * 100, 900 - i * i * 30);
  conic.SetMapCaption("Lambert \"Test\"");

  const std::string file = Path("several.xml");
  TTextFile f;
  f.AssignFile(file);
  f.Rewrite();
  lines.WriteCalDataToOpenXMLFile(f, true, "Lines");
  utm.WriteCalDataToOpenXMLFile(f, false, "UTM33");
  conic.WriteCalDataToOpenXMLFile(f, false, "Cone");
  f.CloseFile();

  struct {
    const char* ID;
    const TGeoMap* Source;
  } const cases[] = {{"lines", &lines}, {"utm33", &utm}, {"CONE", &conic}, {"", &lines}};
  for (const auto& c : cases) {
    TGeoMap map;
    map.SetMapCaption("before");
    ASSERT_TRUE(map.LoadCalDataFromXML(file, c.ID)) << c.ID;
    const TCalibData& got = map.GetCalibData();
    const TCalibData& src = c.Source->GetCalibData();
    EXPECT_EQ(map.GetCalibModel(), c.Source->GetCalibModel()) << c.ID;
    EXPECT_EQ(got.NumCalLines, src.NumCalLines) << c.ID;
    EXPECT_EQ(got.CalLines, src.CalLines) << c.ID;
    EXPECT_EQ(got.NumCalQuads, src.NumCalQuads) << c.ID;
    EXPECT_EQ(got.CalQuads, src.CalQuads) << c.ID;
    // Only a zone of 1..60 is written; otherwise the zone reads back cleared.
    EXPECT_EQ(got.UTMZone, src.UTMZone >= 1 && src.UTMZone <= 60 ? src.UTMZone : -1) << c.ID;
    EXPECT_EQ(got.UTMSouth, src.UTMSouth) << c.ID;
    EXPECT_EQ(got.Ellipsoid, src.Ellipsoid) << c.ID;
    // The same fit: the same answers.
    bool v1, v2;
    EXPECT_EQ(map.CalcLatitude(150, 250, v1), c.Source->CalcLatitude(150, 250, v2)) << c.ID;
    EXPECT_EQ(v1, v2) << c.ID;
    EXPECT_TRUE(v1) << c.ID;
  }
  // A caption is read up to the next double quote.
  TGeoMap map;
  ASSERT_TRUE(map.LoadCalDataFromXML(file, "cone"));
  EXPECT_EQ(map.GetMapCaption(), "Lambert");

  // An id that is not there, or no file: false, nothing changes.
  const TCalibData before = map.GetCalibData();
  EXPECT_FALSE(map.LoadCalDataFromXML(file, "nothere"));
  EXPECT_FALSE(map.LoadCalDataFromXML(Path("missing.xml"), ""));
  EXPECT_EQ(map.GetCalibData(), before);
  EXPECT_EQ(map.GetCalibModel(), cmConicConformal);

  // SetCalDatName loads the first calibration of an existing file.
  TGeoMap named;
  named.SetMapImageSize(800, 600);
  named.SetCalDatName(file);
  EXPECT_EQ(named.GetCalDatName(), file);
  EXPECT_EQ(named.GetCalibModel(), cmParabolicIp);
  named.SetCalDatName(Path("missing.xml"));
  EXPECT_EQ(named.GetMapWidth(), 0);
  EXPECT_EQ(named.GetCalDatName(), file);
}

TEST_F(GeoMapCalFile, StreamRoundTripKeepsTheUTMZone) {
  TGeoMap utm;
  CalibrateUTMSouth(utm, 60, gelInt24, 8100000);
  TMemoryStream s;
  utm.SaveCalDataAsXML(s, "fiji");
  TGeoMap other;
  other.SaveCalDataAsXML(s, "empty");  // the stream form writes an empty point list
  TGeoMap back;
  ASSERT_TRUE(back.LoadCalDataFromXML(s, "FIJI"));
  EXPECT_EQ(back.GetCalibModel(), cmUTM);
  EXPECT_EQ(back.GetUTMZone(), 60);
  EXPECT_EQ(back.GetUTMHemisphere(), hemiSouth);
  EXPECT_EQ(back.GetEllipsoid(), gelInt24);
  EXPECT_EQ(back.GetCalibData().CalQuads, utm.GetCalibData().CalQuads);
  int x1, y1, x2, y2;
  ASSERT_TRUE(utm.CalcPixelCoords(-17, 178.5, x1, y1));
  ASSERT_TRUE(back.CalcPixelCoords(-17, 178.5, x2, y2));
  EXPECT_EQ(x1, x2);
  EXPECT_EQ(y1, y2);
  ASSERT_TRUE(back.LoadCalDataFromXML(s, "empty"));
  EXPECT_EQ(back.GetCalibModel(), cmUndefined);
  EXPECT_EQ(back.GetCalibData().NumCalQuads, 0);
}

std::string Block(const std::string& Body, const std::string& Model = "biquadraticpn") {
  return "<?xml version=\"1.0\"?>\n<geomap sig=\"Quorvatin\" vers=\"1.0\" id=\"x\" model=\"" +
         Model + "\" map=\"m.jpg\" caption=\"C\">\n" + Body + "\n</geomap>\n";
}

std::string Groups(int N, const std::string& G) {
  std::string s;
  for (int i = 0; i < N; ++i) s += G + " ";
  return s;
}

// Damaged blocks: each raises with its message and leaves the map's (and
// ParseCalibData's caller's) calibration as it was.
TEST_F(GeoMapCalFile, DamagedFilesRaiseAndChangeNothing) {
  std::string manyLines;
  for (int i = 0; i <= kMaxCalLines; ++i)
    manyLines += "<calline type=\"parallel\" value=\"" + std::to_string(i) +
                 "\" npoints=\"1\">[1,2]</calline>\n";
  struct {
    std::string Body, Message;
  } const cases[] = {
      {"<calline type=\"river\" value=\"1\" npoints=\"1\">[1,2]</calline>",
       "invalid type of graticule line: type=\"river\""},
      {manyLines, "too many graticule lines (at most 25)"},
      {"<calline type=\"meridian\" value=\"1\" npoints=\"11\">" + Groups(11, "[1,2]") +
           "</calline>",
       "invalid number of points on a graticule line: 11 (at most 10)"},
      {"<calline type=\"meridian\" value=\"1\" npoints=\"3\">[1,2] [3,4]</calline>",
       "specified number of calibration points and actual number does not match"},
      {"<calline type=\"meridian\" value=\"1\" npoints=\"2\">[1,2] [3,4] [5,6]</calline>",
       "specified number of calibration points and actual number does not match"},
      {"<calquads npoints=\"201\">" + Groups(201, "[47.1,9.2,3,4]") + "</calquads>",
       "invalid number of calibration points: 201 (at most 200)"},
      {"<calquads npoints=\"-1\"></calquads>",
       "invalid number of calibration points: -1 (at most 200)"},
      {"<calquads npoints=\"3\">[47.1,9.2,3,4] [47.1,9.2,3,4]</calquads>",
       "specified number of calibration points and actual number does not match"},
  };
  TGeoMap good;
  good.SetName("Map");
  good.SetCalibModel(cmEquiRect);
  for (int i = 0; i < 3; ++i) good.AddCalibPoint(47.0 + i, 9.0 + i * i, i * 100, i * i * 50);
  const TCalibData before = good.GetCalibData();
  for (const auto& c : cases) {
    const std::string text = Block(c.Body);
    const std::string file = Path("bad.xml");
    Put(file, text);
    for (int form = 0; form < 2; ++form) {
      std::string msg = "(nothing raised)";
      try {
        if (form == 0) {
          good.LoadCalDataFromXML(file, "x");
        } else {
          TStringStream s(text);
          good.LoadCalDataFromXML(s, "");
        }
      } catch (const ETKZGeoMapError& e) {
        msg = e.what();
      }
      EXPECT_EQ(msg, "Component \"Map\": " + c.Message) << form;
      EXPECT_EQ(good.GetCalibData(), before) << c.Message;
      EXPECT_EQ(good.GetCalibModel(), cmEquiRect) << c.Message;
    }
    TCalibData record = before;
    TCalibModel model = cmMillerCylindrical;
    std::string msg = "(nothing raised)";
    try {
      ParseCalibData(file, "", record, model);
    } catch (const ETKZGeoMapError& e) {
      msg = e.what();
    }
    EXPECT_EQ(msg, "ParseCalibData: " + c.Message);
    EXPECT_EQ(record, before) << c.Message;
    EXPECT_EQ(model, cmMillerCylindrical) << c.Message;
  }
}

// Variants that are read, not refused.
TEST_F(GeoMapCalFile, ReaderVariants) {
  struct {
    std::string Body;
    std::function<void(const TCalibData&)> Check;
  } const cases[] = {
      {"<calline type=\"PARALLEL\" value=\"47,5\" npoints=\"1\">\n[1,2] \n</calline>",
       [](const TCalibData& d) {
         EXPECT_EQ(d.CalLines[1].Kind, gtlParallel);
         EXPECT_EQ(d.CalLines[1].Value, 47.5);
       }},
      {"<utmzone>61</utmzone><utmsouth>True</utmsouth>",
       [](const TCalibData& d) {
         EXPECT_EQ(d.UTMZone, -1);
         EXPECT_TRUE(d.UTMSouth);
       }},
      {"<utmzone>60</utmzone><ellipsoid>GELBESS41</ellipsoid>",
       [](const TCalibData& d) {
         EXPECT_EQ(d.UTMZone, 60);
         EXPECT_EQ(d.Ellipsoid, gelBess41);
       }},
      {"<ellipsoid>gelMars</ellipsoid>",
       [](const TCalibData& d) { EXPECT_EQ(d.Ellipsoid, gelWGS84); }},
      {"<resolution>2,5</resolution><corners>[1.5,2.5] [3,4]</corners>",
       [](const TCalibData& d) {
         EXPECT_EQ(d.Resolution, 2.5);
         EXPECT_EQ(d.Corners[0], (TLatLong{1.5, 2.5}));
         EXPECT_EQ(d.Corners[1], (TLatLong{3, 4}));
         EXPECT_EQ(d.Corners[2], TLatLong{});
       }},
      {"<calquads "
       "npoints=\"1\">[-33.5,151.25,-7,12]</calquads><gmlandmarks><landmark/></gmlandmarks>",
       [](const TCalibData& d) {
         ASSERT_EQ(d.NumCalQuads, 1);
         EXPECT_EQ(d.CalQuads[1], (TCalQuad{-33.5, 151.25, -7, 12}));
       }},
  };
  for (const auto& c : cases) {
    TStringStream s(Block(c.Body));
    TCalibData d;
    TCalibModel model;
    ASSERT_TRUE(ParseCalibData(s, "X", d, model)) << c.Body;
    EXPECT_EQ(model, cmBiquadraticPn);
    EXPECT_EQ(d.MapName, "m.jpg");
    c.Check(d);
  }
}

}  // namespace
}  // namespace tkz
