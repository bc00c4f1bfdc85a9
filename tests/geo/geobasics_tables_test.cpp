// The datum and country tables: their shape and the rules every row keeps.
// The values themselves are data; these tests catch rows that are missing,
// misplaced, mistyped or out of any plausible range.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "geo/geobasics.h"
#include "geo/geobasics_datums.h"

namespace tkz {
namespace {

// Datum names by number; "N-M NAME" stands for rows N to M of one name.
const char* const kDatumNameList =
    "1 ACCRA; 2-8 ADINDAN; 9 ANTIGUA ISLAND ASTRO 1943; 10-11 AIN EL ABD 1970; "
    "12 AMERICAN SAMOA 1962; 13 RD, AMERSFOORT; 14 ANNA 1 ASTRO 1965; 15-23 ARC 1950; "
    "24-25 ARC 1960; 26 ASCENSION ISLAND 1958; 27 MONTSERRAT IS. ASTRO 1958; "
    "28 ASTRO STATION 1952; 29 ASTRO BACON E 1845; 30 AUSTRALIAN GEODETIC 1966; "
    "31 AUSTRALIAN GEODETIC 1984; 32 DJAKARTA; 33 BEKAA BASE SOUTH END; 34 BERMUDA 1957; "
    "35 BISSAU; 36 BOGOTA OBSERVATORY; 37 BERNE (1898),; 38 BUKIT RIMPAH; 39 CAPE CANAVERAL; "
    "40 CAMPO INCHAUSPE 1969; 41 CANTON ASTRO 1966; 42 CAPE; 43 CAMP AREA ASTRO; 44-45 S-JTSK; "
    "46 CARTHAGE; 47 CHATHAM ISLAND ASTRO 1971; 48 CHUA ASTRO; 49 CH1903+; 50 CORREGO ALEGRE; "
    "51 OBSERVATOROI; 52 CYPRUS 1935; 53 ESTONIA 1937; 54 DABOLA; 55 DECEPTION ISLAND; "
    "56 GUX 1 ASTRO; 57 EASTER ISLAND 1967; 58 WAKE-ENIWETOK 1960; 59-83 EUROPEAN DATUM 1950; "
    "84-85 EUROPEAN 1979; 86 ETRF89; 87 FAHUD; 88 OBSERVATORIO MET. 1939; 89 FORT THOMAS 1955; "
    "90 GAN 1970; 91 GEOCENTRIC DATUM AUSTRALIA; 92 GEODETIC DATUM 1949; 93 DOS 1968; "
    "94 GRACIOSA BASE SW 1948; 95 GGRS87; 96 GUNUNG SEGARA; 97 GUAM 1963; "
    "98 HARTEBEESTHOCK 1994; 99 HELSINKI, KALLIO CHURCH; 100 HERAT NORTH; "
    "101 MGI DATUM/HERMANNSKOGEL; 102 HERMANNSKOGEL; 103 HITO XVIII 1963; 104 HJORSEY 1955; "
    "105 HONG KONG 1963; 106 HONG KONG 1980; 107 HU-TZU-SHAN; 108 HUNGARIAN DATUM 1972; "
    "109 BELLEVUE (IGN),; 110 INDONESIAN 1974; 111 IRAQ-KUWAIT BOUNDARY 1992; 112-114 INDIAN; "
    "115 INDIAN 1954; 116-117 INDIAN 1960; 118 1 INDIAN 1975; 119 IRELAND 1965; "
    "120 ISTS 061 ASTRO 1968; 121 ISTS 073 ASTRO 1969; 122 JOHNSTON ISLAND 1961; "
    "123 KANDAWALA JACKSON?; 124 KERTAU 1948; 125 KERGUELEN ISLAND 1949; "
    "126 KOREAN GEODETIC SYSTEM 1995; 127 KKJ; 128 KUSAIE ASTRO 1951; 129 LC5 ASTRO 1961; "
    "130 LEIGON; 131 LIBERIA 1964; 132 LISBON (Castelo di Sao Jorge), D7; 133 LKS94; "
    "134 LUXEMBOURG NT; 135-136 LUZON; 137 MASSAWA; 138 MERCHICH; 139 MIDWAY ASTRO 1961; "
    "140 MAHE 1971; 141-142 MINNA; 143-145 ROME 1940; 146 M'PORALOKO; 147 VITI LEVU 1916; "
    "148-150 NAHRWAN; 151 NAPARIMA; 152-157 NORTH AMERICAN 1983; 158-177 NORTH AMERICAN 1927; "
    "178 NTF; 179 NGO 1948; 180 NORTH SAHARA 1959; 181 BELGIUM DATUM 1972; "
    "182 OLD EGYPTIAN 1907; 183 ORDNANCE GB 1936; 184-193 OLD HAWAI'IAN; 194 PALESTINE 1928; "
    "195 AYABELLA LIGHTHOUSE; 196 PITCAIRN ASTRO 1967; 197 PICO DE LAS NIEVES.; "
    "198 PORTO SANTO 1936.; 199-207 PROV. S AMERICAN 1956; 208 POINT 58; 209 POINT NOIRE 1948; "
    "210-212 PULKOVO 1942; 213 PUERTO RICO & Virgin Is.; 214 QATAR NATIONAL 1974; "
    "215 QATAR NATIONAL 1995; 216 QORNOQ; 217 DHDN (RAUENBERG),; 218 REUNION; 219 RT90; "
    "220 SANTO(DOS), 1965; 221-233 SOUTH AMERICAN 1969; 234 SAO BRAZ; "
    "235 SAPPER HILL 1943 (2000 adj),; 236 SCHWARZECK; 237 SOUTH EAST ISLAND; "
    "238 SOVIET GEODETIC SYSTEM 85; 239 PZ90 (GLONASS),; 240 SELVAGEM GRANDE 1938; 241 DOS 71/4; "
    "242 SIERRA LEONE DATUM 1960; 243 SIRGAS; 244 SOUTH ASIA; 245 S-42 (PULKOVO 1942),; "
    "246 S-42 (PK42),; 247-248 S-42 (PULKOVO 1942),; 249 S-42 (PK 1942),; "
    "250 SYSTEM 1942/58 (PULKOVO 1942),; 251-254 S-42 (PULKOVO 1942),; "
    "255 TANANARIVE OBSERVATORY; 256 TRISTAN ASTRO 1968; 257 TETE; 258 TIMBALAI 1948 (Everest),; "
    "259 TIMBALAI 1968,Adj of 1948; 260 TIMBALAI 1968, Adj of 1948; 261 TIMBALAI 1948 (Bessel),; "
    "262-264 TOKYO; 265 TERN ISLAND (FRIG), 1961; 266 VOIROL 1875; 267 WAKE ISLAND ASTRO 1952; "
    "268 WORLD GEODETIC SYSTEM 1972; 269 WORLD GEODETIC SYSTEM 1984; 270 YACARE; 271 ZANDERIJ";

// Country names in index order.
const char* const kCountryNameList =
    "Afghanistan / Albania / Algeria / American Samoa / Andorra / Angola / Anguilla / "
    "Antarctica / Antigua and Barbuda / Argentina / Armenia / Aruba / Australia / Austria / "
    "Azerbaijan / Bahamas / Bahrain / Bangladesh / Barbados / Belarus / Belgium / Belize / "
    "Benin / Bermuda / Bhutan / Bolivia / Bosnia and Herzegovina / Botswana / Brazil / "
    "British Virgin Islands / Brunei / Bulgaria / Burkina Faso / Burma;Myanmar / Burundi / "
    "Cambodia / Cameroon / Canada / Cape Verde / Cayman Islands / Central African Republic / "
    "Chad / Chile / China / Christmas Island / Cocos Islands / Colombia / Comoros / "
    "Congo, Democratic Republic of the / Congo, Republic of the / Cook Islands / Costa Rica / "
    "Cote d'Ivoire / Croatia / Cuba / Cyprus / Czech Republic / Denmark / Djibouti / Dominica / "
    "Dominican Republic / East Timor;Timor Lestre / Ecuador / Egypt / El Salvador / "
    "Equatorial Guinea / Eritrea / Estonia / Ethiopia / Falkland Islands; Malvinas / "
    "Faroe Islands / Fiji / Finland / France / French Guiana / French Polynesia / Gabon / "
    "Gambia / Georgia / Germany / Ghana / Gibraltar / Greece / Greenland / Grenada / "
    "Guadeloupe / Guam / Guatemala / Guernsey / Guinea / Guinea-Bissau / Guyana / Haiti / "
    "Honduras / Hungary / Iceland / India / Indonesia / Iran / Iraq / Ireland / Israel / Italy / "
    "Jamaica / Japan / Jersey / Jordan / Kazakhstan / Kenya / Kiribati / Korea, North / "
    "Korea, South / Kuwait / Kyrgyzstan / Laos / Latvia / Lebanon / Lesotho / Liberia / Libya / "
    "Liechtenstein / Lithuania / Luxembourg / Macedonia / Madagascar / Malawi / Malaysia / "
    "Maldives / Mali / Malta / Marshall Islands / Martinique / Mauritania / Mauritius / "
    "Mayotte / Mexico / Micronesia / Moldova / Monaco / Mongolia / Montenegro / Montserrat / "
    "Morocco / Mozambique / Namibia / Nauru / Nepal / Netherlands / Netherlands Antilles / "
    "New Caledonia / New Zealand / Nicaragua / Niger / Nigeria / Niue / Norfolk Island / "
    "Northern Mariana Islands / Norway / Oman / Pakistan / Palau / Panama / Papua New Guinea / "
    "Paraguay / Peru / Philippines / Poland / Portugal / Puerto Rico / Qatar / Reunion / "
    "Romania / Russia / Rwanda / Saint Helena / Saint Kitts and Nevis / Saint Lucia / "
    "Saint Pierre and Miquelon / Saint Vincent and the Grenadines / Samoa / San Marino / "
    "Sao Tome and Principe / Saudi Arabia / Senegal / Serbia and Montenegro / Seychelles / "
    "Sierra Leone / Singapore / Slovakia / Slovenia / Solomon Islands / Somalia / South Africa / "
    "Spain / Sri Lanka / Sudan / Suriname / Svalbard / Swaziland / Sweden / Switzerland / "
    "Syria / Taiwan / Tajikistan / Tanzania / Thailand / Togo / Tonga / Trinidad and Tobago / "
    "Tunisia / Turkey / Turkmenistan / Turks and Caicos Islands / Tuvalu / Uganda / Ukraine / "
    "United Arab Emirates / United Kingdom / United States / Uruguay / Uzbekistan / Vanuatu / "
    "Vatican / Venezuela / Vietnam / Virgin Islands / Wallis and Futuna / Western Sahara / "
    "Yemen / Zambia / Zimbabwe";

std::vector<std::string> Split(const std::string& text, const std::string& sep) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = text.find(sep, from)) != std::string::npos; from = at + sep.size())
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}

