// The table of countries: English short name, FIPS 10-4 and ISO 3166-1 codes
// (as they stood for each entity under the name given here), a representative
// centre in whole or simple fractions of degrees, and the capital with its
// position and altitude (0 where none is recorded).

#include "geo/geobasics.h"

namespace tkz {

// clang-format off
const std::array<TCountryRecord, kCountryCount> CountryData = {{
    {"Afghanistan", "af", "af", "afg", 33, 65, "Kabul", 34.5309, 69.1368, 1807},  // 0
    {"Albania", "al", "al", "alb", 41, 20, "Tirana", 41.3275, 19.8189, 110},  // 1
    {"Algeria", "ag", "dz", "dza", 28, 3, "Algiers", 36.7658, 3.0319, 0},  // 2
    {"American Samoa", "aq", "as", "asm", -14.3333, -170, "Pago Pago", -14.2781, -170.7025, 0},  // 3
    {"Andorra", "an", "ad", "and", 42.5, 1.5, "Andorra la Vella", 42.5078, 1.5211, 1023},  // 4
    {"Angola", "ao", "ao", "ago", -12.5, 18.5, "Luanda", -8.8383, 13.2344, 0},  // 5
    {"Anguilla", "av", "ai", "aia", 18.25, -63.1667, "The Valley", 18.217, -63.0578, 0},  // 6
    {"Antarctica", "ay", "aq", "ata", -90, 0, "", 0, 0, 0},  // 7
    {"Antigua and Barbuda", "ac", "ag", "atg", 17.05, -61.8, "Saint John's", 17.1172, -61.8456, 0},  // 8
    {"Argentina", "ar", "ar", "arg", -34, -64, "Buenos Aires", -34.6037, -58.3816, 25},  // 9
    {"Armenia", "am", "am", "arm", 40, 45, "Yerevan", 40.1811, 44.5136, 990},  // 10
    {"Aruba", "aa", "aw", "abw", 12.5, -69.9667, "Oranjestad", 12.524, -70.027, 0},  // 11
    {"Australia", "as", "au", "aus", -27, 133, "Canberra", -35.2809, 149.13, 580},  // 12
    {"Austria", "au", "at", "aut", 47.3333, 13.3333, "Vienna", 48.2082, 16.3738, 171},  // 13
    {"Azerbaijan", "aj", "az", "aze", 40.5, 47.5, "Baku", 40.4093, 49.8671, -28},  // 14
    {"Bahamas", "bf", "bs", "bhs", 24.25, -76, "Nassau", 25.0443, -77.3504, 0},  // 15
    {"Bahrain", "ba", "bh", "bhr", 26, 50.55, "Manama", 26.2285, 50.586, 0},  // 16
    {"Bangladesh", "bg", "bd", "bgd", 24, 90, "Dhaka", 23.8103, 90.4125, 4},  // 17
    {"Barbados", "bb", "bb", "brb", 13.1667, -59.5333, "Bridgetown", 13.0975, -59.6167, 0},  // 18
    {"Belarus", "bo", "by", "blr", 53, 28, "Minsk", 53.9006, 27.559, 220},  // 19
    {"Belgium", "be", "be", "bel", 50.8333, 4, "Brussels", 50.8503, 4.3517, 76},  // 20
    {"Belize", "bh", "bz", "blz", 17.25, -88.75, "Belmopan", 17.2514, -88.759, 76},  // 21
    {"Benin", "bn", "bj", "ben", 9.5, 2.25, "Porto-Novo", 6.4969, 2.6289, 38},  // 22
    {"Bermuda", "bd", "bm", "bmu", 32.3333, -64.75, "Hamilton", 32.2949, -64.7814, 0},  // 23
    {"Bhutan", "bt", "bt", "btn", 27.5, 90.5, "Thimphu", 27.4728, 89.639, 2334},  // 24
    {"Bolivia", "bl", "bo", "bol", -17, -65, "La Paz", -16.4897, -68.1193, 3640},  // 25
    {"Bosnia and Herzegovina", "bk", "ba", "bih", 44, 18, "Sarajevo", 43.8563, 18.4131, 518},  // 26
    {"Botswana", "bc", "bw", "bwa", -22, 24, "Gaborone", -24.6282, 25.9231, 1010},  // 27
    {"Brazil", "br", "br", "bra", -10, -55, "Brasilia", -15.7939, -47.8828, 1172},  // 28
    {"British Virgin Islands", "vi", "vg", "vgb", 18.5, -64.5, "Road Town", 18.4286, -64.6185, 0},  // 29
    {"Brunei", "bx", "bn", "brn", 4.5, 114.6667, "Bandar Seri Begawan", 4.9031, 114.9398, 0},  // 30
    {"Bulgaria", "bu", "bg", "bgr", 43, 25, "Sofia", 42.6977, 23.3219, 550},  // 31
    {"Burkina Faso", "uv", "bf", "bfa", 13, -2, "Ouagadougou", 12.3714, -1.5197, 305},  // 32
    {"Burma;Myanmar", "bm", "mm", "mmr", 22, 98, "Naypyidaw", 19.7633, 96.0785, 0},  // 33
    {"Burundi", "by", "bi", "bdi", -3.5, 30, "Bujumbura", -3.3614, 29.3599, 774},  // 34
    {"Cambodia", "cb", "kh", "khm", 13, 105, "Phnom Penh", 11.5564, 104.9282, 12},  // 35
    {"Cameroon", "cm", "cm", "cmr", 6, 12, "Yaounde", 3.848, 11.5021, 726},  // 36
    {"Canada", "ca", "ca", "can", 60, -95, "Ottawa", 45.4215, -75.6972, 70},  // 37
    {"Cape Verde", "cv", "cv", "cpv", 16, -24, "Praia", 14.933, -23.5133, 0},  // 38
    {"Cayman Islands", "cj", "ky", "cym", 19.5, -80.5, "George Town", 19.2869, -81.3674, 0},  // 39
    {"Central African Republic", "ct", "cf", "caf", 7, 21, "Bangui", 4.3947, 18.5582, 369},  // 40
    {"Chad", "cd", "td", "tcd", 15, 19, "N'Djamena", 12.1348, 15.0557, 298},  // 41
    {"Chile", "ci", "cl", "chl", -30, -71, "Santiago", -33.4489, -70.6693, 520},  // 42
    {"China", "ch", "cn", "chn", 35, 105, "Beijing", 39.9042, 116.4074, 44},  // 43
    {"Christmas Island", "kt", "cx", "cxr", -10.5, 105.6667, "Flying Fish Cove", -10.4217, 105.6791, 0},  // 44
    {"Cocos Islands", "ck", "cc", "cck", -12.5, 96.8333, "West Island", -12.188, 96.8296, 0},  // 45
    {"Colombia", "co", "co", "col", 4, -72, "Bogota", 4.711, -74.0721, 2640},  // 46
    {"Comoros", "cn", "km", "com", -12.1667, 44.25, "Moroni", -11.7172, 43.2473, 0},  // 47
    {"Congo, Democratic Republic of the", "cg", "cd", "cod", 0, 25, "Kinshasa", -4.4419, 15.2663, 240},  // 48
    {"Congo, Republic of the", "cf", "cg", "cog", -1, 15, "Brazzaville", -4.2634, 15.2429, 320},  // 49
    {"Cook Islands", "cw", "ck", "cok", -21.2333, -159.7667, "Avarua", -21.2075, -159.775, 0},  // 50
    {"Costa Rica", "cs", "cr", "cri", 10, -84, "San Jose", 9.9281, -84.0907, 1170},  // 51
    {"Cote d'Ivoire", "iv", "ci", "civ", 8, -5, "Yamoussoukro", 6.8276, -5.2893, 0},  // 52
    {"Croatia", "hr", "hr", "hrv", 45.1667, 15.5, "Zagreb", 45.815, 15.9819, 158},  // 53
    {"Cuba", "cu", "cu", "cub", 21.5, -80, "Havana", 23.1136, -82.3666, 59},  // 54
    {"Cyprus", "cy", "cy", "cyp", 35, 33, "Nicosia", 35.1856, 33.3823, 220},  // 55
    {"Czech Republic", "ez", "cz", "cze", 49.75, 15.5, "Prague", 50.0755, 14.4378, 235},  // 56
    {"Denmark", "da", "dk", "dnk", 56, 10, "Copenhagen", 55.6761, 12.5683, 0},  // 57
    {"Djibouti", "dj", "dj", "dji", 11.5, 43, "Djibouti", 11.5721, 43.1456, 0},  // 58
    {"Dominica", "do", "dm", "dma", 15.4167, -61.3333, "Roseau", 15.301, -61.3881, 0},  // 59
    {"Dominican Republic", "dr", "do", "dom", 19, -70.6667, "Santo Domingo", 18.4861, -69.9312, 14},  // 60
    {"East Timor;Timor Lestre", "tt", "tl", "tls", -8.8333, 125.9167, "Dili", -8.5569, 125.5603, 0},  // 61
    {"Ecuador", "ec", "ec", "ecu", -2, -77.5, "Quito", -0.1807, -78.4678, 2850},  // 62
    {"Egypt", "eg", "eg", "egy", 27, 30, "Cairo", 30.0444, 31.2357, 23},  // 63
    {"El Salvador", "es", "sv", "slv", 13.8333, -88.9167, "San Salvador", 13.6929, -89.2182, 658},  // 64
    {"Equatorial Guinea", "ek", "gq", "gnq", 2, 10, "Malabo", 3.7504, 8.7371, 0},  // 65
    {"Eritrea", "er", "er", "eri", 15, 39, "Asmara", 15.3229, 38.9251, 2325},  // 66
    {"Estonia", "en", "ee", "est", 59, 26, "Tallinn", 59.437, 24.7536, 0},  // 67
    {"Ethiopia", "et", "et", "eth", 8, 38, "Addis Ababa", 9.03, 38.74, 2355},  // 68
    {"Falkland Islands; Malvinas", "fk", "fk", "flk", -51.75, -59, "Stanley", -51.6977, -57.8517, 0},  // 69
    {"Faroe Islands", "fo", "fo", "fro", 62, -7, "Torshavn", 62.0079, -6.79, 0},  // 70
    {"Fiji", "fj", "fj", "fji", -18, 175, "Suva", -18.1416, 178.4419, 0},  // 71
    {"Finland", "fi", "fi", "fin", 64, 26, "Helsinki", 60.1699, 24.9384, 0},  // 72
    {"France", "fr", "fr", "fra", 46, 2, "Paris", 48.8566, 2.3522, 35},  // 73
    {"French Guiana", "fg", "gf", "guf", 4, -53, "Cayenne", 4.9224, -52.3135, 0},  // 74
    {"French Polynesia", "fp", "pf", "pyf", -15, -140, "Papeete", -17.5516, -149.5585, 0},  // 75
    {"Gabon", "gb", "ga", "gab", -1, 11.75, "Libreville", 0.4162, 9.4673, 0},  // 76
    {"Gambia", "ga", "gm", "gmb", 13.4667, -16.5667, "Banjul", 13.4549, -16.579, 0},  // 77
    {"Georgia", "gg", "ge", "geo", 42, 43.5, "Tbilisi", 41.7151, 44.8271, 490},  // 78
    {"Germany", "gm", "de", "deu", 51, 9, "Berlin", 52.52, 13.405, 34},  // 79
    {"Ghana", "gh", "gh", "gha", 8, -2, "Accra", 5.6037, -0.187, 61},  // 80
    {"Gibraltar", "gi", "gi", "gib", 36.1833, -5.3667, "Gibraltar", 36.1408, -5.3536, 0},  // 81
    {"Greece", "gr", "gr", "grc", 39, 22, "Athens", 37.9838, 23.7275, 70},  // 82
    {"Greenland", "gl", "gl", "grl", 72, -40, "Nuuk", 64.1814, -51.6941, 0},  // 83
    {"Grenada", "gj", "gd", "grd", 12.1167, -61.6667, "Saint George's", 12.0561, -61.7488, 0},  // 84
    {"Guadeloupe", "gp", "gp", "glp", 16.25, -61.5833, "Basse-Terre", 15.9985, -61.7261, 0},  // 85
    {"Guam", "gq", "gu", "gum", 13.4667, 144.7833, "Hagatna", 13.4757, 144.7489, 0},  // 86
    {"Guatemala", "gt", "gt", "gtm", 15.5, -90.25, "Guatemala City", 14.6349, -90.5069, 1500},  // 87
    {"Guernsey", "gk", "gg", "ggy", 49.4667, -2.5833, "Saint Peter Port", 49.4599, -2.5353, 0},  // 88
    {"Guinea", "gv", "gn", "gin", 11, -10, "Conakry", 9.6412, -13.5784, 0},  // 89
    {"Guinea-Bissau", "pu", "gw", "gnb", 12, -15, "Bissau", 11.8817, -15.6178, 0},  // 90
    {"Guyana", "gy", "gy", "guy", 5, -59, "Georgetown", 6.8013, -58.1551, 0},  // 91
    {"Haiti", "ha", "ht", "hti", 19, -72.4167, "Port-au-Prince", 18.5944, -72.3074, 98},  // 92
    {"Honduras", "ho", "hn", "hnd", 15, -86.5, "Tegucigalpa", 14.0723, -87.1921, 990},  // 93
    {"Hungary", "hu", "hu", "hun", 47, 20, "Budapest", 47.4979, 19.0402, 96},  // 94
    {"Iceland", "ic", "is", "isl", 65, -18, "Reykjavik", 64.1466, -21.9426, 0},  // 95
    {"India", "in", "in", "ind", 20, 77, "New Delhi", 28.6139, 77.209, 216},  // 96
    {"Indonesia", "id", "id", "idn", -5, 120, "Jakarta", -6.2088, 106.8456, 8},  // 97
    {"Iran", "ir", "ir", "irn", 32, 53, "Tehran", 35.6892, 51.389, 1190},  // 98
    {"Iraq", "iz", "iq", "irq", 33, 44, "Baghdad", 33.3152, 44.3661, 34},  // 99
    {"Ireland", "ei", "ie", "irl", 53, -8, "Dublin", 53.3498, -6.2603, 8},  // 100
    {"Israel", "is", "il", "isr", 31.5, 34.75, "Jerusalem", 31.7683, 35.2137, 754},  // 101
    {"Italy", "it", "it", "ita", 42.8333, 12.8333, "Rome", 41.9028, 12.4964, 21},  // 102
    {"Jamaica", "jm", "jm", "jam", 18.25, -77.5, "Kingston", 17.9712, -76.7936, 0},  // 103
    {"Japan", "ja", "jp", "jpn", 36, 138, "Tokyo", 35.6762, 139.6503, 40},  // 104
    {"Jersey", "je", "je", "jey", 49.25, -2.1667, "Saint Helier", 49.1858, -2.11, 0},  // 105
    {"Jordan", "jo", "jo", "jor", 31, 36, "Amman", 31.9454, 35.9284, 850},  // 106
    {"Kazakhstan", "kz", "kz", "kaz", 48, 68, "Astana", 51.1694, 71.4491, 347},  // 107
    {"Kenya", "ke", "ke", "ken", 1, 38, "Nairobi", -1.2921, 36.8219, 1661},  // 108
    {"Kiribati", "kr", "ki", "kir", 1.4167, 173, "Tarawa", 1.4518, 172.9717, 0},  // 109
    {"Korea, North", "kn", "kp", "prk", 40, 127, "Pyongyang", 39.0392, 125.7625, 38},  // 110
    {"Korea, South", "ks", "kr", "kor", 37, 127.5, "Seoul", 37.5665, 126.978, 38},  // 111
    {"Kuwait", "ku", "kw", "kwt", 29.5, 45.75, "Kuwait City", 29.3759, 47.9774, 0},  // 112
    {"Kyrgyzstan", "kg", "kg", "kgz", 41, 75, "Bishkek", 42.8746, 74.5698, 800},  // 113
    {"Laos", "la", "la", "lao", 18, 105, "Vientiane", 17.9757, 102.6331, 170},  // 114
    {"Latvia", "lg", "lv", "lva", 57, 25, "Riga", 56.9496, 24.1052, 0},  // 115
    {"Lebanon", "le", "lb", "lbn", 33.8333, 35.8333, "Beirut", 33.8938, 35.5018, 0},  // 116
    {"Lesotho", "lt", "ls", "lso", -29.5, 28.5, "Maseru", -29.3151, 27.4869, 1600},  // 117
    {"Liberia", "li", "lr", "lbr", 6.5, -9.5, "Monrovia", 6.3156, -10.8074, 0},  // 118
    {"Libya", "ly", "ly", "lby", 25, 17, "Tripoli", 32.8872, 13.1913, 0},  // 119
    {"Liechtenstein", "ls", "li", "lie", 47.1667, 9.5333, "Vaduz", 47.141, 9.5209, 455},  // 120
    {"Lithuania", "lh", "lt", "ltu", 56, 24, "Vilnius", 54.6872, 25.2797, 112},  // 121
    {"Luxembourg", "lu", "lu", "lux", 49.75, 6.1667, "Luxembourg", 49.6116, 6.1319, 300},  // 122
    {"Macedonia", "mk", "mk", "mkd", 41.8333, 22, "Skopje", 41.9981, 21.4254, 240},  // 123
    {"Madagascar", "ma", "mg", "mdg", -20, 47, "Antananarivo", -18.8792, 47.5079, 1280},  // 124
    {"Malawi", "mi", "mw", "mwi", -13.5, 34, "Lilongwe", -13.9626, 33.7741, 1050},  // 125
    {"Malaysia", "my", "my", "mys", 2.5, 112.5, "Kuala Lumpur", 3.139, 101.6869, 56},  // 126
    {"Maldives", "mv", "mv", "mdv", 3.25, 73, "Male", 4.1755, 73.5093, 0},  // 127
    {"Mali", "ml", "ml", "mli", 17, -4, "Bamako", 12.6392, -8.0029, 350},  // 128
    {"Malta", "mt", "mt", "mlt", 35.8333, 14.5833, "Valletta", 35.8989, 14.5146, 0},  // 129
    {"Marshall Islands", "rm", "mh", "mhl", 9, 168, "Majuro", 7.1164, 171.1858, 0},  // 130
    {"Martinique", "mb", "mq", "mtq", 14.6667, -61, "Fort-de-France", 14.6161, -61.0588, 0},  // 131
    {"Mauritania", "mr", "mr", "mrt", 20, -12, "Nouakchott", 18.0735, -15.9582, 0},  // 132
    {"Mauritius", "mp", "mu", "mus", -20.2833, 57.55, "Port Louis", -20.1609, 57.5012, 0},  // 133
    {"Mayotte", "mf", "yt", "myt", -12.8333, 45.1667, "Mamoudzou", -12.7806, 45.2278, 0},  // 134
    {"Mexico", "mx", "mx", "mex", 23, -102, "Mexico City", 19.4326, -99.1332, 2240},  // 135
    {"Micronesia", "fm", "fm", "fsm", 6.9167, 158.25, "Palikir", 6.9248, 158.161, 0},  // 136
    {"Moldova", "md", "md", "mda", 47, 29, "Chisinau", 47.0105, 28.8638, 85},  // 137
    {"Monaco", "mn", "mc", "mco", 43.7333, 7.4, "Monaco", 43.7384, 7.4246, 0},  // 138
    {"Mongolia", "mg", "mn", "mng", 46, 105, "Ulaanbaatar", 47.8864, 106.9057, 1350},  // 139
    {"Montenegro", "mj", "me", "mne", 42.5, 19.3, "Podgorica", 42.4304, 19.2594, 44},  // 140
    {"Montserrat", "mh", "ms", "msr", 16.75, -62.2, "Plymouth", 16.7056, -62.2159, 0},  // 141
    {"Morocco", "mo", "ma", "mar", 32, -5, "Rabat", 34.0209, -6.8416, 0},  // 142
    {"Mozambique", "mz", "mz", "moz", -18.25, 35, "Maputo", -25.9692, 32.5732, 47},  // 143
    {"Namibia", "wa", "na", "nam", -22, 17, "Windhoek", -22.5609, 17.0658, 1655},  // 144
    {"Nauru", "nr", "nr", "nru", -0.5333, 166.9167, "Yaren", -0.5477, 166.9209, 0},  // 145
    {"Nepal", "np", "np", "npl", 28, 84, "Kathmandu", 27.7172, 85.324, 1400},  // 146
    {"Netherlands", "nl", "nl", "nld", 52.5, 5.75, "Amsterdam", 52.3676, 4.9041, -1},  // 147
    {"Netherlands Antilles", "nt", "an", "ant", 12.25, -68.75, "Willemstad", 12.1091, -68.9316, 0},  // 148
    {"New Caledonia", "nc", "nc", "ncl", -21.5, 165.5, "Noumea", -22.2758, 166.458, 0},  // 149
    {"New Zealand", "nz", "nz", "nzl", -41, 174, "Wellington", -41.2865, 174.7762, 0},  // 150
    {"Nicaragua", "nu", "ni", "nic", 13, -85, "Managua", 12.115, -86.2362, 83},  // 151
    {"Niger", "ng", "ne", "ner", 16, 8, "Niamey", 13.5116, 2.1254, 207},  // 152
    {"Nigeria", "ni", "ng", "nga", 10, 8, "Abuja", 9.0765, 7.3986, 476},  // 153
    {"Niue", "ne", "nu", "niu", -19.0333, -169.8667, "Alofi", -19.0595, -169.9187, 0},  // 154
    {"Norfolk Island", "nf", "nf", "nfk", -29.0333, 167.95, "Kingston", -29.0564, 167.9597, 0},  // 155
    {"Northern Mariana Islands", "cq", "mp", "mnp", 15.2, 145.75, "Saipan", 15.185, 145.7467, 0},  // 156
    {"Norway", "no", "no", "nor", 62, 10, "Oslo", 59.9139, 10.7522, 23},  // 157
    {"Oman", "mu", "om", "omn", 21, 57, "Muscat", 23.588, 58.3829, 0},  // 158
    {"Pakistan", "pk", "pk", "pak", 30, 70, "Islamabad", 33.6844, 73.0479, 540},  // 159
    {"Palau", "ps", "pw", "plw", 7.5, 134.5, "Melekeok", 7.4874, 134.6265, 0},  // 160
    {"Panama", "pm", "pa", "pan", 9, -80, "Panama", 8.9824, -79.5199, 0},  // 161
    {"Papua New Guinea", "pp", "pg", "png", -6, 147, "Port Moresby", -9.4438, 147.1803, 0},  // 162
    {"Paraguay", "pa", "py", "pry", -23, -58, "Asuncion", -25.2637, -57.5759, 43},  // 163
    {"Peru", "pe", "pe", "per", -10, -76, "Lima", -12.0464, -77.0428, 154},  // 164
    {"Philippines", "rp", "ph", "phl", 13, 122, "Manila", 14.5995, 120.9842, 0},  // 165
    {"Poland", "pl", "pl", "pol", 52, 20, "Warsaw", 52.2297, 21.0122, 100},  // 166
    {"Portugal", "po", "pt", "prt", 39.5, -8, "Lisbon", 38.7223, -9.1393, 0},  // 167
    {"Puerto Rico", "rq", "pr", "pri", 18.25, -66.5, "San Juan", 18.4655, -66.1057, 0},  // 168
    {"Qatar", "qa", "qa", "qat", 25.5, 51.25, "Doha", 25.2854, 51.531, 0},  // 169
    {"Reunion", "re", "re", "reu", -21.1, 55.6, "Saint-Denis", -20.8823, 55.4504, 0},  // 170
    {"Romania", "ro", "ro", "rou", 46, 25, "Bucharest", 44.4268, 26.1025, 70},  // 171
    {"Russia", "rs", "ru", "rus", 60, 100, "Moscow", 55.7558, 37.6173, 156},  // 172
    {"Rwanda", "rw", "rw", "rwa", -2, 30, "Kigali", -1.9441, 30.0619, 1567},  // 173
    {"Saint Helena", "sh", "sh", "shn", -15.9333, -5.7, "Jamestown", -15.9244, -5.7181, 0},  // 174
    {"Saint Kitts and Nevis", "sc", "kn", "kna", 17.3333, -62.75, "Basseterre", 17.3026, -62.7177, 0},  // 175
    {"Saint Lucia", "st", "lc", "lca", 13.8833, -60.9667, "Castries", 14.0101, -60.9875, 0},  // 176
    {"Saint Pierre and Miquelon", "sb", "pm", "spm", 46.8333, -56.3333, "Saint-Pierre", 46.7811, -56.1764, 0},  // 177
    {"Saint Vincent and the Grenadines", "vc", "vc", "vct", 13.25, -61.2, "Kingstown", 13.16, -61.2248, 0},  // 178
    {"Samoa", "ws", "ws", "wsm", -13.5833, -172.3333, "Apia", -13.8333, -171.7667, 0},  // 179
    {"San Marino", "sm", "sm", "smr", 43.7667, 12.4167, "San Marino", 43.9356, 12.4473, 650},  // 180
    {"Sao Tome and Principe", "tp", "st", "stp", 1, 7, "Sao Tome", 0.3365, 6.7273, 0},  // 181
    {"Saudi Arabia", "sa", "sa", "sau", 25, 45, "Riyadh", 24.7136, 46.6753, 612},  // 182
    {"Senegal", "sg", "sn", "sen", 14, -14, "Dakar", 14.7167, -17.4677, 0},  // 183
    {"Serbia and Montenegro", "yi", "cs", "scg", 44, 21, "Belgrade", 44.7866, 20.4489, 117},  // 184
    {"Seychelles", "se", "sc", "syc", -4.5833, 55.6667, "Victoria", -4.6191, 55.4513, 0},  // 185
    {"Sierra Leone", "sl", "sl", "sle", 8.5, -11.5, "Freetown", 8.4657, -13.2317, 0},  // 186
    {"Singapore", "sn", "sg", "sgp", 1.3667, 103.8, "Singapore", 1.3521, 103.8198, 0},  // 187
    {"Slovakia", "lo", "sk", "svk", 48.6667, 19.5, "Bratislava", 48.1486, 17.1077, 140},  // 188
    {"Slovenia", "si", "si", "svn", 46, 15, "Ljubljana", 46.0569, 14.5058, 295},  // 189
    {"Solomon Islands", "bp", "sb", "slb", -8, 159, "Honiara", -9.4456, 159.9729, 0},  // 190
    {"Somalia", "so", "so", "som", 10, 49, "Mogadishu", 2.0469, 45.3182, 0},  // 191
    {"South Africa", "sf", "za", "zaf", -29, 24, "Pretoria", -25.7479, 28.2293, 1339},  // 192
    {"Spain", "sp", "es", "esp", 40, -4, "Madrid", 40.4168, -3.7038, 667},  // 193
    {"Sri Lanka", "ce", "lk", "lka", 7, 81, "Colombo", 6.9271, 79.8612, 0},  // 194
    {"Sudan", "su", "sd", "sdn", 15, 30, "Khartoum", 15.5007, 32.5599, 381},  // 195
    {"Suriname", "ns", "sr", "sur", 4, -56, "Paramaribo", 5.852, -55.2038, 0},  // 196
    {"Svalbard", "sv", "sj", "sjm", 78, 20, "Longyearbyen", 78.2232, 15.6267, 0},  // 197
    {"Swaziland", "wz", "sz", "swz", -26.5, 31.5, "Mbabane", -26.3054, 31.1367, 1243},  // 198
    {"Sweden", "sw", "se", "swe", 62, 15, "Stockholm", 59.3293, 18.0686, 28},  // 199
    {"Switzerland", "sz", "ch", "che", 47, 8, "Bern", 46.948, 7.4474, 540},  // 200
    {"Syria", "sy", "sy", "syr", 35, 38, "Damascus", 33.5138, 36.2765, 680},  // 201
    {"Taiwan", "tw", "tw", "twn", 23.5, 121, "Taipei", 25.033, 121.5654, 9},  // 202
    {"Tajikistan", "ti", "tj", "tjk", 39, 71, "Dushanbe", 38.5598, 68.787, 800},  // 203
    {"Tanzania", "tz", "tz", "tza", -6, 35, "Dodoma", -6.163, 35.7516, 1120},  // 204
    {"Thailand", "th", "th", "tha", 15, 100, "Bangkok", 13.7563, 100.5018, 2},  // 205
    {"Togo", "to", "tg", "tgo", 8, 1.1667, "Lome", 6.1725, 1.2314, 0},  // 206
    {"Tonga", "tn", "to", "ton", -20, -175, "Nuku'alofa", -21.1394, -175.2049, 0},  // 207
    {"Trinidad and Tobago", "td", "tt", "tto", 11, -61, "Port of Spain", 10.6596, -61.5089, 0},  // 208
    {"Tunisia", "ts", "tn", "tun", 34, 9, "Tunis", 36.8065, 10.1815, 4},  // 209
    {"Turkey", "tu", "tr", "tur", 39, 35, "Ankara", 39.9334, 32.8597, 938},  // 210
    {"Turkmenistan", "tx", "tm", "tkm", 40, 60, "Ashgabat", 37.9601, 58.3261, 219},  // 211
    {"Turks and Caicos Islands", "tk", "tc", "tca", 21.75, -71.5833, "Cockburn Town", 21.4612, -71.1419, 0},  // 212
    {"Tuvalu", "tv", "tv", "tuv", -8, 178, "Funafuti", -8.5211, 179.1983, 0},  // 213
    {"Uganda", "ug", "ug", "uga", 1, 32, "Kampala", 0.3476, 32.5825, 1190},  // 214
    {"Ukraine", "up", "ua", "ukr", 49, 32, "Kiev", 50.4501, 30.5234, 179},  // 215
    {"United Arab Emirates", "ae", "ae", "are", 24, 54, "Abu Dhabi", 24.4539, 54.3773, 0},  // 216
    {"United Kingdom", "uk", "gb", "gbr", 54, -2, "London", 51.5074, -0.1278, 24},  // 217
    {"United States", "us", "us", "usa", 38, -97, "Washington", 38.9072, -77.0369, 22},  // 218
    {"Uruguay", "uy", "uy", "ury", -33, -56, "Montevideo", -34.9011, -56.1645, 43},  // 219
    {"Uzbekistan", "uz", "uz", "uzb", 41, 64, "Tashkent", 41.2995, 69.2401, 455},  // 220
    {"Vanuatu", "nh", "vu", "vut", -16, 167, "Port-Vila", -17.7334, 168.3273, 0},  // 221
    {"Vatican", "vt", "va", "vat", 41.9, 12.45, "Vatican City", 41.9029, 12.4534, 0},  // 222
    {"Venezuela", "ve", "ve", "ven", 8, -66, "Caracas", 10.4806, -66.9036, 900},  // 223
    {"Vietnam", "vm", "vn", "vnm", 16, 106, "Hanoi", 21.0278, 105.8342, 16},  // 224
    {"Virgin Islands", "vq", "vi", "vir", 18.3333, -64.8333, "Charlotte Amalie", 18.3419, -64.9307, 0},  // 225
    {"Wallis and Futuna", "wf", "wf", "wlf", -13.3, -176.2, "Mata-Utu", -13.2825, -176.1736, 0},  // 226
    {"Western Sahara", "wi", "eh", "esh", 24.5, -13, "El Aaiun", 27.1536, -13.2033, 0},  // 227
    {"Yemen", "ym", "ye", "yem", 15, 48, "Sanaa", 15.3694, 44.191, 2250},  // 228
    {"Zambia", "za", "zm", "zmb", -15, 30, "Lusaka", -15.3875, 28.3228, 1279},  // 229
    {"Zimbabwe", "zi", "zw", "zwe", -20, 30, "Harare", -17.8292, 31.054, 1480},  // 230
}};
// clang-format on

}  // namespace tkz
