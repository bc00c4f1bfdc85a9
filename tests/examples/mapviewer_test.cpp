// The map viewer's form, headless: opening each kind of file, the status
// line against the map's own conversion and UTM, zooming with the wheel and
// a drawn window, keys, and landmarks added by clicks, saved and read back.
// Input goes through the application's message queue, as a window delivers it.
#include "tests/examples/mapviewer_fixture.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "core/platform/application.h"
#include "core/platform/clipboard.h"
#include "geo/geobasics.h"

namespace tkz::mapviewer {
namespace {

using Viewer = testing_support::MapViewerTest;

TEST_F(Viewer, OpensEachKindOfFileByItsContents) {
  struct Case {
    const char* What;
    std::string File;
    TMapFileKind Kind;
    int Width, Height;  // of the map image
  };
  const std::vector<Case> cases = {
      {"calibration", Iberia(), TMapFileKind::Calibration, 700, 400},
      {"calibration under another extension", Copy(Iberia(), "iberia.cal"),
       TMapFileKind::Calibration, 700, 400},
      {"atlas", Atlas(), TMapFileKind::Atlas, 800, 500},
      {"database by base name", Database(), TMapFileKind::Database, 2400, 1200},
      {"database by its index file", Database() + ".tkzgi2", TMapFileKind::Database, 2400, 1200},
      {"database by its data file", Database() + ".tkzgdd", TMapFileKind::Database, 2400, 1200},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectMapFile(c.File), c.Kind) << c.What;
    auto form = Open(c.File);
    EXPECT_EQ(form->GetKind(), c.Kind) << c.What;
    EXPECT_EQ(form->GetMap()->GetMapWidth(), c.Width) << c.What;
    EXPECT_EQ(form->GetMap()->GetMapHeight(), c.Height) << c.What;
    const std::string name = std::filesystem::path(c.File).filename().string();
    EXPECT_EQ(form->GetCaption(), name + " - TKZ Map Viewer") << c.What;
    EXPECT_NE(form->GetStatusLine()->GetCaption().find("hand: drag to pan"), std::string::npos);
  }
  // The database's towns are its landmarks, its borders drawn below them.
  auto db = Open(Database());
  EXPECT_EQ(db->GetOverlay()->Towns(), 300);
  EXPECT_EQ(db->GetMap()->GetNumLandMarks(), 300);
  EXPECT_GT(db->GetOverlay()->Polygons(), 0);
  EXPECT_EQ(db->GetLandmarkFile(), Path("world.landmarks.xml"));
  // The atlas shows its first map, with the other registered.
  auto atlas = Open(Atlas());
  EXPECT_EQ(atlas->GetAtlas()->GetNumMaps(), 2);
  EXPECT_EQ(atlas->GetAtlas()->GetSelectedMap(), 1);

  Put(Path("plain.txt"), "# tkz atlas, said no one\n");
  Put(Path("empty"), "");
  for (const std::string& bad : {Path("plain.txt"), Path("empty"), Path("missing.xml"), Path("")}) {
    EXPECT_EQ(DetectMapFile(bad), TMapFileKind::None) << bad;
    TMapViewerForm form;
    EXPECT_THROW(form.OpenFile(bad), EViewerError) << bad;
  }
}

// The status line under the mouse: degrees and minutes of the map's own
// conversion of the pixel, and the UTM coordinates geobasics gives for them.
// A border that crosses the antimeridian breaks there instead of running
// across the whole map (Fiji's outline, and a line from 170 E to 170 W).
TEST_F(Viewer, BordersAcrossTheAntimeridianBreakThere) {
  {
    TGeoDB db;
    db.SetGDBName(Path("fiji.tkzgds"));
    ImportGeoJSON(db, R"({"type":"FeatureCollection","features":[
      {"type":"Feature","properties":{"name":"Fiji"},"geometry":{"type":"Polygon",
       "coordinates":[[[178,-16],[-179,-16],[-179,-19],[178,-19],[178,-16]]]}},
      {"type":"Feature","properties":{"name":"Date line"},"geometry":{"type":"LineString",
       "coordinates":[[170,-40],[-170,-40]]}}]})");
  }
  auto form = Open(Path("fiji"), 720, 400);
  ASSERT_EQ(form->GetOverlay()->Polygons(), 2);
  TGeoMap* map = form->GetMap();
  map->ConstructInternalMapImg();
  const TBitmap& b = *map->GetRenderBitmap();
  for (const double lat : {-16.0, -19.0, -40.0}) {
    int dark = 0;
    for (double lon = -170; lon <= 170; lon += 0.5) {
      int x, y;
      ASSERT_TRUE(map->CalcPixelCoords(lat, lon, x, y));
      const TPoint p = map->MapImageToControl(x, y);
      if (p.X >= 0 && p.Y >= 0 && p.X < b.GetWidth() && p.Y < b.GetHeight() &&
          b.ScanLine(p.Y)[p.X] == 0x303030)
        ++dark;
    }
    EXPECT_EQ(dark, 0) << "latitude " << lat;
  }
}