// Expands the datum list into 271 names, index 0 for datum 1.
std::vector<std::string> ExpectedDatumNames() {
  std::vector<std::string> names;
  for (const std::string& entry : Split(kDatumNameList, "; ")) {
    const size_t blank = entry.find(' ');
    const std::string range = entry.substr(0, blank);
    const std::string name = entry.substr(blank + 1);
    const size_t dash = range.find('-');
    const int first = std::stoi(range.substr(0, dash));
    const int last = dash == std::string::npos ? first : std::stoi(range.substr(dash + 1));
    EXPECT_EQ(first, static_cast<int>(names.size()) + 1) << entry;
    for (int nr = first; nr <= last; ++nr) names.push_back(name);
  }
  return names;
}

// Datums realised on or aligned with WGS 84, whose shift is zero.
const std::set<int> kZeroShiftDatums = {86, 91, 98, 111, 126, 133, 152, 154, 155, 157, 243, 269};

bool AllZero(const TDatumRow& r) {
  return r.dX == 0 && r.dY == 0 && r.dZ == 0 && r.Scale == 0 && r.rX == 0 && r.rY == 0 && r.rZ == 0;
}

bool SameShift(const TDatumRow& a, const TDatumRow& b) {
  return a.Ellipsoid == b.Ellipsoid && a.dX == b.dX && a.dY == b.dY && a.dZ == b.dZ &&
         a.Scale == b.Scale && a.rX == b.rX && a.rY == b.rY && a.rZ == b.rZ;
}

