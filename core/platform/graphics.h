// Off-screen bitmaps and the canvas that draws on them.
//
// Pixels are 24-bit RGB colours held one per 32-bit word as TColor values
// (0x00BBGGRR, red in the low byte, the top byte always 0), rows top to bottom
// without padding. Coordinates are integer device pixels with y growing
// downwards; (0, 0) is the top-left pixel.
//
// The canvas follows the classic raster rules:
// - LineTo(x, y) draws from the pen position up to, but not including, (x, y).
// - Rectangle, FillRect and Ellipse take the bounding box (x1, y1, x2, y2) with
//   exclusive right and bottom edges: the pixels x1..x2-1 and y1..y2-1.
// - Polygon fills every pixel whose centre lies inside the polygon through the
//   given pixel centres (even-odd rule), then outlines it, vertices included.
// - Every primitive is clipped to the bitmap; nothing outside is touched.
// - A primitive touches each of its pixels once, so drawing it twice in XOR
//   mode restores the picture.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/types/corekit_export.h"

namespace tkz {

// ------------------------------------------------------------------ colours
// 0x00BBGGRR. Values with the top byte 0xFF refer to a system colour (the low
// byte is its index); clNone and clDefault are markers, not colours.
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000Fu);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005u);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);

// The RGB value of a colour: system colours resolve to the fixed palette of
// this platform (light grey faces, white windows, black text); clNone and
// clDefault give black. Always has the top byte 0.
TKZ_COREKIT_EXPORT TColor ColorToRGB(TColor Color);

inline constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
inline constexpr uint8_t GetRValue(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
inline constexpr uint8_t GetGValue(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
inline constexpr uint8_t GetBValue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

// --------------------------------------------------------------- rectangles
struct TKZ_COREKIT_EXPORT TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};
inline constexpr TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }
inline constexpr TPoint Point(int32_t x, int32_t y) { return {x, y}; }

// --------------------------------------------------------- drawing settings
enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };

// How the pen combines with the pixels it meets (binary raster operations).
enum TPenMode : uint8_t {
  pmBlack,        // 0
  pmWhite,        // 1
  pmNop,          // D
  pmNot,          // ~D
  pmCopy,         // P
  pmNotCopy,      // ~P
  pmMergePenNot,  // P | ~D
  pmMaskPenNot,   // P & ~D
  pmMergeNotPen,  // ~P | D
  pmMaskNotPen,   // ~P & D
  pmMerge,        // P | D
  pmNotMerge,     // ~(P | D)
  pmMask,         // P & D
  pmNotMask,      // ~(P & D)
  pmXor,          // P ^ D
  pmNotXor        // ~(P ^ D)
};

enum TBrushStyle : uint8_t { bsSolid, bsClear };

// Horizontal alignment of text.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles: TFontStyles{fsBold, fsItalic}.
using TFontStyles = TEnumSet<TFontStyle>;

// Raster operations of CopyRect (ternary codes: brush P, source S, dest D).
using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// How stretched copies pick their colours: smHalftone averages the source
// area under each target pixel (smooth, anti-aliased); smColorOnColor takes the
// nearest source pixel (plain).
enum TStretchMode : uint8_t { smColorOnColor, smHalftone };

class TCanvas;
class TBitmap;

// The pen draws lines and outlines. Width 0 and 1 both give one-pixel lines;
// styled lines (dash, dot) are one pixel wide, a wider pen draws solid.
class TKZ_COREKIT_EXPORT TPen : public TPersistent {
 public:
  TColor GetColor() const { return color_; }
  void SetColor(TColor c);
  int GetWidth() const { return width_; }
  void SetWidth(int w);
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle s);
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode m);
  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TPen"; }
  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

// The brush fills interiors and the background of text. With bsClear shapes
// keep their interior and text is drawn without a background.
class TKZ_COREKIT_EXPORT TBrush : public TPersistent {
 public:
  TColor GetColor() const { return color_; }
  void SetColor(TColor c);
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle s);
  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TBrush"; }
  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// The font of text output. The font keeps its em height in pixels (Height);
// Size in points is Height at the font's PixelsPerInch:
// Height = round(Size * PixelsPerInch / 72). Changing PixelsPerInch keeps the
// Height, so a size set at one resolution stays the same number of pixels.
// Orientation turns the text counter-clockwise, in tenths of a degree, about
// the text's reference point.
class TKZ_COREKIT_EXPORT TFont : public TPersistent {
 public:
  static constexpr int kScreenPixelsPerInch = 96;

  const std::string& GetName() const { return name_; }
  void SetName(const std::string& n);
  int GetSize() const;
  void SetSize(int points);
  int GetHeight() const { return height_; }
  void SetHeight(int pixels);
  TColor GetColor() const { return color_; }
  void SetColor(TColor c);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles s);
  int GetPixelsPerInch() const { return ppi_; }
  void SetPixelsPerInch(int ppi);  // keeps Height; values below 1 are ignored
  int GetOrientation() const { return orientation_; }
  void SetOrientation(int tenthsOfDegree);
  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TFont"; }
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::string name_ = "DejaVu Sans";
  int height_ = 11;  // 8 points at 96 pixels per inch
  TColor color_ = clBlack;
  TFontStyles style_;
  int ppi_ = kScreenPixelsPerInch;
  int orientation_ = 0;
};