TEST_F(Viewer, StatusLineShowsThePositionUnderTheMouse) {
  auto form = Open(Iberia());
  TGeoMap* map = form->GetMap();
  map->SetMagnification(1.5);
  map->SetTopLeft({-40, 30});  // part of the view lies beyond the image
  const TPoint pixels[] = {{300, 200}, {61, 1}, {1, 400}, {900, 650}, {59, 100}, {20, 20}};
  for (const TPoint& p : pixels) {
    Post(TMessage::MouseMove(map, {}, p.X, p.Y));
    const std::string status = form->GetStatusLine()->GetCaption();
    const TPoint img = map->ControlToMapImage(p.X, p.Y);
    const bool inside = img.X >= 0 && img.Y >= 0 && img.X < 700 && img.Y < 400;
    if (!inside) {
      EXPECT_EQ(status.rfind("outside the map", 0), 0u) << p.X << "," << p.Y << ": " << status;
      continue;
    }
    bool v1, v2;
    const double lat = map->CalcLatitude(img, v1), lon = map->CalcLongitude(img, v2);
    ASSERT_TRUE(v1 && v2);
    // "47°22.50'N 8°32.40'E   UTM 32T 465000E 5247000N"
    static const std::regex form(
        "^([0-9]+)\xB0([0-9.]+)'([NS]) ([0-9]+)\xB0([0-9.]+)'([EW])   UTM ([0-9]+)([A-Z]) "
        "([0-9]+)E ([0-9]+)N");
    std::smatch f;
    ASSERT_TRUE(std::regex_search(status, f, form)) << status;
    const auto num = [&](int i) { return std::stod(f[i].str()); };
    EXPECT_NEAR((f[3] == "S" ? -1 : 1) * (num(1) + num(2) / 60), lat, 0.01 / 60) << status;
    EXPECT_NEAR((f[6] == "W" ? -1 : 1) * (num(4) + num(5) / 60), lon, 0.01 / 60) << status;
    int z;
    char b;
    double ee, nn;
    GeoToUTMZone(lat, lon, z, b);
    LatLongToUTM(lat, lon, gelWGS84, z, ee, nn);
    EXPECT_EQ(num(7), z);
    EXPECT_EQ(f[8].str(), std::string(1, b));
    EXPECT_NEAR(num(9), ee, 0.5);
    EXPECT_NEAR(num(10), nn, 0.5);
  }
  EXPECT_EQ(form->PositionText(-1, 5), "outside the map");
}