bool IsSphere(TGeoEllipsoid e) {
  return e == gelSphere || e == gelAuthSph || e == gelInt24AuthSph || e == gelPopVisSphere;
}

// ------------------------------------------------------------------ datums

TEST(DatumTable, RowsExistForNumbersOneTo271Only) {
  for (int nr : {0, -1, 272, INT_MIN, INT_MAX}) EXPECT_EQ(DatumRow(nr), nullptr) << nr;
  for (int nr = 1; nr <= kDatumCount; ++nr) ASSERT_NE(DatumRow(nr), nullptr) << nr;
  EXPECT_EQ(kDatumCount, 271);
}

TEST(DatumTable, NamesFollowTheNumberedList) {
  const std::vector<std::string> expected = ExpectedDatumNames();
  ASSERT_EQ(expected.size(), 271u);
  for (int nr = 1; nr <= kDatumCount; ++nr) {
    const char* name = DatumRow(nr)->Name;
    ASSERT_NE(name, nullptr) << nr;
    EXPECT_EQ(name, expected[nr - 1]) << "datum " << nr;
    EXPECT_LE(std::strlen(name), 69u) << nr;
  }
}

TEST(DatumTable, TellingRowsHoldTheirPublishedValues) {
  struct Telling {
    int Nr;
    TDatumRow Row;
  };
  const Telling rows[] = {
      {1, {"ACCRA", gelWarOffice, -199, 32, 322, 0, 0, 0, 0}},
      {13, {"RD, AMERSFOORT", gelBess41, 565, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869}},
      {59, {"EUROPEAN DATUM 1950", gelInt24, -87, -98, -121, 0, 0, 0, 0}},
      {86, {"ETRF89", gelWGS84, 0, 0, 0, 0, 0, 0, 0}},
      {158, {"NORTH AMERICAN 1927", gelClrk66, -5, 135, 172, 0, 0, 0, 0}},
      {183,
       {"ORDNANCE GB 1936", gelAiry30, 446.448, -125.157, 542.06, -20.49, 0.15, 0.247, 0.8421}},
      {217, {"DHDN (RAUENBERG),", gelBess41, 582, 105, 414, 8.3, 1.04, 0.35, -3.08}},
      {262, {"TOKYO", gelBess41, -148, 507, 685, 0, 0, 0, 0}},
      {268, {"WORLD GEODETIC SYSTEM 1972", gelWGS72, 0, 0, 4.5, 0.219, 0, 0, 0.554}},
      {269, {"WORLD GEODETIC SYSTEM 1984", gelWGS84, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Telling& t : rows) {
    const TDatumRow* row = DatumRow(t.Nr);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->Name, t.Row.Name);
    EXPECT_TRUE(SameShift(*row, t.Row)) << "datum " << t.Nr;
  }
}

TEST(DatumTable, OnlyDatumsAlignedWithWGS84HaveNoShift) {
  for (int nr = 1; nr <= kDatumCount; ++nr) {
    const TDatumRow& row = *DatumRow(nr);
    if (kZeroShiftDatums.count(nr)) {
      EXPECT_TRUE(AllZero(row)) << nr << " " << row.Name;
      EXPECT_TRUE(row.Ellipsoid == gelWGS84 || row.Ellipsoid == gelGRS80) << nr;
    } else {
      EXPECT_FALSE(AllZero(row)) << nr << " " << row.Name << " has no shift";
      // A datum on the WGS 84 or GRS 80 ellipsoid is a modern one with a
      // small shift; a classical shift there means a row kept its
      // placeholder ellipsoid.
      if (row.Ellipsoid == gelWGS84 || row.Ellipsoid == gelGRS80) {
        EXPECT_LT(std::fabs(row.dX) + std::fabs(row.dY) + std::fabs(row.dZ), 600.0) << nr;
      }
    }
  }
}

TEST(DatumTable, ParametersLieInPlausibleRanges) {
  for (int nr = 1; nr <= kDatumCount; ++nr) {
    const TDatumRow& row = *DatumRow(nr);
    SCOPED_TRACE(std::to_string(nr) + " " + row.Name);
    EXPECT_LT(static_cast<int>(row.Ellipsoid), kGeoEllipsoidCount);
    // HelmertTransform cannot return to geographic coordinates on a sphere.
    EXPECT_FALSE(IsSphere(row.Ellipsoid));
    // The largest published translation is Kusaie Astro 1951 (1777 m).
    for (double d : {row.dX, row.dY, row.dZ}) {
      EXPECT_TRUE(std::isfinite(d));
      EXPECT_LT(std::fabs(d), 1800.0);
    }
    for (double r : {row.rX, row.rY, row.rZ}) EXPECT_LT(std::fabs(r), 20.0);
    EXPECT_LT(std::fabs(row.Scale), 50.0);
  }
}

TEST(DatumTable, RegionalVariantsOfOneDatumDiffer) {
  // The defense mapping tables give European 1950 the same shift for two
  // overlapping sets of British regions.
  const std::set<std::pair<int, int>> publishedTwins = {{63, 83}};
  std::map<std::string, std::vector<int>> byName;
  for (int nr = 1; nr <= kDatumCount; ++nr) byName[DatumRow(nr)->Name].push_back(nr);
  int variants = 0;
  for (const auto& [name, rows] : byName) {
    for (size_t i = 0; i < rows.size(); ++i)
      for (size_t j = i + 1; j < rows.size(); ++j) {
        const int a = rows[i], b = rows[j];
        ++variants;
        if (kZeroShiftDatums.count(a) && kZeroShiftDatums.count(b)) continue;
        if (publishedTwins.count({a, b})) continue;
        EXPECT_FALSE(SameShift(*DatumRow(a), *DatumRow(b))) << name << ": " << a << ", " << b;
      }
  }
  EXPECT_GT(variants, 100);
}

// --------------------------------------------------------------- countries

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
  const double rad = 3.14159265358979323846 / 180;
  const double c = std::sin(lat1 * rad) * std::sin(lat2 * rad) +
                   std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::cos((lon1 - lon2) * rad);
  return 6371.0 * std::acos(std::min(1.0, std::max(-1.0, c)));
}

