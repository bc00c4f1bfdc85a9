// Shared vocabulary of all TKZ libraries: enumerations, dynamic array types,
// records, event signatures, the error hierarchy, the process-wide progress
// globals of long numeric loops, language tables and ResolveCSVDelimiter.
//
// Progress protocol of long numeric loops. Once per outer iteration a loop
//   1. adds 1.0 to ProcStat,
//   2. calls MathFeedBackProc(ProcStat) when it is set,
//   3. leaves at once, reporting failure, when AbortMathProc is true.
// No routine resets ProcStat or AbortMathProc; the application does.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"
#include "core/types/variant.h"

namespace tkz {

// ---------------------------------------------------------------- enumerations
enum TBkgFill : uint8_t { bfSimple, bfStretch, bfTile };
enum TBoundingBox : uint8_t { bbNone, bbFrame, bbFaces };
enum TColorScheme : uint8_t { csBWG, csSystem };
enum TDecPSep : uint8_t { dsSystem, dsDot, dsComma, dsBoth };
enum TFigType : uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
enum TScaleType : uint8_t { sctXB, sctXT, sctYL, sctYR };
enum TVerticalAlignment : uint8_t { vaTop, vaCenter, vaBottom };
enum TYearLength : uint8_t { ylNone, ylYY, ylYYYY };
enum TDateOrder : uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDateForTime : uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TShadowStyle : uint8_t { ssFlying, ssBox };
enum TFrameStyle : uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TDistMode : uint8_t { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
enum TTimeFormat : uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
enum TDirection : uint8_t { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TOrientation : uint8_t { orVert, orHoriz };
enum TEdgeOp : uint8_t { eopMin, eopMax, eopSum, eopMean };
enum TAxis : uint8_t { atXAxis, atYAxis, atZAxis };
enum TDims : uint8_t { dimX, dimY, dimL, dimT };
enum TTriState : uint8_t { tsFalse, tsTrue, tsUndefined };
enum TCrossHMode : uint8_t { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
enum TTxtLblAttachMode : uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode : uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TDegreeFormat : uint8_t { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };
enum TCSVDelimiters : uint8_t { csvUnknown, csvBlank, csvSemicolon, csvComma, csvColon, csvTab };
enum TZoomPanMode : uint8_t { zpmPan, zpmColZoomLeft, zpmColZoomRight };
enum TLanguage : uint8_t { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
enum TVarKind : uint8_t { rnum, dnum, snum, inum, lnum, Bool, strg };
enum TMouseBoxState : uint8_t { msNormal, msFirstCorner, msRectDraw, msFinished };
enum TMouseActMode : uint8_t {
  maNone,
  maPan,
  maPanHoriz,
  maPanVert,
  maPanGrid,
  maRubberBand,
  maZoom,
  maZoomWind,
  maZoomWindPos,
  maZoomDrag,
  maDragCrossH,
  maDragLabel,
  maRotate,
  maRotAndZoom,
  maRotXOnly,
  maRotZOnly,
  maSelectRect,
  maDrawMTrace,
  maZoomPanColors
};
enum TZoomState : uint8_t { zsNormal, zsDrawWin };

// ---------------------------------------------------------- dynamic arrays
using TSingleArray = std::vector<float>;
using TDoubleArray = std::vector<double>;
using TDouble2DArray = std::vector<TDoubleArray>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TIntArray = std::vector<int32_t>;
using TInt2DArray = std::vector<TIntArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TInt4DArray = std::vector<TInt3DArray>;
using TBoolArray = std::vector<uint8_t>;  // one byte per boolean, as stored
using TBool2DArray = std::vector<TBoolArray>;
using TStrArray = std::vector<std::string>;
using TStr2DArray = std::vector<TStrArray>;
using TVariantArray = std::vector<TVariant>;
using TBytes = std::vector<uint8_t>;
using TPIntArray = std::vector<TPoint>;
using TPDblArray = std::vector<TDPoint>;

// --------------------------------------------------------------- records
// A rectangle in real coordinates; Top is the upper Y bound and Bottom the
// lower one. A point is inside when Left < x < Right and Bottom < y < Top.
struct TKZ_COREKIT_EXPORT TRectDouble {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  bool Contains(double x, double y) const { return Left < x && x < Right && Bottom < y && y < Top; }
  friend bool operator==(const TRectDouble&, const TRectDouble&) = default;
};

// ---------------------------------------------------------------- events
using TSortExchgEvent = std::function<void(TObject* Sender, uint8_t ExchgWhat, int index1,
                                           int index2, int first, int last)>;
using TZoomPanEvent = std::function<void(TObject* Sender)>;
using TSelectRectEvent =
    std::function<void(TObject* Sender, int Layer, double LoX, double LoY, double HiX, double HiY)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int PercentDone)>;
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, const TPoint& APoint)>;

// ------------------------------------------------------------------ errors
// ETKZError (the root) is declared with the platform's base classes.
#define TKZ_DECLARE_ERROR(Name)                               \
  class TKZ_COREKIT_EXPORT Name : public ETKZError {          \
   public:                                                    \
    explicit Name(const std::string& msg) : ETKZError(msg) {} \
  }
TKZ_DECLARE_ERROR(ETKZStringlError);
TKZ_DECLARE_ERROR(ETKZFileSysError);
TKZ_DECLARE_ERROR(ETKZDStructError);
TKZ_DECLARE_ERROR(ETKZColArrayError);
TKZ_DECLARE_ERROR(ETKZCpuIdError);

// ------------------------------------------------------- progress globals
using TMathFeedBackProc = void (*)(double);
extern TKZ_COREKIT_EXPORT double ProcStat;
extern TKZ_COREKIT_EXPORT double LastProcStat;
extern TKZ_COREKIT_EXPORT std::atomic<bool> AbortMathProc;
extern TKZ_COREKIT_EXPORT TMathFeedBackProc MathFeedBackProc;

// One step of the progress protocol (see the top of this file). Returns false
// when the loop must stop because AbortMathProc is set.
TKZ_COREKIT_EXPORT bool ProgressStep();

// ------------------------------------------------------------------ tables
// A read-only table indexed from Lo to Hi, as the vocabulary indexes it.
template <typename T, int Lo, int Hi>
struct TIndexedTable {
  std::array<T, Hi - Lo + 1> Items;
  static constexpr int Low = Lo;
  static constexpr int High = Hi;
  constexpr const T& operator[](int i) const { return Items[static_cast<size_t>(i - Lo)]; }
};

using TLangText = std::string_view;  // Windows-1252 bytes

extern TKZ_COREKIT_EXPORT const std::array<TIndexedTable<TLangText, 1, 12>, 5> MonthShort;
extern TKZ_COREKIT_EXPORT const std::array<TIndexedTable<TLangText, 1, 12>, 5> MonthLong;
extern TKZ_COREKIT_EXPORT const std::array<TIndexedTable<TLangText, 1, 7>, 5>
    WeekDayShort;  // 1 = Monday
extern TKZ_COREKIT_EXPORT const std::array<TIndexedTable<TLangText, 1, 7>, 5> WeekDayLong;
extern TKZ_COREKIT_EXPORT const std::array<TIndexedTable<TLangText, 0, 12>, 5> NumWords;
extern TKZ_COREKIT_EXPORT const std::array<std::array<TLangText, 5>, 5>
    LanguageID;  // [in language][language named]
extern TKZ_COREKIT_EXPORT const std::array<TLangText, 5> ISO639_2Char;
extern TKZ_COREKIT_EXPORT const std::array<TLangText, 5> ISO639_3Char;

extern TKZ_COREKIT_EXPORT const std::array<char, 6> CSVDELIMITERS;
extern TKZ_COREKIT_EXPORT const std::array<TLangText, 6> CSVDELIMITERIDS;
extern TKZ_COREKIT_EXPORT const std::array<TLangText, 6> DistModeId;
extern TKZ_COREKIT_EXPORT const TIndexedTable<TLangText, 160, 255> HTMLLat1Entities;

// Maps a delimiter character to its enumeration value (csvUnknown if none).
TKZ_COREKIT_EXPORT TCSVDelimiters ResolveCSVDelimiter(char c);

// ------------------------------------------------------ drawing primitives
// A frame around (Left, Top)-(Right, Bottom), edges included. fsSimple draws
// the rectangle in C5; the three-dimensional styles draw two nested outlines
// with C1 as highlight, C2 as light edge, C3 as shadow and C4 as dark shadow;
// fsNone (and any value beyond the enumeration) draws nothing.
TKZ_COREKIT_EXPORT void DrawFrame(TCanvas* Canvas, TFrameStyle Style, int Left, int Top, int Right,
                                  int Bottom, TColor C1, TColor C2, TColor C3, TColor C4,
                                  TColor C5);
// The outline of (Left, Top)-(Right, Bottom) in the current pen, edges included.
TKZ_COREKIT_EXPORT void DrawRectangle(TCanvas* Canvas, int Left, int Top, int Right, int Bottom);
// Draws point mark Mark centred at (X, Y) in the pen colour: 0 to 51 are
// shapes (crosses, squares, circles, diamonds, triangles, patterns), 52 to 255
// characters (200 to 209 the digits). Marks 1 to 6 and 18 use 7 x 7 pixel
// patterns on screen canvases and lines on printer canvases. Filled shapes
// take the pen colour for their brush; open ones clear the brush for the shape
// and leave its style solid. The brush colour is restored afterwards.
TKZ_COREKIT_EXPORT void DrawMarkOnCanvas(TCanvas* Canvas, uint8_t Mark, int X, int Y);
// A new (2 * Margin + 7) pixel square bitmap in BkgColor showing the mark in
// MarkColor at its centre; Margin is clamped to 0..255.
TKZ_COREKIT_EXPORT std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t Mark, TColor MarkColor,
                                                               TColor BkgColor, int Margin);
// Copies the bitmap onto the printer's current page with its top-left corner
// at (X, Y), one bitmap pixel per printer pixel; nothing outside a document.
TKZ_COREKIT_EXPORT void PrintBitmap(const TBitmap* Bitmap, int X, int Y);
// Sets the canvas font's size in points as on the screen: the pixel height is
// that of Size at 96 pixels per inch, whatever the canvas's resolution.
TKZ_COREKIT_EXPORT void SetCanvasFontSizeScaled(TCanvas* Canvas, int Size);
// Whether the installed font of that family has TrueType outlines. Raises
// ETKZError naming the font when no such font is installed.
TKZ_COREKIT_EXPORT bool FontIsTrueType(const std::string& FontName);

}  // namespace tkz
