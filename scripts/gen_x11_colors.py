#!/usr/bin/env python3
"""Writes core/colour/tkzcolors_names.cpp, the named-colour tables of tkzcolors.

The values come from the X11 colour database (rgb.txt, Debian package
x11-common), matched to our names without regard to case or blanks
("GoldenRod" is rgb.txt's "goldenrod", "NavyBlue" its "navy blue"). A few rows
deliberately differ from X11 (EXCEPTIONS), a few names are not X11 names at all
or are missing from older copies of rgb.txt (EXTRA_ROWS). Any other name that
rgb.txt does not define stops the script with an error.

    scripts/gen_x11_colors.py [--rgb /usr/share/X11/rgb.txt] [--out core/colour/tkzcolors_names.cpp]

The generated source is committed; the build does not read rgb.txt.
"""

import argparse
import pathlib
import sys

# Table order of AllTKZColors / AllTKZColorNames (466 names).
ALL_NAMES = [
    "Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Gray", "Silver", "Red",
    "Lime", "Yellow", "Blue", "Fuchsia", "Aqua", "White", "MoneyGreen", "Cream", "MedGray",
    "AliceBlue", "AntiqueWhite", "AntiqueWhite1", "AntiqueWhite2", "AntiqueWhite3",
    "AntiqueWhite4", "Aquamarine", "Aquamarine1", "Aquamarine2", "Aquamarine3", "Aquamarine4",
    "Azure", "Azure1", "Azure2", "Azure3", "Azure4", "Beige", "Bisque", "Bisque1", "Bisque2",
    "Bisque3", "Bisque4", "BlanchedAlmond", "Blue1", "Blue2", "Blue3", "Blue4", "BlueViolet",
    "Bronze", "Brown", "Brown1", "Brown2", "Brown3", "Brown4", "BurlyWood", "BurlyWood1",
    "BurlyWood2", "BurlyWood3", "BurlyWood4", "CadetBlue", "CadetBlue1", "CadetBlue2",
    "CadetBlue3", "CadetBlue4", "Carbon", "Chartreuse", "Chartreuse1", "Chartreuse2",
    "Chartreuse3", "Chartreuse4", "Chocolate", "Chocolate1", "Chocolate2", "Chocolate3",
    "Chocolate4", "Coral", "Coral1", "Coral2", "Coral3", "Coral4", "CornflowerBlue",
    "CornSilk", "CornSilk1", "CornSilk2", "CornSilk3", "CornSilk4", "Crimson", "Cyan", "Cyan1",
    "Cyan2", "Cyan3", "Cyan4", "DarkBlue", "DarkCyan", "DarkGoldenRod", "DarkGoldenRod1",
    "DarkGoldenRod2", "DarkGoldenRod3", "DarkGoldenRod4", "DarkGray", "DarkGreen", "DarkKhaki",
    "DarkMagenta", "DarkOliveGreen", "DarkOliveGreen1", "DarkOliveGreen2", "DarkOliveGreen3",
    "DarkOliveGreen4", "DarkOrange", "DarkOrange1", "DarkOrange2", "DarkOrange3",
    "DarkOrange4", "DarkOrchid", "DarkOrchid1", "DarkOrchid2", "DarkOrchid3", "DarkOrchid4",
    "DarkRed", "DarkSalmon", "DarkSeaGreen", "DarkSeaGreen1", "DarkSeaGreen2", "DarkSeaGreen3",
    "DarkSeaGreen4", "DarkSlateBlue", "DarkSlateGray", "DarkSlateGray1", "DarkSlateGray2",
    "DarkSlateGray3", "DarkSlateGray4", "DarkTurquoise", "DarkViolet", "DeepPink", "DeepPink1",
    "DeepPink2", "DeepPink3", "DeepPink4", "DeepSkyBlue", "DeepSkyBlue1", "DeepSkyBlue2",
    "DeepSkyBlue3", "DeepSkyBlue4", "DimGray", "DodgerBlue", "DodgerBlue1", "DodgerBlue2",
    "DodgerBlue3", "DodgerBlue4", "FireBrick", "FireBrick1", "FireBrick2", "FireBrick3",
    "FireBrick4", "FloralWhite", "ForestGreen", "Gainsboro", "GhostWhite", "Gold", "Gold1",
    "Gold2", "Gold3", "Gold4", "GoldenRod", "GoldenRod1", "GoldenRod2", "GoldenRod3",
    "GoldenRod4", "Green1", "Green2", "Green3", "Green4", "GreenYellow", "HoneyDew",
    "HoneyDew1", "HoneyDew2", "HoneyDew3", "HoneyDew4", "HotPink", "HotPink1", "HotPink2",
    "HotPink3", "HotPink4", "IndianRed", "IndianRed1", "IndianRed2", "IndianRed3",
    "IndianRed4", "Indigo", "Ivory", "Ivory1", "Ivory2", "Ivory3", "Ivory4", "Khaki", "Khaki1",
    "Khaki2", "Khaki3", "Khaki4", "Lavender", "LavenderBlush", "LavenderBlush1",
    "LavenderBlush2", "LavenderBlush3", "LavenderBlush4", "LawnGreen", "LemonChiffon",
    "LemonChiffon1", "LemonChiffon2", "LemonChiffon3", "LemonChiffon4", "LightBlue",
    "LightBlue1", "LightBlue2", "LightBlue3", "LightBlue4", "LightCoral", "LightCyan",
    "LightCyan1", "LightCyan2", "LightCyan3", "LightCyan4", "LightGoldenRod",
    "LightGoldenRod1", "LightGoldenRod2", "LightGoldenRod3", "LightGoldenRod4",
    "LightGoldenRodYellow", "LightGray", "LightGreen", "LightPink", "LightPink1", "LightPink2",
    "LightPink3", "LightPink4", "LightSalmon", "LightSalmon1", "LightSalmon2", "LightSalmon3",
    "LightSalmon4", "LightSeaGreen", "LightSkyBlue", "LightSkyBlue1", "LightSkyBlue2",
    "LightSkyBlue3", "LightSkyBlue4", "LightSlateBlue", "LightSlateGray", "LightSteelBlue",
    "LightSteelBlue1", "LightSteelBlue2", "LightSteelBlue3", "LightSteelBlue4", "LightYellow",
    "LightYellow1", "LightYellow2", "LightYellow3", "LightYellow4", "LimeGreen", "Linen",
    "Magenta", "Magenta1", "Magenta2", "Magenta3", "Magenta4", "Maroon1", "Maroon2", "Maroon3",
    "Maroon4", "MediumAquamarine", "MediumBlue", "MediumOrchid", "MediumOrchid1",
    "MediumOrchid2", "MediumOrchid3", "MediumOrchid4", "MediumPurple", "MediumPurple1",
    "MediumPurple2", "MediumPurple3", "MediumPurple4", "MediumSeaGreen", "MediumSlateBlue",
    "MediumSpringGreen", "MediumTurquoise", "MediumVioletRed", "MidnightBlue", "MintCream",
    "MistyRose", "MistyRose1", "MistyRose2", "MistyRose3", "MistyRose4", "Moccasin",
    "NavajoWhite", "NavajoWhite1", "NavajoWhite2", "NavajoWhite3", "NavajoWhite4", "NavyBlue",
    "OldLace", "OliveDrab", "OliveDrab1", "OliveDrab2", "OliveDrab3", "OliveDrab4", "Orange",
    "Orange1", "Orange2", "Orange3", "Orange4", "OrangeRed", "OrangeRed1", "OrangeRed2",
    "OrangeRed3", "OrangeRed4", "Orchid", "Orchid1", "Orchid2", "Orchid3", "Orchid4",
    "PaleGoldenRod", "PaleGreen", "PaleGreen1", "PaleGreen2", "PaleGreen3", "PaleGreen4",
    "PaleTurquoise", "PaleTurquoise1", "PaleTurquoise2", "PaleTurquoise3", "PaleTurquoise4",
    "PaleVioletRed", "PaleVioletRed1", "PaleVioletRed2", "PaleVioletRed3", "PaleVioletRed4",
    "PapayaWhip", "PeachPuff", "PeachPuff1", "PeachPuff2", "PeachPuff3", "PeachPuff4", "Peru",
    "Pink", "Pink1", "Pink2", "Pink3", "Pink4", "Plum", "Plum1", "Plum2", "Plum3", "Plum4",
    "PowderBlue", "Purple1", "Purple2", "Purple3", "Purple4", "RebeccaPurple", "Red1", "Red2",
    "Red3", "Red4", "RosyBrown", "RosyBrown1", "RosyBrown2", "RosyBrown3", "RosyBrown4",
    "RoyalBlue", "RoyalBlue1", "RoyalBlue2", "RoyalBlue3", "RoyalBlue4", "SaddleBrown",
    "Salmon", "Salmon1", "Salmon2", "Salmon3", "Salmon4", "SandyBrown", "SeaGreen",
    "SeaGreen1", "SeaGreen2", "SeaGreen3", "SeaGreen4", "SeaShell", "SeaShell1", "SeaShell2",
    "SeaShell3", "SeaShell4", "Sienna", "Sienna1", "Sienna2", "Sienna3", "Sienna4", "SkyBlue",
    "SkyBlue1", "SkyBlue2", "SkyBlue3", "SkyBlue4", "SlateBlue", "SlateBlue1", "SlateBlue2",
    "SlateBlue3", "SlateBlue4", "SlateGray", "SlateGray1", "SlateGray2", "SlateGray3",
    "SlateGray4", "Snow", "Snow1", "Snow2", "Snow3", "Snow4", "SpringGreen", "SpringGreen1",
    "SpringGreen2", "SpringGreen3", "SpringGreen4", "SteelBlue", "SteelBlue1", "SteelBlue2",
    "SteelBlue3", "SteelBlue4", "Tan", "Tan1", "Tan2", "Tan3", "Tan4", "Thistle", "Thistle1",
    "Thistle2", "Thistle3", "Thistle4", "Tomato", "Tomato1", "Tomato2", "Tomato3", "Tomato4",
    "Turquoise", "Turquoise1", "Turquoise2", "Turquoise3", "Turquoise4", "Violet", "VioletRed",
    "VioletRed1", "VioletRed2", "VioletRed3", "VioletRed4", "WebGray", "WebGreen", "WebMaroon",
    "WebPurple", "Wheat", "Wheat1", "Wheat2", "Wheat3", "Wheat4", "WhiteSmoke", "Yellow1",
    "Yellow2", "Yellow3", "Yellow4", "YellowGreen",]

