// The view draws landmarks through a grid of their pixel positions and leaves
// captions out where they are too dense to read. Oracles: the same map drawn
// through a drawing handler that declines (every landmark visited, nothing
// culled), and a map that only ever saw the final state (an index built from
// scratch). Real data: the GeoNames extract in tests/data/geo.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "geo/geomap.h"

namespace tkz {
namespace {

struct City {
  std::string Name;
  double Lat, Lon;
};

const std::vector<City>& Cities() {
  static const std::vector<City> cities = [] {
    std::ifstream in(std::string(TKZ_TEST_DATA_DIR) + "/geo/cities-sample.geojson");
    const nlohmann::json doc = nlohmann::json::parse(in);
    std::vector<City> out;
    for (const auto& f : doc["features"]) {
      const auto& c = f["geometry"]["coordinates"];
      out.push_back({Utf8ToAnsi(f["properties"]["name"].get<std::string>()), c[1].get<double>(),
                     c[0].get<double>()});
    }
    return out;
  }();
  return cities;
}

// A world map (0.15 degree a pixel) with every city as a landmark of varied
// kind, size, arrow and caption offset, in classes 0..3.
void WorldWithCities(TGeoMap& map, int w = 800, int h = 500) {
  map.SetBounds(0, 0, w, h);
  map.CreateEmptyMapInMemory(-90, 90, -180, 180, 30, 30, 2400, 1200, false);
  int i = 0;
  for (const City& c : Cities()) {
    map.AddLandMark(c.Lat, c.Lon, 0, c.Name, 8 + i % 3, 0x000000);
    TLandMark lm = map.GetLandMarkData(map.GetNumLandMarks());
    lm.Element = static_cast<TLandMarkElement>(i % 9);
    lm.Size = 3 + i % 6;
    lm.Length = 10 + i % 40;
    lm.Direction = 37 * i % 360;
    lm.LMClass = static_cast<uint8_t>(i % 4);
    lm.Caption.Dx = i % 7 - 3;
    lm.Caption.Dy = i % 5 - 2;
    lm.Caption.HorAlign = static_cast<uint8_t>(i % 3);
    lm.Caption.Direction = i % 11 == 0 ? 30 : 0;
    map.SetLandMarkData(map.GetNumLandMarks(), lm);
    ++i;
  }
}

// "" when equal, else the first differing pixel.
std::string Diff(const TBitmap& a, const TBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return "sizes differ";
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (a.ScanLine(y)[x] != b.ScanLine(y)[x]) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "pixel (%d, %d): %06x against %06x", x, y, a.ScanLine(y)[x],
                      b.ScanLine(y)[x]);
        return buf;
      }
  return "";
}

std::unique_ptr<TBitmap> Render(TGeoMap& map) {
  map.ConstructInternalMapImg();
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(map.GetRenderBitmap());
  return copy;
}

// Drawn with every landmark visited: a handler that declines each one.
std::unique_ptr<TBitmap> RenderUnculled(TGeoMap& map) {
  map.OnDrawLandmark = [](TObject*, bool& handled, TCanvas*, const TPoint&, const TLandMark&) {
    handled = false;
  };
  auto b = Render(map);
  map.OnDrawLandmark = nullptr;
  return b;
}

struct View {
  const char* What;
  double Mag;
  TPoint TopLeft;
};

TEST(GeoMapLandmarkIndex, CulledDrawingEqualsDrawingEveryLandmark) {
  const View views[] = {
      {"whole world", 800.0 / 2400, {0, 0}},
      {"Europe at 1", 1, {1100, 150}},
      {"the Alps at 4", 4, {1240, 280}},
      {"Europe at 2.5", 2.5, {1180, 230}},
      {"beyond the top left", 0.5, {-300, -200}},
      {"beyond the bottom right", 1.5, {2000, 1000}},
      {"landmarks just outside the view", 3, {1300, 330}},
  };
  TGeoMap map;
  WorldWithCities(map);
  map.SetShowGrat(sgLines);
  for (const View& v : views) {
    map.SetMagnification(v.Mag);
    map.SetTopLeft(v.TopLeft);
    const auto culled = Render(map);
    EXPECT_EQ(Diff(*culled, *RenderUnculled(map)), "") << v.What;
  }
}