bool IsLowerCode(const char* code, size_t length) {
  if (code == nullptr || std::strlen(code) != length) return false;
  for (size_t i = 0; i < length; ++i)
    if (code[i] < 'a' || code[i] > 'z') return false;
  return true;
}

TEST(CountryTable, NamesFollowTheListInIndexOrder) {
  const std::vector<std::string> expected = Split(kCountryNameList, " / ");
  ASSERT_EQ(expected.size(), 231u);
  ASSERT_EQ(CountryData.size(), 231u);
  for (size_t i = 0; i < CountryData.size(); ++i) {
    EXPECT_EQ(CountryData[i].Name, expected[i]) << i;
    EXPECT_LE(std::strlen(CountryData[i].Name), 40u) << i;
  }
}

TEST(CountryTable, CodesAreLowerCaseAndUnique) {
  std::set<std::string> fips, iso2, iso3;
  for (const TCountryRecord& c : CountryData) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(IsLowerCode(c.FIPS, 2));
    EXPECT_TRUE(IsLowerCode(c.ISO2, 2));
    EXPECT_TRUE(IsLowerCode(c.ISO3, 3));
    EXPECT_TRUE(fips.insert(c.FIPS).second) << "FIPS " << c.FIPS;
    EXPECT_TRUE(iso2.insert(c.ISO2).second) << "ISO " << c.ISO2;
    EXPECT_TRUE(iso3.insert(c.ISO3).second) << "ISO " << c.ISO3;
  }
}