// A wheel notch zooms by 1.25 (in) or 1 / 1.25 (out) keeping the image point
// under the mouse within a pixel of it.
TEST_F(Viewer, WheelZoomsAboutTheMouse) {
  auto form = Open(Database(), 900, 600);
  TGeoMap* map = form->GetMap();
  struct Notch {
    int X, Y, Delta;
  };
  const Notch notches[] = {{450, 290, 120},  {100, 80, 120},  {800, 500, 240}, {10, 570, -120},
                           {300, 300, 360},  {650, 40, -240}, {0, 0, 120},     {899, 577, 120},
                           {450, 290, -600}, {123, 456, 480}};
  for (const Notch& w : notches) {
    const double m0 = map->GetMagnification();
    const TPoint o0 = map->GetTopLeft();
    const double ix = o0.X + w.X / m0, iy = o0.Y + w.Y / m0;
    const TPoint screen = map->ClientToScreen({w.X, w.Y});
    Post(TMessage::MouseWheel(form.get(), {}, w.Delta, screen.X, screen.Y).At(form.get()));
    const double m1 = map->GetMagnification();
    EXPECT_NEAR(m1 / m0, std::pow(1.25, w.Delta / 120.0), 1e-9) << w.X << "," << w.Y;
    const TPoint o1 = map->GetTopLeft();
    EXPECT_NEAR(o1.X + w.X / m1, ix, 0.5 + 0.5 / m1) << w.X << "," << w.Y;
    EXPECT_NEAR(o1.Y + w.Y / m1, iy, 0.5 + 0.5 / m1) << w.X << "," << w.Y;
  }
}

// "z" arms the zoom window; the rectangle dragged with the left button fills
// the view and the mode goes back to the hand. Right-dragging does nothing.
TEST_F(Viewer, ZoomWindowShowsTheDrawnRectangle) {
  auto form = Open(Database(), 900, 600);
  TGeoMap* map = form->GetMap();
  Key(form.get(), 'Z');
  EXPECT_EQ(form->GetMode(), TViewerMode::ZoomWindow);
  EXPECT_NE(form->GetStatusLine()->GetCaption().find("zoom window: drag a rectangle"),
            std::string::npos);
  const TPoint a = map->ControlToMapImage(400, 150), b = map->ControlToMapImage(600, 250);
  Drag(map, mbLeft, {400, 150}, {600, 250});
  EXPECT_EQ(form->GetMode(), TViewerMode::Hand);
  // The window is twice as wide as high, the view 900 x 578: its width fits.
  EXPECT_NEAR(map->GetMagnification(), 900.0 / (b.X - a.X), 1e-9);
  const TPoint centre = map->ControlToMapImage(450, map->GetHeight() / 2);
  EXPECT_NEAR(centre.X, (a.X + b.X) / 2.0, 2);
  EXPECT_NEAR(centre.Y, (a.Y + b.Y) / 2.0, 2);
  const double m = map->GetMagnification();
  const TPoint o = map->GetTopLeft();
  Key(form.get(), 'Z');
  Drag(map, mbRight, {100, 100}, {300, 200});
  EXPECT_EQ(map->GetMagnification(), m);
  EXPECT_EQ(map->GetTopLeft(), o);
}

// Keys change the view as the table says; the view is also dragged.
TEST_F(Viewer, KeysAndDragsMoveTheView) {
  auto form = Open(Database(), 800, 522);  // the map view is 800 x 500
  TGeoMap* map = form->GetMap();
  map->SetMagnification(1);
  map->SetTopLeft({1000, 400});
  struct Step {
    uint16_t Key;
    double Mag;  // expected magnification, 0: unchanged
    TPoint Origin;
  };
  const Step steps[] = {
      {VK_RIGHT, 0, {1100, 400}},       {VK_DOWN, 0, {1100, 462}},
      {VK_LEFT, 0, {1000, 462}},        {VK_UP, 0, {1000, 400}},
      {VK_ADD, 1.25, {1080, 450}},      {VK_SUBTRACT, 1, {1000, 400}},
      {VK_OEM_PLUS, 1.25, {1080, 450}}, {VK_OEM_MINUS, 1, {1000, 400}},
      {VK_HOME, 800.0 / 2400, {0, 0}},  {'F', 800.0 / 2400, {0, 0}},
  };
  for (const Step& s : steps) {
    const double m = map->GetMagnification();
    Key(form.get(), s.Key);
    EXPECT_NEAR(map->GetMagnification(), s.Mag == 0 ? m : s.Mag, 1e-9) << s.Key;
    EXPECT_EQ(map->GetTopLeft(), s.Origin) << s.Key;
  }
  map->SetMagnification(2);
  map->SetTopLeft({1000, 400});
  Drag(map, mbLeft, {300, 200}, {200, 260});
  EXPECT_EQ(map->GetTopLeft(), (TPoint{1050, 370}));
}