// A canvas draws on one bitmap, which owns it.
class TKZ_COREKIT_EXPORT TCanvas : public TPersistent {
 public:
  explicit TCanvas(TBitmap* target);
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen* GetPen() { return &pen_; }
  TBrush* GetBrush() { return &brush_; }
  TFont* GetFont() { return &font_; }
  TBitmap* GetBitmap() const { return target_; }
  TPoint GetPenPos() const { return pen_pos_; }
  void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
  TCopyMode GetCopyMode() const { return copy_mode_; }
  void SetCopyMode(TCopyMode m) { copy_mode_ = m; }
  TStretchMode GetStretchMode() const { return stretch_mode_; }
  void SetStretchMode(TStretchMode m) { stretch_mode_ = m; }
  // A printer canvas: the drawing primitives that differ on printers ask this.
  bool IsPrinterCanvas() const { return printer_; }
  void SetPrinterCanvas(bool b) { printer_ = b; }
  // The canvas's clipping rectangle: the whole bitmap.
  TRect GetClipRect() const;

  // --- lines and shapes
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<TPoint>& points);
  void Polygon(const std::vector<TPoint>& points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void FillRect(const TRect& r);   // brush only, no outline
  void FrameRect(const TRect& r);  // one-pixel outline in the brush colour
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }

  // --- pixels: outside the bitmap reads give clNone and writes do nothing
  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);

  // --- text (FreeType). (x, y) is the top-left corner of the text cell, or
  // of the turned cell when the font has an Orientation. With a solid brush
  // the cell is filled with the brush colour first.
  void TextOut(int x, int y, const std::string& text);
  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);
  TPoint TextExtent(const std::string& text);

  // --- copies
  // Copies Source's rectangle src onto dest of this canvas with CopyMode,
  // stretching with StretchMode when the sizes differ. Negative widths or
  // heights mirror the picture.
  void CopyRect(const TRect& dest, TCanvas* Source, const TRect& src);
  // Draws the whole bitmap stretched onto dest, with StretchMode.
  void StretchDraw(const TRect& dest, const TBitmap* Source);
  // Draws the bitmap at (x, y), one pixel per pixel.
  void Draw(int x, int y, const TBitmap* Source);

  std::string ClassName() const override { return "TCanvas"; }

 private:
  friend class TBitmap;
  friend struct CanvasAccess;
  TBitmap* target_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  TPoint pen_pos_;
  int dash_phase_ = 0;  // position within the pen style's pattern
  TCopyMode copy_mode_ = cmSrcCopy;
  TStretchMode stretch_mode_ = smColorOnColor;
  bool printer_ = false;
};

// A 24-bit RGB picture in memory with its own canvas. A new bitmap is empty
// (0 x 0); SetSize keeps no content and clears to white. Width and height are
// limited to kMaxSide each and kMaxPixels in all; larger sizes raise
// EInvalidGraphic before anything is allocated.
class TKZ_COREKIT_EXPORT TBitmap : public TPersistent {
 public:
  static constexpr int32_t kMaxSide = 32767;
  static constexpr int64_t kMaxPixels = int64_t{1} << 27;  // 512 MiB of pixels

  TBitmap();
  TBitmap(int32_t width, int32_t height);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  void SetWidth(int32_t w) { SetSize(w, height_); }
  void SetHeight(int32_t h) { SetSize(width_, h); }
  // New size, content cleared to white. Negative sizes count as 0.
  void SetSize(int32_t w, int32_t h);
  // New size with undefined content, for readers that write every pixel
  // straight away (the clearing would cost a pass over the memory).
  void SetSizeForOverwrite(int32_t w, int32_t h);
  bool Empty() const { return width_ == 0 || height_ == 0; }
  TCanvas* GetCanvas() { return canvas_.get(); }

  // Row y (0 <= y < height) as width_ TColor words; no bounds check.
  uint32_t* ScanLine(int32_t y) { return pixels_.get() + static_cast<size_t>(y) * width_; }
  const uint32_t* ScanLine(int32_t y) const {
    return pixels_.get() + static_cast<size_t>(y) * width_;
  }
  uint32_t* Bits() { return pixels_.get(); }
  const uint32_t* Bits() const { return pixels_.get(); }
  // Fills the whole bitmap with one colour.
  void Fill(TColor c);

  // Copies size and pixels of another bitmap (not its canvas settings).
  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TBitmap"; }

  // Whether a size is within the limits.
  static bool SizeAllowed(int64_t w, int64_t h);

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  size_t Count() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }
  std::unique_ptr<uint32_t[]> pixels_;
  std::unique_ptr<TCanvas> canvas_;
};

// Raised for pictures that cannot be made or read: sizes beyond the limits,
// corrupt or truncated image files, unknown formats.
class TKZ_COREKIT_EXPORT EInvalidGraphic : public ETKZError {
 public:
  using ETKZError::ETKZError;
};

}  // namespace tkz