// Each step changes the table, the calibration or the view of a map that has
// drawn before; it must then draw what a map that saw only the end does.
TEST(GeoMapLandmarkIndex, FollowsEveryChangeOfTheTableAndTheCalibration) {
  using Step = std::function<void(TGeoMap&)>;
  const std::vector<std::pair<const char*, Step>> steps = {
      {"zoom to Europe",
       [](TGeoMap& m) {
         m.SetMagnification(2);
         m.SetTopLeft({1180, 230});
       }},
      {"add in the view", [](TGeoMap& m) { m.AddLandMark(48.2, 16.4, 0, "Wien", 12, 0x0000FF); }},
      {"remove one", [](TGeoMap& m) { m.RemoveLandMark(m.GetNumLandMarks() / 2); }},
      {"move one into the view",
       [](TGeoMap& m) {
         TLandMark lm = m.GetLandMarkData(1);
         lm.Latitude = 47.4;
         lm.Longitude = 8.5;
         lm.Caption.Text = "moved here";
         m.SetLandMarkData(1, lm);
       }},
      {"hide class 2", [](TGeoMap& m) { m.SetClassVisibility(2, false); }},
      {"remove a rectangle",
       [](TGeoMap& m) {
         m.RemoveLandMark(TRectDouble{5, 50, 15, 43}, -1);
       }},
      {"new calibration",
       [](TGeoMap& m) {
         m.ClearCalibData();
         m.SetCalibModel(cmEquiRect);
         for (int i = 0; i <= 2; ++i)
           for (int k = 0; k <= 2; ++k)
             m.AddCalibPoint(90 - 90 * i, -180 + 180 * k, 40 + 1200 * k, 25 + 600 * i);
       }},
      {"remove the last", [](TGeoMap& m) { m.RemoveLastLandMark(); }},
      {"remove class 1", [](TGeoMap& m) { m.RemoveAllLandMarks(1); }},
      {"remove all and add two",
       [](TGeoMap& m) {
         m.RemoveAllLandMarks();
         m.AddLandMark(46.2, 6.1, 0, "Genève", 10, 0);
         m.AddLandMark(45.5, 9.2, 0, "Milano", 10, 0);
       }},
  };
  TGeoMap live;
  WorldWithCities(live);
  Render(live);
  for (size_t k = 0; k < steps.size(); ++k) {
    steps[k].second(live);
    TGeoMap fresh;
    WorldWithCities(fresh);
    for (size_t j = 0; j <= k; ++j) steps[j].second(fresh);
    ASSERT_EQ(live.GetNumLandMarks(), fresh.GetNumLandMarks()) << steps[k].first;
    EXPECT_EQ(Diff(*Render(live), *Render(fresh)), "") << steps[k].first;
    EXPECT_EQ(Diff(*Render(live), *RenderUnculled(live)), "") << steps[k].first;
  }
}

// Captions are drawn while at most one landmark per 400 pixels of the view
// is drawn; beyond, the map looks as if the landmarks had no captions.
TEST(GeoMapLandmarkIndex, CaptionsAreLeftOutWhereTooDenseToRead) {
  const int w = 400, h = 300;  // room for 300 captions
  for (const int count : {250, 300, 301, 2000}) {
    TGeoMap withText, without;
    for (TGeoMap* m : {&withText, &without}) {
      m->SetBounds(0, 0, w, h);
      m->CreateEmptyMapInMemory(40, 50, 0, 20, 1, 1, w, h, false);
    }
    for (int i = 0; i < count; ++i) {
      const double lat = 40.2 + (i * 7 % 97) * 0.097, lon = 0.2 + (i * 13 % 193) * 0.1;
      withText.AddLandMark(lat, lon, 0, Cities()[i % Cities().size()].Name, 8, 0);
      without.AddLandMark(lat, lon, 0, "", 8, 0);
    }
    const bool same = Diff(*Render(withText), *Render(without)).empty();
    EXPECT_EQ(same, count > w * h / TGeoMap::kCaptionArea) << count << " landmarks";
  }
  // The highlighted landmark keeps its caption.
  TGeoMap dense;
  dense.SetBounds(0, 0, w, h);
  dense.CreateEmptyMapInMemory(40, 50, 0, 20, 1, 1, w, h, false);
  for (int i = 0; i < 400; ++i)
    dense.AddLandMark(40.2 + (i % 20) * 0.45, 0.2 + (i / 20) * 0.95, 0, "", 8, 0);
  dense.AddLandMark(45, 10, 0, "Highlighted", 14, 0x0000FF);
  const auto plain = Render(dense);
  dense.SetHighLM(dense.GetNumLandMarks());
  EXPECT_NE(Diff(*Render(dense), *plain), "");
}

}  // namespace
}  // namespace tkz