# Order of X11Colors (145 names, each also in ALL_NAMES).
X11_NAMES = [
    "AliceBlue", "AntiqueWhite", "Aqua", "Aquamarine", "Azure", "Beige", "Bisque", "Black",
    "BlanchedAlmond", "Blue", "BlueViolet", "Brown", "BurlyWood", "CadetBlue", "Chartreuse",
    "Chocolate", "Coral", "CornflowerBlue", "CornSilk", "Crimson", "Cyan", "DarkBlue",
    "DarkCyan", "DarkGoldenRod", "DarkGray", "DarkGreen", "DarkKhaki", "DarkMagenta",
    "DarkOliveGreen", "DarkOrange", "DarkOrchid", "DarkRed", "DarkSalmon", "DarkSeaGreen",
    "DarkSlateBlue", "DarkSlateGray", "DarkTurquoise", "DarkViolet", "DeepPink", "DeepSkyBlue",
    "DimGray", "DodgerBlue", "FireBrick", "FloralWhite", "ForestGreen", "Fuchsia", "Gainsboro",
    "GhostWhite", "Gold", "GoldenRod", "Gray", "Green", "GreenYellow", "HoneyDew", "HotPink",
    "IndianRed", "Indigo", "Ivory", "Khaki", "Lavender", "LavenderBlush", "LawnGreen",
    "LemonChiffon", "LightBlue", "LightCoral", "LightCyan", "LightGoldenRod", "LightGray",
    "LightGreen", "LightPink", "LightSalmon", "LightSeaGreen", "LightSkyBlue",
    "LightSlateBlue", "LightSlateGray", "LightSteelBlue", "LightYellow", "Lime", "LimeGreen",
    "Linen", "Magenta", "Maroon", "MediumAquamarine", "MediumBlue", "MediumOrchid",
    "MediumPurple", "MediumSeaGreen", "MediumSlateBlue", "MediumSpringGreen",
    "MediumTurquoise", "MediumVioletRed", "MidnightBlue", "MintCream", "MistyRose", "Moccasin",
    "NavajoWhite", "Navy", "OldLace", "Olive", "OliveDrab", "Orange", "OrangeRed", "Orchid",
    "PaleGoldenRod", "PaleGreen", "PaleTurquoise", "PaleVioletRed", "PapayaWhip", "PeachPuff",
    "Peru", "Pink", "Plum", "PowderBlue", "Purple", "RebeccaPurple", "Red", "RosyBrown",
    "RoyalBlue", "SaddleBrown", "Salmon", "SandyBrown", "SeaGreen", "SeaShell", "Sienna",
    "Silver", "SkyBlue", "SlateBlue", "SlateGray", "Snow", "SpringGreen", "SteelBlue", "Tan",
    "Thistle", "Tomato", "Turquoise", "Violet", "WebGray", "WebGreen", "WebMaroon",
    "WebPurple", "Wheat", "White", "WhiteSmoke", "Yellow", "YellowGreen",]

