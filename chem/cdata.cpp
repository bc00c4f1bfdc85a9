// cdata: the element table, the X-ray lines, the periodic-system grid, CAS
// numbers and the chemical-name dictionary. Every lookup is an index into a
// constant table by atomic number; nothing is allocated beyond the strings
// returned.

#include "chem/cdata.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "core/numkit/openarrays.h"
#include "core/text/charcase.h"

namespace tkz {

namespace {

struct ElementRow {
  std::string_view Symbol;
  std::string_view Name;
  int NominalMass;
  double ExactMass;
  double ChemWeight;  // 0: no stable isotope composition
  int OuterElectrons;
  std::string_view Config;  // noble-gas core in brackets
};

// Row Z - 1 is element Z. Names and weights as the suite has always had them.
// clang-format off
constexpr std::array<ElementRow, kMaxAtomicNumber> kElements = {{
    {"H",  "hydrogen",      1,   1.007825,    1.00797, 1, "1s1"},
    {"He", "helium",        4,   4.002603,    4.0026,  2, "1s2"},
    {"Li", "litium",        7,   7.016005,    6.939,   1, "[He] 2s1"},
    {"Be", "beryllium",     9,   9.012183,    9.0122,  2, "[He] 2s2"},
    {"B",  "boron",        11,  11.009305,   10.811,   3, "[He] 2s2 2p1"},
    {"C",  "carbon",       12,  12.0,        12.01115, 4, "[He] 2s2 2p2"},
    {"N",  "nitrogen",     14,  14.003074,   14.0067,  5, "[He] 2s2 2p3"},
    {"O",  "oxygen",       16,  15.994915,   15.9994,  6, "[He] 2s2 2p4"},
    {"F",  "flourine",     19,  18.998405,   18.9984,  7, "[He] 2s2 2p5"},
    {"Ne", "neon",         20,  19.99244,    20.183,   8, "[He] 2s2 2p6"},
    {"Na", "sodium",       23,  22.98977,    22.9898,  1, "[Ne] 3s1"},
    {"Mg", "magnesium",    24,  23.985044,   24.312,   2, "[Ne] 3s2"},
    {"Al", "aluminum",     27,  26.981541,   26.9815,  3, "[Ne] 3s2 3p1"},
    {"Si", "silicon",      28,  27.976929,   28.086,   4, "[Ne] 3s2 3p2"},
    {"P",  "phosphorus",   31,  30.973763,   30.9738,  5, "[Ne] 3s2 3p3"},
    {"S",  "sulfur",       32,  31.972073,   32.064,   6, "[Ne] 3s2 3p4"},
    {"Cl", "chlorine",     35,  34.968854,   35.453,   7, "[Ne] 3s2 3p5"},
    {"Ar", "argon",        40,  39.962384,   39.948,   8, "[Ne] 3s2 3p6"},
    {"K",  "potassium",    39,  38.963709,   39.102,   1, "[Ar] 4s1"},
    {"Ca", "calcium",      40,  39.962592,   40.08,    2, "[Ar] 4s2"},
    {"Sc", "scandium",     45,  44.955917,   44.956,   2, "[Ar] 3d1 4s2"},
    {"Ti", "titanium",     48,  47.947949,   47.9,     2, "[Ar] 3d2 4s2"},
    {"V",  "vanadin",      51,  50.943964,   50.942,   2, "[Ar] 3d3 4s2"},
    {"Cr", "chromium",     52,  51.94051,    51.996,   1, "[Ar] 3d5 4s1"},
    {"Mn", "manganese",    55,  54.938046,   54.938,   2, "[Ar] 3d5 4s2"},
    {"Fe", "iron",         56,  55.934934,   55.847,   2, "[Ar] 3d6 4s2"},
    {"Co", "cobalt",       59,  58.933188,   58.9332,  2, "[Ar] 3d7 4s2"},
    {"Ni", "nickel",       58,  57.935336,   58.71,    2, "[Ar] 3d8 4s2"},
    {"Cu", "copper",       63,  62.92959,    63.54,    1, "[Ar] 3d10 4s1"},
    {"Zn", "zinc",         64,  63.92914,    65.37,    2, "[Ar] 3d10 4s2"},
    {"Ga", "gallium",      69,  68.92558,    69.72,    3, "[Ar] 3d10 4s2 4p1"},
    {"Ge", "germanium",    74,  73.921179,   72.59,    4, "[Ar] 3d10 4s2 4p2"},
    {"As", "arsenic",      75,  74.9216,     74.9216,  5, "[Ar] 3d10 4s2 4p3"},
    {"Se", "selenium",     80,  79.916525,   78.96,    6, "[Ar] 3d10 4s2 4p4"},
    {"Br", "bromine",      79,  78.918332,   79.909,   7, "[Ar] 3d10 4s2 4p5"},
    {"Kr", "krypton",      84,  83.911505,   83.8,     8, "[Ar] 3d10 4s2 4p6"},
    {"Rb", "rubidium",     85,  84.911799,   85.47,    1, "[Kr] 5s1"},
    {"Sr", "strontium",    88,  87.905628,   87.62,    2, "[Kr] 5s2"},
    {"Y",  "yttrium",      89,  88.905867,   88.905,   2, "[Kr] 4d1 5s2"},
    {"Zr", "zirconium",    90,  89.904711,   91.22,    2, "[Kr] 4d2 5s2"},
    {"Nb", "niobium",      93,  92.90638,    92.906,   1, "[Kr] 4d4 5s1"},
    {"Mo", "molybdenum",   98,  97.90541,    95.94,    1, "[Kr] 4d5 5s1"},
    {"Tc", "technetium",   97,  96.905,       0.0,     2, "[Kr] 4d6 5s1"},
    {"Ru", "ruthenium",   102, 101.904348,  101.07,    1, "[Kr] 4d7 5s1"},
    {"Rh", "rhodium",     103, 102.905512,  102.905,   1, "[Kr] 4d8 5s1"},
    {"Pd", "palladium",   106, 105.903487,  106.4,     0, "[Kr] 4d10"},
    {"Ag", "silver",      107, 106.905091,  107.87,    1, "[Kr] 4d10 5s1"},
    {"Cd", "cadmium",     114, 113.903367,  112.4,     2, "[Kr] 4d10 5s2"},
    {"In", "indium",      115, 114.903875,  114.82,    3, "[Kr] 4d10 5s2 5p1"},
    {"Sn", "tin",         120, 119.902207,  118.69,    4, "[Kr] 4d10 5s2 5p2"},
    {"Sb", "antimony",    121, 120.903822,  121.75,    5, "[Kr] 4d10 5s2 5p3"},
    {"Te", "tellurium",   130, 129.906232,  127.6,     6, "[Kr] 4d10 5s2 5p4"},
    {"I",  "iodine",      127, 126.904476,  126.9044,  7, "[Kr] 4d10 5s2 5p5"},
    {"Xe", "xenon",       132, 131.904157,  131.3,     8, "[Kr] 4d10 5s2 5p6"},
    {"Cs", "cesium",      133, 132.905436,  132.905,   1, "[Xe] 6s1"},
    {"Ba", "barium",      138, 137.905235,  137.34,    2, "[Xe] 6s2"},
    {"La", "lanthanum",   139, 138.906403,  138.91,    2, "[Xe] 5d1 6s2"},
    {"Ce", "cerium",      140, 139.905484,  140.12,    2, "[Xe] 4f2 6s2"},
    {"Pr", "praseodymium",141, 140.907698,  140.907,   2, "[Xe] 4f3 6s2"},
    {"Nd", "neodymium",   142, 141.907766,  144.24,    2, "[Xe] 4f4 6s2"},
    {"Pm", "prometium",   145, 144.907,       0.0,     2, "[Xe] 4f5 6s2"},
    {"Sm", "samarium",    152, 151.919755,  150.35,    2, "[Xe] 4f6 6s2"},
    {"Eu", "europium",    153, 152.92126,   151.96,    2, "[Xe] 4f7 6s2"},
    {"Gd", "gadolinium",  158, 157.924123,  157.25,    2, "[Xe] 4f7 5d1 6s2"},
    {"Tb", "terbium",     159, 158.925386,  158.924,   2, "[Xe] 4f9 6s2"},
    {"Dy", "dysprosium",  164, 163.929218,  162.5,     2, "[Xe] 4f10 6s2"},
    {"Ho", "holmium",     165, 164.930357,  164.93,    2, "[Xe] 4f11 6s2"},
    {"Er", "erbium",      166, 165.930324,  167.26,    2, "[Xe] 4f12 6s2"},
    {"Tm", "thulium",     169, 168.934245,  168.934,   2, "[Xe] 4f13 6s2"},
    {"Yb", "ytterbium",   174, 173.938881,  173.04,    2, "[Xe] 4f14 6s2"},
    {"Lu", "lutetium",    175, 174.940796,  174.97,    2, "[Xe] 4f14 5d1 6s2"},
    {"Hf", "hafnium",     180, 179.946575,  178.49,    2, "[Xe] 4f14 5d2 6s2"},
    {"Ta", "tantalum",    181, 180.948028,  180.948,   2, "[Xe] 4f14 5d3 6s2"},
    {"W",  "tungsten",    184, 183.950975,  183.85,    2, "[Xe] 4f14 5d4 6s2"},
    {"Re", "rhenium",     187, 186.955791,  186.2,     2, "[Xe] 4f14 5d5 6s2"},
    {"Os", "osmium",      192, 191.961514,  190.2,     2, "[Xe] 4f14 5d6 6s2"},
    {"Ir", "iridium",     193, 192.962964,  192.2,     2, "[Xe] 4f14 5d7 6s2"},
    {"Pt", "platinum",    195, 194.964804,  195.09,    1, "[Xe] 4f14 5d9 6s1"},
    {"Au", "gold",        197, 196.966548,  196.967,   1, "[Xe] 4f14 5d10 6s1"},
    {"Hg", "mercury",     202, 201.970643,  200.59,    2, "[Xe] 4f14 5d10 6s2"},
    {"Tl", "thallium",    205, 204.974438,  204.37,    3, "[Xe] 4f14 5d10 6s2 6p1"},
    {"Pb", "lead",        208, 207.976658,  207.19,    4, "[Xe] 4f14 5d10 6s2 6p2"},
    {"Bi", "bismuth",     209, 208.980401,  208.98,    5, "[Xe] 4f14 5d10 6s2 6p3"},
    {"Po", "polonium",    209, 208.9825,      0.0,     6, "[Xe] 4f14 5d10 6s2 6p4"},
    {"At", "astatine",    211, 210.9875,      0.0,     7, "[Xe] 4f14 5d10 6s2 6p5"},
    {"Rn", "radon",       222, 222.0175,      0.0,     8, "[Xe] 4f14 5d10 6s2 6p6"},
    {"Fr", "francium",    223, 223.0198,      0.0,     1, "[Rn] 7s1"},
    {"Ra", "radium",      226, 226.0254,      0.0,     2, "[Rn] 7s2"},
    {"Ac", "actinum",     227, 227.0278,      0.0,     2, "[Rn] 6d1 7s2"},
    {"Th", "thorium",     232, 232.038074,  232.038,   2, "[Rn] 6d2 7s2"},
    {"Pa", "protactinium",230, 230.0,         0.0,     2, "[Rn] 5f2 6d1 7s2"},
    {"U",  "uranium",     238, 238.050816,  238.03,    2, "[Rn] 5f3 6d1 7s2"},
    {"Np", "neptunium",   237, 237.048,       0.0,     2, "[Rn] 5f4 6d1 7s2"},
    {"Pu", "plutonium",   244, 244.06,        0.0,     2, "[Rn] 5f6 7s2"},
    {"Am", "americium",   243, 243.0614,      0.0,     2, "[Rn] 5f7 7s2"},
    {"Cm", "curium",      247, 247.07,        0.0,     2, "[Rn] 5f7 6d1 7s2"},
    {"Bk", "berkelium",   247, 247.0702,      0.0,     2, "[Rn] 5f9 7s2"},
    {"Cf", "californium", 251, 251.079,       0.0,     2, "[Rn] 5f10 7s2"},
    {"Es", "einsteinium", 254, 254.0881,      0.0,     2, "[Rn] 5f11 7s2"},
    {"Fm", "fermium",     257, 257.093,       0.0,     2, "[Rn] 5f12 7s2"},
    {"Md", "mendelevium", 257, 257.094,       0.0,     2, "[Rn] 5f13 7s2"},
    {"No", "nobelium",    255, 255.02,        0.0,     2, "[Rn] 5f14 7s2"},
    {"Lr", "lawrencium",  256, 256.02,        0.0,     2, "[Rn] 5f14 6d1 7s2"},
}};

// Van der Waals radii in hundredths of an angstrom for Z = 0..53 (0: unknown).
constexpr int kVdwMaxZ = 53;
constexpr std::array<int, kVdwMaxZ + 1> kVdwRadius = {
    0,
    120,   0,   0,   0,  98, 180, 150, 140, 135,   0,  //  1..10
      0,   0,   0, 138, 190, 185, 180,   0,   0,   0,  // 11..20
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 21..30
      0,   0, 200, 200, 195,   0,   0,   0,   0,   0,  // 31..40
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 41..50
    220, 220, 215,                                     // 51..53
};

// K-alpha, L-alpha and M-alpha energies in keV for Z = 4..92 (0: no line).
constexpr int kXrayMinZ = 4;
constexpr int kXrayMaxZ = 92;
constexpr std::array<std::array<double, 3>, kXrayMaxZ - kXrayMinZ + 1> kXrayLines = {{
    {0.11, 0, 0},    {0.183, 0, 0},   {0.277, 0, 0},   {0.392, 0, 0},      // Be B C N
    {0.525, 0, 0},   {0.677, 0, 0},   {0.848, 0, 0},   {1.041, 0, 0},      // O F Ne Na
    {1.253, 0, 0},   {1.486, 0, 0},   {1.739, 0, 0},   {2.013, 0, 0},      // Mg Al Si P
    {2.307, 0, 0},   {2.621, 0, 0},   {2.957, 0, 0},   {3.312, 0, 0},      // S Cl Ar K
    {3.69, 0, 0},                                                          // Ca
    {4.088, 0.395, 0},  {4.508, 0.452, 0},  {4.949, 0.511, 0},             // Sc Ti V
    {5.411, 0.573, 0},  {5.894, 0.637, 0},  {6.398, 0.705, 0},             // Cr Mn Fe
    {6.924, 0.776, 0},  {7.471, 0.851, 0},  {8.04, 0.93, 0},               // Co Ni Cu
    {8.63, 1.012, 0},   {9.241, 1.098, 0},  {9.874, 1.188, 0},             // Zn Ga Ge
    {10.53, 1.282, 0},  {11.207, 1.379, 0}, {11.907, 1.48, 0},             // As Se Br
    {12.631, 1.586, 0}, {13.373, 1.694, 0}, {14.14, 1.806, 0},             // Kr Rb Sr
    {14.931, 1.922, 0}, {15.744, 2.042, 0}, {16.581, 2.166, 0},            // Y Zr Nb
    {17.441, 2.293, 0}, {18.325, 2.424, 0}, {19.233, 2.558, 0},            // Mo Tc Ru
    {0, 2.696, 0},      {0, 2.838, 0},      {0, 2.984, 0},                 // Rh Pd Ag
    {0, 3.133, 0},      {0, 3.286, 0.368},  {0, 3.443, 0.691},             // Cd In Sn
    {0, 3.604, 0.733},  {0, 3.769, 0.778},  {0, 3.937, 0},                 // Sb Te I
    {0, 4.109, 0},      {0, 4.286, 0},      {0, 4.465, 0.972},             // Xe Cs Ba
    {0, 4.65, 0.833},   {0, 4.839, 0.883},  {0, 5.033, 0.929},             // La Ce Pr
    {0, 5.229, 0.978},  {0, 5.432, 0},      {0, 5.635, 1.081},             // Nd Pm Sm
    {0, 5.845, 1.131},  {0, 6.056, 1.185},  {0, 6.272, 1.24},              // Eu Gd Tb
    {0, 6.494, 1.293},  {0, 6.719, 1.347},  {0, 6.947, 1.405},             // Dy Ho Er
    {0, 7.179, 1.462},  {0, 7.414, 1.521},  {0, 7.654, 1.581},             // Tm Yb Lu
    {0, 7.898, 1.644},  {0, 8.145, 1.709},  {0, 8.396, 1.774},             // Hf Ta W
    {0, 8.651, 1.842},  {0, 8.91, 1.914},   {0, 9.174, 1.977},             // Re Os Ir
    {0, 9.441, 2.048},  {0, 9.712, 2.12},   {0, 9.987, 2.195},             // Pt Au Hg
    {0, 10.267, 2.267}, {0, 10.55, 2.342},  {0, 10.837, 2.419},            // Tl Pb Bi
    {0, 11.129, 0},     {0, 11.425, 0},     {0, 11.725, 0},                // Po At Rn
    {0, 12.029, 0},     {0, 12.34, 0},      {0, 12.65, 0},                 // Fr Ra Ac
    {0, 12.967, 2.991}, {0, 13.288, 3.077}, {0, 13.612, 3.164},            // Th Pa U
}};

// The periodic system: rows 0..6 the periods, 7 the lanthanides Ce..Lu, 8
// the actinides Th..Lr.
constexpr std::array<std::array<int, kPerSysCols>, kPerSysRows> kPerSys = {{
    { 1,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   2},
    { 3,  4,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  5,  6,  7,  8,  9,  10},
    {11, 12,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 13, 14, 15, 16, 17,  18},
    {19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,  36},
    {37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53,  54},
    {55, 56, 57, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85,  86},
    {87, 88, 89,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,   0},
    { 0,  0,  0,  0, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70,  71},
    { 0,  0,  0,  0, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103},
}};

// Fragment k is coded by the byte 127 + k; longer fragments come before the
// shorter ones they contain.
constexpr std::array<std::string_view, kChemNameFragments> kFragments = {
    "benzoyl", "deutero", "methoxy", "hydroxy", "bicyclo", "aldehyd", "phospho", "carboxy",
    "mercapt", "salicyl", "benzyl",  "methyl",  "propyl",  "naphth",  "ethoxy",  "sulfid",
    "phenyl",  "acetyl",  "formyl",  "anthra",  "chinon",  "pentyl",  "heptyl",  "saeure",
    "nitril",  "nitrid",  "phosph",  "sulfon",  "pyrrol",  "phthal",  "styrol",  "erythr",
    "butyl",   "ethyl",   "indol",   "nitro",   "amino",   "chlor",   "ether",   "fluor",
    "allyl",   "tetra",   "penta",   "hepta",   "furan",   "hydro",   "cyano",   "hexyl",
    "octyl",   "epoxy",   "cyclo",   "ester",   "inden",   "pyren",   "lacto",   "menth",
    "silic",   "quino",   "piper",   "malon",   "stear",   "xanth",   "xylol",   "vinyl",
    "ortho",   "ammon",   "thren",   "alpha",   "gamma",   "gluc",    "brom",    "imid",
    "mono",    "hexa",    "octa",    "nona",    "deca",    "glyc",    "thio",    "carb",
    "oxim",    "dien",    "semi",    "acid",    "tolu",    "tert",    "anil",    "para",
    "meta",    "acet",    "pyri",    "oxid",    "amid",    "amin",    "phen",    "benz",
    "oxal",    "keto",    "prop",    "tere",    "prog",    "terp",    "quin",    "meth",
    "imin",    "fruc",    "ilid",    "hydr",    "beta",    "oxy",     "per",     "ose",
    "oyl",     "iod",     "lin",     "sil",     "tri",     "iso",     "oxo",     "bis",
    "azo",     "yl",      "on",      "en",      "an",      "ol",      "di",      "in",
};
// clang-format on

// Marks the next byte of a compressed name as itself, not a fragment code.
constexpr char kEscape = '\x7F';
constexpr unsigned char kFirstCode = 128;

// The grid cell of each element, row-major index, found once.
constexpr std::array<int, kMaxAtomicNumber + 1> kPerSysCell = [] {
  std::array<int, kMaxAtomicNumber + 1> cell{};
  for (int i = kPerSysRows * kPerSysCols - 1; i >= 0; --i) {  // the first cell wins
    const int z =
        kPerSys[static_cast<size_t>(i / kPerSysCols)][static_cast<size_t>(i % kPerSysCols)];
    if (z > 0) cell[static_cast<size_t>(z)] = i;
  }
  return cell;
}();

// Symbols of one capital and at most one small letter, by (capital, small or
// none): 26 x 27 slots holding Z, 0 where no element has that symbol.
constexpr int kSymbolSlots = 26 * 27;
constexpr int SymbolSlot(char first, char second) {
  return (first - 'A') * 27 + (second == 0 ? 0 : second - 'a' + 1);
}
constexpr std::array<int, kSymbolSlots> kSymbolIndex = [] {
  std::array<int, kSymbolSlots> index{};
  for (int z = kMaxAtomicNumber; z >= 1; --z) {  // the lowest Z wins
    const std::string_view s = kElements[static_cast<size_t>(z - 1)].Symbol;
    index[static_cast<size_t>(SymbolSlot(s[0], s.size() > 1 ? s[1] : 0))] = z;
  }
  return index;
}();

bool InTable(int Z) { return Z >= 1 && Z <= kMaxAtomicNumber; }

const ElementRow& Row(int Z) { return kElements[static_cast<size_t>(Z - 1)]; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string CElemSymb(int Z) { return InTable(Z) ? std::string(Row(Z).Symbol) : std::string(); }

std::string CElemName(int Z) { return InTable(Z) ? std::string(Row(Z).Name) : std::string(); }

int AtomicNumber(std::string_view Symb) {
  if (Symb.empty() || Symb.size() > 2) return 0;
  const char first = Symb[0];
  const char second = Symb.size() > 1 ? Symb[1] : 0;
  if (first < 'A' || first > 'Z') return 0;
  if (second != 0 && (second < 'a' || second > 'z')) return 0;
  return kSymbolIndex[static_cast<size_t>(SymbolSlot(first, second))];
}

int IntAtWeight(int Z) { return InTable(Z) ? Row(Z).NominalMass : 0; }

double ExactAtWeight(int Z) { return InTable(Z) ? Row(Z).ExactMass : 0.0; }

double ChemAtWeight(int Z) { return InTable(Z) ? Row(Z).ChemWeight : 0.0; }

double VDWRadius(int Z) {
  if (Z < 1 || Z > kVdwMaxZ) return 0.0;
  return kVdwRadius[static_cast<size_t>(Z)] * 0.01;
}

int NumOuterElectrons(int Z) { return InTable(Z) ? Row(Z).OuterElectrons : 0; }

std::string ShortElectronConfig(int Z) {
  return InTable(Z) ? std::string(Row(Z).Config) : std::string();
}

std::string FullElectronConfig(int Z) {
  struct Core {
    std::string_view Bracket;
    std::string_view Shells;
  };
  static constexpr std::array<Core, 6> kCores = {{
      {"[He]", "1s2"},
      {"[Ne]", "1s2 2s2 2p6"},
      {"[Ar]", "1s2 2s2 2p6 3s2 3p6"},
      {"[Kr]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6"},
      {"[Xe]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6"},
      {"[Rn]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6"},
  }};
  if (!InTable(Z)) return std::string();
  const std::string_view config = Row(Z).Config;
  for (const Core& core : kCores) {
    if (config.starts_with(core.Bracket)) {
      const std::string_view rest = config.substr(core.Bracket.size());
      std::string full;
      full.reserve(core.Shells.size() + rest.size());
      full.append(core.Shells).append(rest);
      return full;
    }
  }
  return std::string(config);
}

int PerSysElement(int Col, int Row) {
  if (Col < 0 || Col >= kPerSysCols || Row < 0 || Row >= kPerSysRows) return 0;
  return kPerSys[static_cast<size_t>(Row)][static_cast<size_t>(Col)];
}

void PerSysCoord(int Z, int& Col, int& Row) {
  Col = 0;
  Row = 0;
  if (!InTable(Z)) return;
  const int cell = kPerSysCell[static_cast<size_t>(Z)];
  Col = cell % kPerSysCols;
  Row = cell / kPerSysCols;
}

int GetEDXLines(int Z, double& KAlpha, double& LAlpha, double& MAlpha) {
  KAlpha = LAlpha = MAlpha = 0.0;
  if (Z < kXrayMinZ || Z > kXrayMaxZ) return -1;
  const auto& lines = kXrayLines[static_cast<size_t>(Z - kXrayMinZ)];
  KAlpha = lines[0];
  LAlpha = lines[1];
  MAlpha = lines[2];
  return (KAlpha > 0) + (LAlpha > 0) + (MAlpha > 0);
}

int GetEDXLines(double LowEnergy, double HighEnergy, TDoubleArray& Energies, TIntArray& AtNums) {
  // Room for every line of the table (147 of them).
  constexpr size_t kRoom = 184;
  Energies.clear();
  AtNums.clear();
  Energies.reserve(kRoom);
  AtNums.reserve(kRoom);
  for (int z = kXrayMinZ; z <= kXrayMaxZ; ++z) {
    for (const double e : kXrayLines[static_cast<size_t>(z - kXrayMinZ)]) {
      if (e > 0 && LowEnergy <= e && e <= HighEnergy) {
        Energies.push_back(e);
        AtNums.push_back(z);
      }
    }
  }
  // Ascending energies, the atomic numbers kept beside their lines (the sort
  // is stable: equal energies stay in the order of Z).
  TIntArray index;
  SortArray(true, Energies, index);
  ReorderByIndex(AtNums, index);
  return static_cast<int>(Energies.size());
}

bool CheckCASNr(int64_t CASNr) {
  if (CASNr < 0) return false;
  if (CASNr < 10) return CASNr == 0;
  const int check = static_cast<int>(CASNr % 10);
  int sum = 0;
  int weight = 1;
  for (int64_t rest = CASNr / 10; rest > 0; rest /= 10, ++weight)
    sum += static_cast<int>(rest % 10) * weight;
  return sum % 10 == check;
}

std::string FormatCASNr(int64_t CASNr) {
  if (CASNr < 0) return std::string();
  std::string digits = std::to_string(CASNr);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  digits.insert(digits.size() - 1, 1, '-');
  digits.insert(digits.size() - 4, 1, '-');
  return digits;
}

bool ConvertStrToCASNr(std::string_view Text, int64_t& CASNr) {
  const size_t first = Text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const std::string_view s = Text.substr(first, Text.find_last_not_of(' ') - first + 1);
  // "digits-dd-d": the hyphens at s.size() - 5 and s.size() - 2.
  if (s.size() < 5) return false;
  const size_t h1 = s.size() - 5;
  const size_t h2 = s.size() - 2;
  if (s[h1] != '-' || s[h2] != '-') return false;
  // At most 18 digits always fit a 64-bit integer.
  constexpr size_t kMaxDigits = 18;
  if (s.size() - 2 > kMaxDigits) return false;
  int64_t value = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (i == h1 || i == h2) continue;
    if (!IsDigit(s[i])) return false;  // a third hyphen, a sign, a blank, a letter
    value = value * 10 + (s[i] - '0');
  }
  CASNr = value;
  return CheckCASNr(value);
}

std::string ChemNameFragment(int k) {
  if (k < 1 || k > kChemNameFragments) return std::string();
  return std::string(kFragments[static_cast<size_t>(k - 1)]);
}

std::string CompressChemName(std::string_view Name) {
  const std::string lower = AnsiLowerCase(Name);
  // Bytes that could be taken for codes are escaped first; the fragments are
  // lower-case ASCII letters, so no match can take in an escape or its byte.
  std::string s;
  s.reserve(lower.size());
  for (const char c : lower) {
    if (c == kEscape || static_cast<unsigned char>(c) >= kFirstCode) s += kEscape;
    s += c;
  }
  // Each fragment in turn replaces its occurrences from the left; a code byte
  // never belongs to a later match, so one pass per fragment is enough.
  std::string next;
  for (size_t k = 0; k < kFragments.size(); ++k) {
    const std::string_view frag = kFragments[k];
    size_t at = s.find(frag);
    if (at == std::string::npos) continue;
    next.clear();
    size_t from = 0;
    for (; at != std::string::npos; at = s.find(frag, from)) {
      next.append(s, from, at - from);
      next += static_cast<char>(kFirstCode + k);
      from = at + frag.size();
    }
    next.append(s, from, std::string::npos);
    s.swap(next);
  }
  return s;
}

std::string DeCompressChemName(std::string_view Compressed) {
  std::string out;
  out.reserve(Compressed.size() * 2);
  for (size_t i = 0; i < Compressed.size(); ++i) {
    const char c = Compressed[i];
    if (c == kEscape && i + 1 < Compressed.size()) {
      out += Compressed[++i];
    } else if (static_cast<unsigned char>(c) >= kFirstCode) {
      out += kFragments[static_cast<unsigned char>(c) - kFirstCode];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tkz
