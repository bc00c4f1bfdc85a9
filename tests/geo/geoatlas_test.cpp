// The atlas over three nested blank maps (world, Europe, the Alps):
// registration, selection, zooming in and out between them by the API and
// by the mouse, outlines, the map list, the tool bar and the 200-map limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/platform/application.h"
#include "geo/geoatlas.h"
#include "tests/support/temp_dir.h"

namespace tkz {
namespace {

void Post(const TMessage& m) { Application().PostMessage(m); }

struct AtlasTest : testing_support::TempDirTest {
  void SetUp() override {
    TempDirTest::SetUp();
    const struct {
      const char* name;
      double lat0, lat1, lon0, lon1;
      int w, h;
    } maps[] = {{"World", -60, 80, -180, 180, 1000, 500},
                {"Europe", 35, 60, -10, 30, 1000, 700},
                {"Alps", 45, 48, 5, 12, 800, 500}};
    for (const auto& m : maps) {
      TGeoMap map;
      map.CreateAndLoadEmptyMap(Path(m.name), m.lat0, m.lat1, m.lon0, m.lon1, 5, 5, m.w, m.h, true);
      files.push_back(Path(m.name) + ".xml");
    }
    atlas.SetBounds(0, 0, 600, 433);
    for (const auto& f : files) ASSERT_TRUE(atlas.RegisterMap(f));
    Application().ClearMessages();
  }
  void TearDown() override {
    Application().ClearMessages();
    Application().ReleaseCapture();
    TempDirTest::TearDown();
  }
  double Res() { return atlas.GetMap()->GetCalibData().Resolution; }
  std::vector<std::string> files;
  TGeoAtlas atlas;
};

TEST_F(AtlasTest, RegistersOnceAndListsTheMaps) {
  EXPECT_TRUE(atlas.RegisterMap(files[1]));  // again: replaced, not added
  ASSERT_EQ(atlas.GetNumMaps(), 3);
  EXPECT_EQ(atlas.GetMapList()->GetItems()->Count(), 3);
  EXPECT_EQ(atlas.GetMapList()->GetItems()->Get(0), "world.bmp");  // the file keeps it lower case
  EXPECT_FALSE(atlas.RegisterMap(Path("missing.xml")));
  const TMapDefinition d = atlas.GetMapDef(3);
  EXPECT_EQ(d.CalFileName, files[2]);
  EXPECT_GT(d.Resolution, 0);
  EXPECT_EQ(atlas.GetMapDef(0), TMapDefinition{});
  EXPECT_EQ(atlas.GetMapDef(201), TMapDefinition{});
}

TEST_F(AtlasTest, ZoomsInAndOutThroughTheNestedMaps) {
  ASSERT_TRUE(atlas.SelectMap(1));
  EXPECT_EQ(atlas.GetMap()->GetMapWidth(), 1000);  // the image found beside its file
  const double world = Res();
  ASSERT_TRUE(atlas.ZoomIn(46.5, 8, world));
  EXPECT_EQ(atlas.GetSelectedMap(), 2);  // Europe: the coarsest finer map
  ASSERT_TRUE(atlas.ZoomIn(46.5, 8, Res()));
  EXPECT_EQ(atlas.GetSelectedMap(), 3);
  EXPECT_TRUE(atlas.GetMap()->IsPositionWithinMap(46.5, 8));
  EXPECT_FALSE(atlas.ZoomIn(46.5, 8, Res()));  // nothing finer: unchanged
  EXPECT_EQ(atlas.GetSelectedMap(), 3);
  ASSERT_TRUE(atlas.ZoomOut(46.5, 8, Res()));
  EXPECT_EQ(atlas.GetSelectedMap(), 2);
  ASSERT_TRUE(atlas.ZoomOut(46.5, 8, Res()));
  EXPECT_EQ(atlas.GetSelectedMap(), 1);
  EXPECT_FALSE(atlas.ZoomOut(46.5, 8, Res()));
  EXPECT_FALSE(atlas.ZoomIn(0, 100, world));  // covered by the world only
  EXPECT_EQ(atlas.GetSelectedMap(), 1);
}

TEST_F(AtlasTest, ZoomButtonTurnsClicksIntoZooms) {
  int zoomClicks = 0;
  atlas.OnZoomButClick = [&](TObject*) { ++zoomClicks; };
  atlas.SelectMap(1);
  TGeoMap* map = atlas.GetMap();
  Post(TMessage::MouseDown(atlas.GetZoomButton(), mbLeft, {}, 3, 3));
  Post(TMessage::MouseUp(atlas.GetZoomButton(), mbLeft, {}, 3, 3));
  Application().ProcessMessages();
  EXPECT_EQ(zoomClicks, 1);
  EXPECT_TRUE(atlas.GetZoomButton()->GetDown());
  EXPECT_EQ(map->GetCursor(), kCursorGeoZoom);
  EXPECT_FALSE(map->GetAllowPan());
  int x, y;
  ASSERT_TRUE(map->CalcPixelCoords(46.5, 8, x, y));
  const TPoint p = map->MapImageToControl(x, y);
  Post(TMessage::MouseDown(map, mbLeft, {}, p.X, p.Y));
  Post(TMessage::MouseUp(map, mbLeft, {}, p.X, p.Y));
  Application().ProcessMessages();
  EXPECT_EQ(atlas.GetSelectedMap(), 2);
  Post(TMessage::MouseDown(map, mbRight, {}, 10, 10));
  Post(TMessage::MouseUp(map, mbRight, {}, 10, 10));
  Application().ProcessMessages();
  EXPECT_EQ(atlas.GetSelectedMap(), 1);
  Post(TMessage::MouseDown(atlas.GetPointerButton(), mbLeft, {}, 3, 3));
  Post(TMessage::MouseUp(atlas.GetPointerButton(), mbLeft, {}, 3, 3));
  Application().ProcessMessages();
  EXPECT_TRUE(map->GetAllowPan());
  EXPECT_EQ(map->GetCursor(), crHandPoint);
}

TEST_F(AtlasTest, OutlinesOfTheOtherMapsAreDrawnUnlessSwitchedOff) {
  atlas.SelectMap(1);
  TGeoMap* map = atlas.GetMap();
  map->ZoomFitPage();
  atlas.SetMapOLColor(0x00FF00);
  // A point on the Alps map's southern edge, away from its corners.
  const TMapDefinition alps = atlas.GetMapDef(3);
  const auto& k = alps.Corners;
  int x1, y1, x2, y2;
  ASSERT_TRUE(map->CalcPixelCoords(k[gcoBottomLeft].Lat, k[gcoBottomLeft].Long, x1, y1));
  ASSERT_TRUE(map->CalcPixelCoords(k[gcoBottomRight].Lat, k[gcoBottomRight].Long, x2, y2));
  const TPoint a = map->MapImageToControl(x1, y1), b = map->MapImageToControl(x2, y2);
  const TPoint mid{(a.X + b.X) / 2, (a.Y + b.Y) / 2};
  const auto pixel = [&] {
    map->ConstructInternalMapImg();
    return static_cast<TColor>(map->GetRenderBitmap()->ScanLine(mid.Y)[mid.X]);
  };
  EXPECT_EQ(pixel(), 0x00FF00);
  atlas.SetMapOLVisible(false);
  EXPECT_NE(pixel(), 0x00FF00);
}

TEST_F(AtlasTest, UnregisteringTheSelectedMapSelectsItsSuccessor) {
  atlas.SelectMap(2);
  atlas.UnregisterMap(2);
  EXPECT_EQ(atlas.GetNumMaps(), 2);
  EXPECT_EQ(atlas.GetSelectedMap(), 2);
  EXPECT_EQ(atlas.GetMapDef(2).CalFileName, files[2]);
  EXPECT_EQ(atlas.GetMap()->GetMapWidth(), 800);
  atlas.UnregisterMap(7);  // ignored
  EXPECT_EQ(atlas.GetNumMaps(), 2);
}

TEST_F(AtlasTest, TheListSelectsAndTellsAboutIt) {
  int changes = 0;
  atlas.OnCBoxMapsChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(atlas.GetMapList()->SelectItemByUser(2));
  EXPECT_EQ(atlas.GetSelectedMap(), 3);
  EXPECT_EQ(changes, 1);
  atlas.SetCPnlVis(false);
  EXPECT_FALSE(atlas.GetCPnlVis());
}

TEST_F(AtlasTest, HoldsAtMostTwoHundredMaps) {
  for (int i = 4; i <= 201; ++i) {
    const std::string f = Path("copy" + std::to_string(i) + ".xml");
    std::filesystem::copy_file(files[0], f);
    EXPECT_EQ(atlas.RegisterMap(f), i <= 200) << i;
  }
  EXPECT_EQ(atlas.GetNumMaps(), 200);
}

}  // namespace
}  // namespace tkz