# Rows whose value is ours although rgb.txt defines the name: the classic
# 16-colour palette takes precedence for the basic names, and the two sky
# blues keep the values of the platform's palette.
EXCEPTIONS = {
    "Gray": (128, 128, 128),
    "Green": (0, 128, 0),
    "Maroon": (128, 0, 0),
    "Purple": (128, 0, 128),
    "SkyBlue": (166, 202, 240),
    "SkyBlue1": (135, 206, 235),
}

# Rows for names that rgb.txt may lack: the basic palette colours and the
# platform's own extra colours, which are not X11 names, and the X11 names
# that newer X.Org databases added (web colours, Crimson, Indigo,
# RebeccaPurple). Where rgb.txt does define one of them, it must agree.
EXTRA_ROWS = {
    "Olive": (128, 128, 0),
    "Teal": (0, 128, 128),
    "Silver": (192, 192, 192),
    "Lime": (0, 255, 0),
    "Fuchsia": (255, 0, 255),
    "Aqua": (0, 255, 255),
    "MoneyGreen": (192, 220, 192),
    "Cream": (255, 251, 240),
    "MedGray": (160, 160, 164),
    "Bronze": (153, 136, 119),
    "Carbon": (34, 34, 34),
    "Crimson": (220, 20, 60),
    "Indigo": (75, 0, 130),
    "RebeccaPurple": (102, 51, 153),
    "WebGray": (128, 128, 128),
    "WebGreen": (0, 128, 0),
    "WebMaroon": (128, 0, 0),
    "WebPurple": (128, 0, 128),
}

