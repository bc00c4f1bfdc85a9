// What the map viewer's tests share: the files they open, built in a fresh
// folder from real data (a blank map's calibration of Iberia, an atlas of it
// and a map of Europe, a geographic database imported from the GeoNames and
// Natural Earth extracts), and input posted through the message queue.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/platform/application.h"
#include "core/platform/backend.h"
#include "examples/mapviewer/mapviewer_form.h"
#include "geo/geodb.h"
#include "geo/geodb_geojson.h"
#include "tests/support/picture.h"
#include "tests/support/temp_dir.h"

namespace tkz::testing_support {

class MapViewerTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Reset();
  }
  void TearDown() override {
    Reset();
    TempDirTest::TearDown();
  }
  static void Reset() {
    SetWindowBackend(nullptr);
    Application().ClearMessages();
    Application().ReleaseCapture();
    Application().ResetTerminated();
  }

  // A blank map of Iberia (36..44 N, 10 W..4 E, 700 x 400) and its
  // calibration file.
  std::string Iberia() {
    const std::string cal = Path("iberia.xml");
    if (!std::filesystem::exists(cal)) {
      TGeoMap m;
      m.CreateAndLoadEmptyMap(Path("iberia"), 36, 44, -10, 4, 1, 1, 700, 400, true);
    }
    return cal;
  }
  // An atlas of a map of Europe (800 x 500) and the Iberian one, the
  // calibrations in a subfolder.
  std::string Atlas() {
    const std::string atlas = Path("two.atlas");
    if (!std::filesystem::exists(atlas)) {
      std::filesystem::create_directory(Path("maps"));
      TGeoMap europe, iberia;
      europe.CreateAndLoadEmptyMap(Path("maps/europe"), 35, 60, -10, 30, 5, 5, 800, 500, true);
      iberia.CreateAndLoadEmptyMap(Path("maps/iberia"), 36, 44, -10, 4, 1, 1, 700, 400, true);
      Put(atlas, "# tkz atlas\r\n\r\n# coarse first\nmaps/europe.xml\n  maps/iberia.xml\n");
    }
    return atlas;
  }
  // The database "world": the countries of the world and 300 towns, from
  // the real extracts.
  std::string Database() {
    const std::string base = Path("world");
    if (!std::filesystem::exists(base + ".tkzgdd")) {
      TGeoDB db;  // closed when it goes
      db.SetGDBName(base + ".tkzgds");
      const std::string data = std::string(TKZ_TEST_DATA_DIR) + "/geo/";
      ImportTopoJSONFile(db, data + "countries-110m.topojson");
      ImportGeoJSONFile(db, data + "cities-sample.geojson");
    }
    return base;
  }
  std::string Copy(const std::string& from, const std::string& name) {
    std::filesystem::copy_file(from, Path(name), std::filesystem::copy_options::overwrite_existing);
    return Path(name);
  }

  std::unique_ptr<mapviewer::TMapViewerForm> Open(const std::string& file, int w = 1000,
                                                  int h = 700, const std::string& landmarks = "") {
    auto form = std::make_unique<mapviewer::TMapViewerForm>();
    form->SetBounds(0, 0, w, h);
    form->OpenFile(file, "", landmarks);
    Application().ProcessMessages();
    return form;
  }

  static void Post(const TMessage& m) {
    Application().PostMessage(m);
    Application().ProcessMessages();
  }
  static void Key(TControl* form, uint16_t key, TShiftState shift = {}) {
    Post(TMessage::KeyDown(form, key, shift));
    Post(TMessage::KeyUp(form, key, shift));
  }
  static void Click(TControl* c, TPoint p) {
    Post(TMessage::MouseDown(c, mbLeft, {}, p.X, p.Y));
    Post(TMessage::MouseUp(c, mbLeft, {}, p.X, p.Y));
  }
  // Button down at a, moves to a, halfway and b, up at b.
  static void Drag(TControl* c, TMouseButton b, TPoint from, TPoint to) {
    TShiftState held;
    held.Include(b == mbLeft ? ssLeft : b == mbRight ? ssRight : ssMiddle);
    Post(TMessage::MouseDown(c, b, {}, from.X, from.Y));
    Post(TMessage::MouseMove(c, held, from.X, from.Y));
    Post(TMessage::MouseMove(c, held, (from.X + to.X) / 2, (from.Y + to.Y) / 2));
    Post(TMessage::MouseMove(c, held, to.X, to.Y));
    Post(TMessage::MouseUp(c, b, {}, to.X, to.Y));
  }
  static uint32_t Crc(TControl* c) { return PixelCrc(*TakeScreenshot(c)); }
};

}  // namespace tkz::testing_support