TEST_F(Viewer, CtrlCCopiesTheViewAndCtrlShiftCTheWholeMap) {
  auto form = Open(Database(), 800, 522);
  Clipboard().Clear();
  const struct {
    TShiftState Shift;
    int Width, Height;
  } cases[] = {{{ssCtrl}, 800, 500}, {{ssCtrl, ssShift}, 2400, 1200}};
  for (const auto& c : cases) {
    Key(form.get(), 'C', c.Shift);
    TBitmap got;
    ASSERT_TRUE(Clipboard().GetBitmap(got));
    EXPECT_EQ(got.GetWidth(), c.Width);
    EXPECT_EQ(got.GetHeight(), c.Height);
    EXPECT_NE(form->GetStatusLine()->GetCaption().find("copied to the clipboard"),
              std::string::npos);
  }
  Clipboard().Clear();
}

TEST_F(Viewer, GraticuleCyclesThroughNonePointsLinesAndUTMGrid) {
  auto form = Open(Iberia());
  TGeoMap* map = form->GetMap();
  const TShowGrat cycle[] = {sgPoints, sgLines, sgUTMGrid, sgNone, sgPoints};
  std::vector<uint32_t> shots = {Crc(form.get())};
  for (const TShowGrat g : cycle) {
    Key(form.get(), 'G');
    EXPECT_EQ(map->GetShowGraticule(), g);
    shots.push_back(Crc(form.get()));
  }
  // Each state looks different from the one before; the cycle comes back.
  for (size_t i = 1; i < shots.size(); ++i) EXPECT_NE(shots[i], shots[i - 1]) << i;
  EXPECT_EQ(shots[4], shots[0]);
  EXPECT_EQ(shots[5], shots[1]);
}

// The UTM grid of a map calibrated in degrees: every pixel of grid colour on
// the map image lies, by the map's conversion and geobasics' UTM in the zone
// of the map's centre (30), within two pixels of a line of easting or
// northing at a multiple of 50 km.
TEST_F(Viewer, UTMGridOfAMapInDegreesFollowsTheCentresZone) {
  auto form = Open(Iberia());
  TGeoMap* map = form->GetMap();
  map->SetShowGrat(sgUTMGrid);
  map->ConstructInternalMapImg();
  const TBitmap& b = *map->GetRenderBitmap();
  const double tol = 2 * map->GetCalibData().Resolution / map->GetMagnification();
  int onGrid = 0;
  for (int y = 0; y < map->GetHeight(); y += 3)
    for (int x = 0; x < map->GetWidth(); x += 3) {
      const TPoint img = map->ControlToMapImage(x, y);
      if (b.ScanLine(y)[x] != static_cast<uint32_t>(map->GetColorGraticule()) || img.X < 0 ||
          img.Y < 0 || img.X >= 700 || img.Y >= 400)
        continue;
      bool v1, v2;
      const double lat = map->CalcLatitude(img, v1), lon = map->CalcLongitude(img, v2);
      int zone;
      double e, n;
      LatLongToUTM(lat, lon, gelWGS84, zone, e, n);
      if (zone != 30) continue;  // beyond the zone the projection is the zone's own
      const auto off = [](double v) { return std::abs(v - 50000 * std::round(v / 50000)); };
      EXPECT_LT(std::min(off(e), off(n)), tol) << x << "," << y << ": " << e << " " << n;
      ++onGrid;
    }
  EXPECT_GT(onGrid, 100);
}