TEST(CountryTable, PositionsAndAltitudesArePlausible) {
  // Countries that stretch over a continent or are spread over many islands,
  // whose capital lies far from the centre.
  const std::set<std::string> farCapitals = {"Australia", "Canada", "Indonesia",
                                             "Malaysia",  "Russia", "United States"};
  for (const TCountryRecord& c : CountryData) {
    SCOPED_TRACE(c.Name);
    ASSERT_NE(c.Capital, nullptr);
    EXPECT_LE(std::strlen(c.Capital), 31u);
    EXPECT_LE(std::fabs(c.Latitude), 90.0);
    EXPECT_LE(std::fabs(c.Longitude), 180.0);
    EXPECT_LE(std::fabs(c.CapitalLat), 90.0);
    EXPECT_LE(std::fabs(c.CapitalLong), 180.0);
    EXPECT_GE(c.CapitalAlt, -100);
    EXPECT_LE(c.CapitalAlt, 4000);
    if (std::strcmp(c.Name, "Antarctica") == 0) continue;
    EXPECT_GT(std::strlen(c.Capital), 0u);
    const double km = DistanceKm(c.Latitude, c.Longitude, c.CapitalLat, c.CapitalLong);
    if (farCapitals.count(c.Name)) {
      EXPECT_GT(km, 1200.0);
    } else {
      EXPECT_LT(km, 1200.0) << c.Capital;
    }
  }
}