# The 16 basic colours must come out with these values whatever the source.
BASIC = {
    "Black": (0, 0, 0), "Maroon": (128, 0, 0), "Green": (0, 128, 0), "Olive": (128, 128, 0),
    "Navy": (0, 0, 128), "Purple": (128, 0, 128), "Teal": (0, 128, 128),
    "Gray": (128, 128, 128), "Silver": (192, 192, 192), "Red": (255, 0, 0),
    "Lime": (0, 255, 0), "Yellow": (255, 255, 0), "Blue": (0, 0, 255),
    "Fuchsia": (255, 0, 255), "Aqua": (0, 255, 255), "White": (255, 255, 255),
}

# PredefinedColors: these named colours, then the symbolic platform colours
# (0xFF000000 + system-colour index, and the markers clDefault, clNone).
PREDEFINED_NAMES = list(BASIC) + ["MoneyGreen", "SkyBlue", "Cream", "MedGray"]
PREDEFINED_SYMBOLIC = [
    0xFF00000A, 0xFF000002, 0xFF00000C, 0xFF000001, 0xFF00000F, 0xFF000014, 0xFF000010,
    0xFF000012, 0xFF000009, 0x20000000, 0xFF000011, 0xFF00000D, 0xFF00000E, 0xFF00000B,
    0xFF000003, 0xFF000013, 0xFF000018, 0xFF000017, 0xFF000004, 0xFF000007, 0x1FFFFFFF,
    0xFF000000, 0xFF000015, 0xFF000016, 0xFF000005, 0xFF000006, 0xFF000008,
]