// Clicks in landmark mode add landmarks "landmark 1", ...; Delete removes the
// highlighted one; Ctrl+S saves them by rename; a new map reads back equal
// landmarks; the title shows "*" while some are unsaved.
TEST_F(Viewer, LandmarksAddedByClicksAreSavedAndReadBack) {
  const std::string file = Path("mine.landmarks.xml");
  Put(file, "<old/>\n");
  auto form = Open(Iberia(), 1000, 700, file);
  TGeoMap* map = form->GetMap();
  Key(form.get(), 'L');
  EXPECT_EQ(form->GetMode(), TViewerMode::Landmark);
  const TPoint clicks[] = {{120, 80}, {350, 200}, {600, 300}, {500, 650}, {980, 600}};
  for (const TPoint& c : clicks) Click(map, c);
  // (500, 650) and (980, 600) lie below the image at the fitted view.
  ASSERT_EQ(map->GetNumLandMarks(), 3);
  EXPECT_NE(form->GetStatusLine()->GetCaption().find("no landmark outside the map"),
            std::string::npos);
  EXPECT_EQ(form->GetCaption(), "iberia.xml* - TKZ Map Viewer");
  for (int i = 1; i <= 3; ++i) {
    const TLandMark lm = map->GetLandMarkData(i);
    EXPECT_EQ(lm.Caption.Text, "landmark " + std::to_string(i));
    EXPECT_EQ(lm.Element, map->GetDefaultLandMark().Element);
    int x, y;
    ASSERT_TRUE(map->CalcPixelCoords(lm.Latitude, lm.Longitude, x, y));
    const TPoint c = map->MapImageToControl(x, y);
    EXPECT_LE(std::abs(c.X - clicks[i - 1].X) + std::abs(c.Y - clicks[i - 1].Y), 2) << i;
  }
  // A click without a drag in hand mode highlights the nearest landmark
  // within 10 pixels, or none.
  Key(form.get(), 'L');
  EXPECT_EQ(form->GetMode(), TViewerMode::Hand);
  Click(map, {356, 207});
  EXPECT_EQ(map->GetHighLM(), 2);
  EXPECT_NE(form->GetStatusLine()->GetCaption().find("landmark 2: landmark 2 (Del removes it)"),
            std::string::npos);
  Click(map, {370, 200});
  EXPECT_EQ(map->GetHighLM(), 0);
  Drag(map, mbLeft, {350, 200}, {350, 200});  // down and up in place: a click too
  EXPECT_EQ(map->GetHighLM(), 2);
  Key(form.get(), VK_DELETE);
  ASSERT_EQ(map->GetNumLandMarks(), 2);
  EXPECT_EQ(map->GetLandMarkData(2).Caption.Text, "landmark 3");
  Key(form.get(), 'S', TShiftState{ssCtrl});
  EXPECT_EQ(form->GetCaption(), "iberia.xml - TKZ Map Viewer");
  EXPECT_NE(form->GetStatusLine()->GetCaption().find("saved 2 landmarks to " + file),
            std::string::npos);
  TGeoMap back;
  back.LoadLandMarks(file, "");
  ASSERT_EQ(back.GetNumLandMarks(), 2);
  for (int i = 1; i <= 2; ++i) EXPECT_EQ(back.GetLandMarkData(i), map->GetLandMarkData(i)) << i;
  // Reopened with the file, the viewer shows them again.
  auto again = Open(Iberia(), 1000, 700, file);
  EXPECT_EQ(again->GetMap()->GetNumLandMarks(), 2);
  // Delete without a highlight takes the last; a failed save says so and
  // keeps the "*".
  Key(form.get(), VK_DELETE);
  Key(form.get(), VK_DELETE);
  EXPECT_EQ(map->GetNumLandMarks(), 0);
  std::filesystem::create_directory(Path("dir.xml"));
  auto blocked = Open(Iberia(), 1000, 700, Path("dir.xml"));
  blocked->SetMode(TViewerMode::Landmark);
  Click(blocked->GetMap(), {350, 200});
  Key(blocked.get(), 'S', TShiftState{ssCtrl});
  EXPECT_NE(blocked->GetStatusLine()->GetCaption().find("cannot save the landmarks"),
            std::string::npos);
  EXPECT_EQ(blocked->GetCaption(), "iberia.xml* - TKZ Map Viewer");
}

// Without --landmarks the file is FILE's base name + ".landmarks.xml".
TEST_F(Viewer, LandmarkFileDefaultsBesideTheOpenedFile) {
  EXPECT_EQ(Open(Iberia())->GetLandmarkFile(), Path("iberia.landmarks.xml"));
  EXPECT_EQ(Open(Atlas())->GetLandmarkFile(), Path("two.landmarks.xml"));
  EXPECT_EQ(Open(Database() + ".tkzgi0")->GetLandmarkFile(), Path("world.landmarks.xml"));
}

}  // namespace
}  // namespace tkz::mapviewer