TEST(CountryTable, ExampleRowsAndSpecialCases) {
  auto expectRow = [](const TCountryRecord& c, const TCountryRecord& want) {
    SCOPED_TRACE(want.Name);
    EXPECT_STREQ(c.Name, want.Name);
    EXPECT_STREQ(c.FIPS, want.FIPS);
    EXPECT_STREQ(c.ISO2, want.ISO2);
    EXPECT_STREQ(c.ISO3, want.ISO3);
    EXPECT_EQ(c.Latitude, want.Latitude);
    EXPECT_EQ(c.Longitude, want.Longitude);
    EXPECT_STREQ(c.Capital, want.Capital);
    EXPECT_EQ(c.CapitalLat, want.CapitalLat);
    EXPECT_EQ(c.CapitalLong, want.CapitalLong);
    EXPECT_EQ(c.CapitalAlt, want.CapitalAlt);
  };
  expectRow(CountryData[0],
            {"Afghanistan", "af", "af", "afg", 33, 65, "Kabul", 34.5309, 69.1368, 1807});
  expectRow(CountryData[2], {"Algeria", "ag", "dz", "dza", 28, 3, "Algiers", 36.7658, 3.0319, 0});
  expectRow(CountryData[230],
            {"Zimbabwe", "zi", "zw", "zwe", -20, 30, "Harare", -17.8292, 31.054, 1480});

  for (const TCountryRecord& c : CountryData) {
    if (std::strcmp(c.Name, "Netherlands") == 0) {
      EXPECT_EQ(c.CapitalAlt, -1);
    }
    if (std::strcmp(c.Name, "Antarctica") == 0) {
      EXPECT_STREQ(c.Capital, "");
    }
  }
}

}  // namespace
}  // namespace tkz