def key(name):
    return name.replace(" ", "").lower()


def read_rgb(path):
    """rgb.txt as {key: (r, g, b)}; fails on conflicting spellings."""
    table = {}
    for number, line in enumerate(path.read_text(encoding="latin-1").splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("!"):
            continue
        parts = line.split()
        if len(parts) < 4:
            sys.exit(f"{path}:{number}: cannot read {line!r}")
        rgb = tuple(int(p) for p in parts[:3])
        k = key(" ".join(parts[3:]))
        if table.setdefault(k, rgb) != rgb:
            sys.exit(f"{path}:{number}: {k} defined twice with different values")
    return table


def resolve(rgb):
    values = {}
    unresolved = []
    for name in ALL_NAMES:
        x11 = rgb.get(key(name))
        if name in EXCEPTIONS:
            values[name] = EXCEPTIONS[name]
        elif name in EXTRA_ROWS:
            if x11 is not None and x11 != EXTRA_ROWS[name]:
                sys.exit(f"{name}: rgb.txt gives {x11}, our row {EXTRA_ROWS[name]}")
            values[name] = EXTRA_ROWS[name]
        elif x11 is not None:
            values[name] = x11
        else:
            unresolved.append(name)
    if unresolved:
        sys.exit("not in rgb.txt and no explicit row: " + ", ".join(unresolved))
    for name, rgb_value in BASIC.items():
        if values[name] != rgb_value:
            sys.exit(f"basic colour {name} came out as {values[name]}")
    return values


def colour(rgb):
    r, g, b = rgb
    return f"0x{b:02X}{g:02X}{r:02X}"


def generate(values):
    out = [
        "// Named-colour tables of tkzcolors. Generated by scripts/gen_x11_colors.py",
        "// from the X11 colour database (rgb.txt); do not edit by hand.",
        "#include \"core/colour/tkzcolors.h\"",
        "",
        "namespace tkz {",
        "",
        f"const std::array<TColor, {len(ALL_NAMES)}> AllTKZColors = {{",
    ]
    out += [f"    {colour(values[n])},  // {n}" for n in ALL_NAMES]
    out += ["};", "", f"const std::array<std::string_view, {len(ALL_NAMES)}> AllTKZColorNames = {{"]
    out += [f"    \"{n}\"," for n in ALL_NAMES]
    out += ["};", "", f"const std::array<TColor, {len(X11_NAMES)}> X11Colors = {{"]
    out += [f"    {colour(values[n])},  // {n}" for n in X11_NAMES]
    total = len(PREDEFINED_NAMES) + len(PREDEFINED_SYMBOLIC)
    out += ["};", "", f"const std::array<TColor, {total}> PredefinedColors = {{"]
    out += [f"    {colour(values[n])},  // {n}" for n in PREDEFINED_NAMES]
    out += [f"    static_cast<TColor>(0x{v:08X}u)," for v in PREDEFINED_SYMBOLIC]
    out += ["};", "", "}  // namespace tkz", ""]
    return "\n".join(out)


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rgb", type=pathlib.Path, default=pathlib.Path("/usr/share/X11/rgb.txt"))
    parser.add_argument("--out", type=pathlib.Path,
                        default=root / "core" / "colour" / "tkzcolors_names.cpp")
    args = parser.parse_args()
    if len(ALL_NAMES) != 466 or len(set(ALL_NAMES)) != 466:
        sys.exit("ALL_NAMES must hold 466 distinct names")
    if len(X11_NAMES) != 145 or not set(X11_NAMES) <= set(ALL_NAMES):
        sys.exit("X11_NAMES must hold 145 names of ALL_NAMES")
    if not args.rgb.is_file():
        sys.exit(f"{args.rgb} not found (Debian package x11-common)")
    args.out.write_text(generate(resolve(read_rgb(args.rgb))), encoding="ascii")
    print(f"wrote {args.out}")


if __name__ == "__main__":
    main()
