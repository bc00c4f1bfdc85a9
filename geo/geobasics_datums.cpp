// The datum table: name, reference ellipsoid and the shift to WGS 84 of each
// of the 271 datums, one row per datum with the region it applies to.

#include "geo/geobasics_datums.h"

namespace tkz {

namespace {

// clang-format off
const TDatumRow kDatums[kDatumCount] = {
    {"ACCRA", gelWarOffice, -199, 32, 322, 0, 0, 0, 0},  // 1
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 2
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 3
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 4
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 5
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 6
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 7
    {"ADINDAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 8
    {"ANTIGUA ISLAND ASTRO 1943", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 9
    {"AIN EL ABD 1970", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 10
    {"AIN EL ABD 1970", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 11
    {"AMERICAN SAMOA 1962", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 12
    {"RD, AMERSFOORT", gelBess41, 565, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869},  // 13
    {"ANNA 1 ASTRO 1965", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 14
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 15
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 16
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 17
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 18
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 19
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 20
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 21
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 22
    {"ARC 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 23
    {"ARC 1960", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 24
    {"ARC 1960", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 25
    {"ASCENSION ISLAND 1958", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 26
    {"MONTSERRAT IS. ASTRO 1958", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 27
    {"ASTRO STATION 1952", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 28
    {"ASTRO BACON E 1845", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 29
    {"AUSTRALIAN GEODETIC 1966", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 30
    {"AUSTRALIAN GEODETIC 1984", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 31
    {"DJAKARTA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 32
    {"BEKAA BASE SOUTH END", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 33
    {"BERMUDA 1957", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 34
    {"BISSAU", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 35
    {"BOGOTA OBSERVATORY", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 36
    {"BERNE (1898),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 37
    {"BUKIT RIMPAH", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 38
    {"CAPE CANAVERAL", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 39
    {"CAMPO INCHAUSPE 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 40
    {"CANTON ASTRO 1966", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 41
    {"CAPE", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 42
    {"CAMP AREA ASTRO", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 43
    {"S-JTSK", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 44
    {"S-JTSK", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 45
    {"CARTHAGE", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 46
    {"CHATHAM ISLAND ASTRO 1971", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 47
    {"CHUA ASTRO", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 48
    {"CH1903+", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 49
    {"CORREGO ALEGRE", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 50
    {"OBSERVATOROI", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 51
    {"CYPRUS 1935", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 52
    {"ESTONIA 1937", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 53
    {"DABOLA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 54
    {"DECEPTION ISLAND", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 55
    {"GUX 1 ASTRO", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 56
    {"EASTER ISLAND 1967", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 57
    {"WAKE-ENIWETOK 1960", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 58
    {"EUROPEAN DATUM 1950", gelInt24, -87, -98, -121, 0, 0, 0, 0},  // 59
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 60
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 61
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 62
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 63
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 64
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 65
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 66
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 67
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 68
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 69
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 70
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 71
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 72
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 73
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 74
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 75
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 76
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 77
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 78
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 79
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 80
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 81
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 82
    {"EUROPEAN DATUM 1950", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 83
    {"EUROPEAN 1979", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 84
    {"EUROPEAN 1979", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 85
    {"ETRF89", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 86
    {"FAHUD", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 87
    {"OBSERVATORIO MET. 1939", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 88
    {"FORT THOMAS 1955", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 89
    {"GAN 1970", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 90
    {"GEOCENTRIC DATUM AUSTRALIA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 91
    {"GEODETIC DATUM 1949", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 92
    {"DOS 1968", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 93
    {"GRACIOSA BASE SW 1948", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 94
    {"GGRS87", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 95
    {"GUNUNG SEGARA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 96
    {"GUAM 1963", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 97
    {"HARTEBEESTHOCK 1994", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 98
    {"HELSINKI, KALLIO CHURCH", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 99
    {"HERAT NORTH", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 100
    {"MGI DATUM/HERMANNSKOGEL", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 101
    {"HERMANNSKOGEL", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 102
    {"HITO XVIII 1963", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 103
    {"HJORSEY 1955", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 104
    {"HONG KONG 1963", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 105
    {"HONG KONG 1980", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 106
    {"HU-TZU-SHAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 107
    {"HUNGARIAN DATUM 1972", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 108
    {"BELLEVUE (IGN),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 109
    {"INDONESIAN 1974", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 110
    {"IRAQ-KUWAIT BOUNDARY 1992", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 111
    {"INDIAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 112
    {"INDIAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 113
    {"INDIAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 114
    {"INDIAN 1954", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 115
    {"INDIAN 1960", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 116
    {"INDIAN 1960", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 117
    {"1 INDIAN 1975", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 118
    {"IRELAND 1965", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 119
    {"ISTS 061 ASTRO 1968", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 120
    {"ISTS 073 ASTRO 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 121
    {"JOHNSTON ISLAND 1961", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 122
    {"KANDAWALA JACKSON?", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 123
    {"KERTAU 1948", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 124
    {"KERGUELEN ISLAND 1949", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 125
    {"KOREAN GEODETIC SYSTEM 1995", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 126
    {"KKJ", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 127
    {"KUSAIE ASTRO 1951", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 128
    {"LC5 ASTRO 1961", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 129
    {"LEIGON", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 130
    {"LIBERIA 1964", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 131
    {"LISBON (Castelo di Sao Jorge), D7", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 132
    {"LKS94", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 133
    {"LUXEMBOURG NT", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 134
    {"LUZON", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 135
    {"LUZON", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 136
    {"MASSAWA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 137
    {"MERCHICH", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 138
    {"MIDWAY ASTRO 1961", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 139
    {"MAHE 1971", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 140
    {"MINNA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 141
    {"MINNA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 142
    {"ROME 1940", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 143
    {"ROME 1940", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 144
    {"ROME 1940", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 145
    {"M'PORALOKO", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 146
    {"VITI LEVU 1916", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 147
    {"NAHRWAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 148
    {"NAHRWAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 149
    {"NAHRWAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 150
    {"NAPARIMA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 151
    {"NORTH AMERICAN 1983", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 152
    {"NORTH AMERICAN 1983", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 153
    {"NORTH AMERICAN 1983", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 154
    {"NORTH AMERICAN 1983", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 155
    {"NORTH AMERICAN 1983", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 156
    {"NORTH AMERICAN 1983", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 157
    {"NORTH AMERICAN 1927", gelClrk66, -5, 135, 172, 0, 0, 0, 0},  // 158
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 159
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 160
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 161
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 162
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 163
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 164
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 165
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 166
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 167
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 168
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 169
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 170
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 171
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 172
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 173
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 174
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 175
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 176
    {"NORTH AMERICAN 1927", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 177
    {"NTF", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 178
    {"NGO 1948", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 179
    {"NORTH SAHARA 1959", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 180
    {"BELGIUM DATUM 1972", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 181
    {"OLD EGYPTIAN 1907", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 182
    {"ORDNANCE GB 1936", gelAiry30, 446.448, -125.157, 542.06, -20.49, 0.15, 0.247, 0.8421},  // 183
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 184
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 185
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 186
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 187
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 188
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 189
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 190
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 191
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 192
    {"OLD HAWAI'IAN", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 193
    {"PALESTINE 1928", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 194
    {"AYABELLA LIGHTHOUSE", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 195
    {"PITCAIRN ASTRO 1967", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 196
    {"PICO DE LAS NIEVES.", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 197
    {"PORTO SANTO 1936.", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 198
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 199
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 200
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 201
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 202
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 203
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 204
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 205
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 206
    {"PROV. S AMERICAN 1956", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 207
    {"POINT 58", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 208
    {"POINT NOIRE 1948", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 209
    {"PULKOVO 1942", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 210
    {"PULKOVO 1942", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 211
    {"PULKOVO 1942", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 212
    {"PUERTO RICO & Virgin Is.", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 213
    {"QATAR NATIONAL 1974", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 214
    {"QATAR NATIONAL 1995", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 215
    {"QORNOQ", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 216
    {"DHDN (RAUENBERG),", gelBess41, 582, 105, 414, 8.3, 1.04, 0.35, -3.08},  // 217
    {"REUNION", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 218
    {"RT90", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 219
    {"SANTO(DOS), 1965", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 220
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 221
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 222
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 223
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 224
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 225
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 226
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 227
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 228
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 229
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 230
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 231
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 232
    {"SOUTH AMERICAN 1969", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 233
    {"SAO BRAZ", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 234
    {"SAPPER HILL 1943 (2000 adj),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 235
    {"SCHWARZECK", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 236
    {"SOUTH EAST ISLAND", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 237
    {"SOVIET GEODETIC SYSTEM 85", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 238
    {"PZ90 (GLONASS),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 239
    {"SELVAGEM GRANDE 1938", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 240
    {"DOS 71/4", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 241
    {"SIERRA LEONE DATUM 1960", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 242
    {"SIRGAS", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 243
    {"SOUTH ASIA", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 244
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 245
    {"S-42 (PK42),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 246
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 247
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 248
    {"S-42 (PK 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 249
    {"SYSTEM 1942/58 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 250
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 251
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 252
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 253
    {"S-42 (PULKOVO 1942),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 254
    {"TANANARIVE OBSERVATORY", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 255
    {"TRISTAN ASTRO 1968", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 256
    {"TETE", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 257
    {"TIMBALAI 1948 (Everest),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 258
    {"TIMBALAI 1968,Adj of 1948", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 259
    {"TIMBALAI 1968, Adj of 1948", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 260
    {"TIMBALAI 1948 (Bessel),", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 261
    {"TOKYO", gelBess41, -148, 507, 685, 0, 0, 0, 0},  // 262
    {"TOKYO", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 263
    {"TOKYO", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 264
    {"TERN ISLAND (FRIG), 1961", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 265
    {"VOIROL 1875", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 266
    {"WAKE ISLAND ASTRO 1952", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 267
    {"WORLD GEODETIC SYSTEM 1972", gelWGS72, 0, 0, 4.5, 0.219, 0, 0, 0.554},  // 268
    {"WORLD GEODETIC SYSTEM 1984", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 269
    {"YACARE", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 270
    {"ZANDERIJ", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 271
};
// clang-format on

}  // namespace

const TDatumRow* DatumRow(int Nr) {
  if (Nr < 1 || Nr > kDatumCount) return nullptr;
  return &kDatums[Nr - 1];
}

}  // namespace tkz
