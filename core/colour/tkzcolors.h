// tkzcolors: colour models, named colours and colour scales.
//
// Colours are TColor values 0x00BBGGRR (red in the low byte). Functions that
// take a colour read red from bits 0-7, green from bits 8-15 and blue from
// bits 16-23 and ignore the top byte; colours they build have a zero top byte.
// Hues are in degrees (0..360), saturation, lightness, value, intensity and the
// CMY(K) components are 0..1, RGB components 0..255.
//
// Rounding: every "round" below is round half to even (the platform's Round),
// and interpolation truncates each channel. NaN arguments count as 0.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// ------------------------------------------------------------ named colours
// The 466 named colours: X11 values for the X11 names, except Gray, Green,
// Maroon and Purple (the 16-colour palette's values, which head the table) and
// SkyBlue and SkyBlue1; plus MoneyGreen, Cream, MedGray, Bronze and Carbon.
// AllTKZColorNames[i] names AllTKZColors[i]; both are 0-based.
extern TKZ_COREKIT_EXPORT const std::array<TColor, 466> AllTKZColors;
extern TKZ_COREKIT_EXPORT const std::array<std::string_view, 466> AllTKZColorNames;
// The 145 X11 (web) colour names in alphabetical order, with the values that
// AllTKZColors gives the same names.
extern TKZ_COREKIT_EXPORT const std::array<TColor, 145> X11Colors;
// The 16 basic colours, MoneyGreen, SkyBlue, Cream, MedGray, then 27 symbolic
// platform colours (system-colour references, clDefault and clNone).
extern TKZ_COREKIT_EXPORT const std::array<TColor, 47> PredefinedColors;

// ------------------------------------------------- predefined colour scales
// Key colours for TColorArray::FillByInterpolation.
inline constexpr std::array<TColor, 11> ColorArray_Geo1 = {0xDED2BD, 0x639F63, 0x89BA88, 0xA7CFAD,
                                                           0xC5E5D2, 0xCBF1F5, 0x96CEEA, 0x6CAED8,
                                                           0x3586BD, 0x426594, 0xF0FAFC};
inline constexpr std::array<TColor, 11> ColorArray_Geo2 = {0xDFAE7F, 0xDEB68C, 0xE3BE9B, 0xE2C9AD,
                                                           0xDCCCBB, 0x90BBAC, 0x99C9C6, 0xA4D7DA,
                                                           0xA1C8DA, 0x9AB6C5, 0x96ACC8};
inline constexpr std::array<TColor, 11> ColorArray_Geo3 = {0xFF8A2B, 0xFF9C43, 0xFFAF61, 0xFFCA89,
                                                           0xF9D1A8, 0x4AA885, 0x5DCAC2, 0x74EDF4,
                                                           0x6DC7F4, 0x5F9CC0, 0x5685C7};
inline constexpr std::array<TColor, 11> ColorArray_Rainbow = {
    0x400020, 0x800060, 0xEF1200, 0xF56E00, 0xFFF400, 0x00FF18,
    0x00F6FF, 0x00C1FF, 0x0013FF, 0x00008D, 0x000040};
// Red, yellow, lime, aqua, blue, fuchsia and red again.
inline constexpr std::array<TColor, 7> ColorArray_Circle = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                                                            0xFF0000, 0xFF00FF, 0x0000FF};
inline constexpr std::array<TColor, 7> ColorArray_MorgenStemning = {
    0x000000, 0x4E2F0E, 0x742880, 0x711BC2, 0x4C61EF, 0x2AFBFF, 0xFFFFFF};
inline constexpr std::array<TColor, 16> ColorArray_Contrast = {
    0x000000, 0xFF0000, 0x008000, 0x0000FF, 0x0080FF, 0x808080, 0x404080, 0xFF00FF,
    0x800000, 0x00FF00, 0xC5CD18, 0x808000, 0xFF0080, 0x41E1EE, 0x800080, 0x8000FF};

// ------------------------------------------------------------ interpolation
// Each channel trunc(ch1 + (ch2 - ch1) * Fraction), Fraction clamped to 0..1.
TKZ_COREKIT_EXPORT TColor InterpolateColor(TColor Color1, TColor Color2, double Fraction);
// Color1 -> Color2 over fractions 0..0.5 and Color2 -> Color3 above 0.5.
TKZ_COREKIT_EXPORT TColor Interpolate3Colors(TColor Color1, TColor Color2, TColor Color3,
                                             double Fraction);
// InterpolateColor at 0.5.
TKZ_COREKIT_EXPORT TColor MeanColor(TColor Color1, TColor Color2);
// Red and blue exchanged.
TKZ_COREKIT_EXPORT TColor ReverseRGBColor(TColor Color);
// (255 - R, 255 - G, 255 - B).
TKZ_COREKIT_EXPORT TColor InvertColor(TColor Color);

// --------------------------------------------------------------- hex text
// Exactly 8 upper-case hex digits of the whole 32-bit value ("000000FF").
TKZ_COREKIT_EXPORT std::string ColorToHexStr(TColor Color);
// Strips leading and trailing blanks (empty gives 0), skips one "$" in the
// first position and blanks after it, then reads hex digits (either case) up
// to the first other character. Trailing text is ignored; with more than 8
// digits the last 8 count.
TKZ_COREKIT_EXPORT TColor HexStrToColor(std::string_view Text);

// --------------------------------------------------------------- HSL, HSV
// Components are divided by 255 and clamped to 0..1. Grey gives H = S = 0.
TKZ_COREKIT_EXPORT void RGBtoHSL(int R, int G, int B, double& H, double& S, double& L);
TKZ_COREKIT_EXPORT void ColorToHSL(TColor Color, double& H, double& S, double& L);
// The hue is brought into 0..360 by adding or subtracting 360 once (360 is the
// same as 0); hues still outside after that are reduced modulo 360. S and L
// are clamped to 0..1.
TKZ_COREKIT_EXPORT void HSLtoRGB(double H, double S, double L, int& R, int& G, int& B);
TKZ_COREKIT_EXPORT TColor HSLtoColor(double H, double S, double L);
// Components are used as given. Black gives H = 0; other greys H = -1
// (undefined hue) with S = 0.
TKZ_COREKIT_EXPORT void RGBtoHSV(int R, int G, int B, double& H, double& S, double& V);
TKZ_COREKIT_EXPORT void ColorToHSV(TColor Color, double& H, double& S, double& V);
// S and V are clamped to 0..1; a hue below 0 or at or above 360 counts as 0.
TKZ_COREKIT_EXPORT void HSVtoRGB(double H, double S, double V, int& R, int& G, int& B);
TKZ_COREKIT_EXPORT TColor HSVtoColor(double H, double S, double V);

// -------------------------------------------------------------------- HSI
// I = (R + G + B) / 765; S = 1 - min / (255 I); hue as RGBtoHSV (-1 for grey).
TKZ_COREKIT_EXPORT void RGBtoHSI(int R, int G, int B, double& H, double& S, double& I);
TKZ_COREKIT_EXPORT void ColorToHSI(TColor Color, double& H, double& S, double& I);
// Hue wrapped as in HSLtoRGB; S and I clamped to 0..1; each channel at most 255.
TKZ_COREKIT_EXPORT void HSItoRGB(double H, double S, double I, int& R, int& G, int& B);
TKZ_COREKIT_EXPORT TColor HSItoColor(double H, double S, double I);

// ------------------------------------------------------------------ CMY(K)
TKZ_COREKIT_EXPORT void RGBtoCMY(uint8_t R, uint8_t G, uint8_t B, double& C, double& M, double& Y);
// C, M and Y are clamped to 0..1.
TKZ_COREKIT_EXPORT void CMYtoRGB(double C, double M, double Y, uint8_t& R, uint8_t& G, uint8_t& B);
// Adds K to each of C, M, Y and clamps them to 0..1.
TKZ_COREKIT_EXPORT void CMYKtoCMY(double& C, double& M, double& Y, double K);
// K = min(C, M, Y), subtracted from each (no clamping).
TKZ_COREKIT_EXPORT void CMYtoCMYK(double& C, double& M, double& Y, double& K);

// -------------------------------------------------------------------- grey
// round(0.3 R + 0.59 G + 0.11 B), computed exactly (in hundredths), so that a
// level of exactly n + 0.5 goes to the even neighbour: (0, 44, 14) gives 28.
// Results beyond the int range are limited to it.
TKZ_COREKIT_EXPORT int RGBtoGray(int R, int G, int B);
TKZ_COREKIT_EXPORT int ColorToGray(TColor Color);
// The grey colour of that level (clamped to 0..255) in all three channels.
TKZ_COREKIT_EXPORT TColor RGBtoGrayColor(int R, int G, int B);
TKZ_COREKIT_EXPORT TColor ColorToGrayColor(TColor Color);

// ------------------------------------------------------------------ others
// Euclidean RGB distance scaled so that black to white is 1.
TKZ_COREKIT_EXPORT double RGBColorDistance(TColor Color1, TColor Color2);
// A random colour from the process-wide generator (Random of stringl),
// drawn blue first, then green, then red.
TKZ_COREKIT_EXPORT TColor RandomColor();
// Each channel min + Random(max - min + 1), wrapped to a byte (min when max <
// min); blue first, then green, then red.
TKZ_COREKIT_EXPORT TColor RandomColor(uint8_t RedMin, uint8_t RedMax, uint8_t GreenMin,
                                      uint8_t GreenMax, uint8_t BlueMin, uint8_t BlueMax);
// The colour of visible light of that wavelength (380..779 nm, black outside),
// dimmed towards both ends of the spectrum, each channel 255 * (a * c)^Gamma.
TKZ_COREKIT_EXPORT TColor WavelengthToColor(int Wavelength, double Gamma);
// The name of the first AllTKZColors entry equal to the full 32-bit value, or
// its ColorToHexStr text.
TKZ_COREKIT_EXPORT std::string ObtainColorName(TColor Color);
// The 0-based index of the named colour (ASCII letters in any case, no
// blanks), or -1 when no entry has that name.
TKZ_COREKIT_EXPORT int FindColorName(std::string_view Name);

// ------------------------------------------------------------- TColorArray
// A colour scale: Size colours, indexed from 1, and a backup list of the same
// size. A new array holds 1000 colours interpolated from ColorArray_Rainbow,
// also copied to the backup.
//
// Text file (StoreOnFile / LoadFromFile):
//   line 1:   lo hi          (decimal, blank-separated)
//   then:     one line per entry lo..hi, 8 upper-case hex digits (00FF0000)
// Lines end with CR LF.
//
// Reading is defensive. The file is read in full before the array changes:
// - a first line without two integers, or an input/output error, gives false;
// - a file that ends before entry hi (truncated) gives false and leaves the
//   array as it was (size included);
// - with adjust, a hi beyond kMaxFileSize gives false (nothing is allocated
//   for a size the file merely claims);
// - without adjust, hi > Size gives false and reads no colours;
// - an entry line without hex digits is skipped (its entry keeps its colour);
//   entries below index 1 are read and dropped.
// On success the colours are stored, OnChange fires once, and the result is
// true.
class TKZ_COREKIT_EXPORT TColorArray : public TComponent {
 public:
  static constexpr int32_t kDefaultSize = 1000;
  // Largest size a file may ask for through the adjust option.
  static constexpr int32_t kMaxFileSize = 1 << 20;

  explicit TColorArray(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TColorArray"; }

  int32_t GetSize() const { return size_; }
  // Resizes when Count > 0 and differs from Size.
  void SetSize(int32_t Count);
  // True without change for the same size, false for Count < 1; otherwise both
  // lists get Count entries (existing ones kept, new ones 0) and OnChange
  // fires. Raises ETKZColArrayError when the memory cannot be had.
  bool Resize(int32_t Count);

  // Indexes below 1 read entry 1, above Size entry Size.
  TColor GetColorElem(int32_t Index) const;
  // Stores only for 1 <= Index <= Size; fires OnChange.
  void SetColorElem(int32_t Index, TColor Color);
  const std::vector<TColor>& Colors() const { return colors_; }

  void Fill(TColor Color);
  // Spreads the key colours evenly over the scale: entry k lies at position
  // c = k (or, with Steps > 0, c quantised to Steps bands:
  // round(round(k / Size * Steps) * Size / Steps)) and takes the colour
  // interpolated between the key colours around (c - 1) * (n - 1) / Size.
  // One key colour fills the scale with it; none leaves it unchanged (no
  // event).
  void FillByInterpolation(int Steps, std::span<const TColor> KeyColors);
  void FillByInterpolation(int Steps, std::initializer_list<TColor> KeyColors) {
    FillByInterpolation(Steps, std::span<const TColor>(KeyColors.begin(), KeyColors.size()));
  }
  // Stretches the scale logarithmically: Weight (clamped to 0..1) blends
  // between the unchanged scale (0) and the log stretch (1). An array of one
  // entry stays as it is (the stretch needs ln Size > 0); OnChange fires
  // anyway, as for every transform.
  void LogTransform(double Weight);
  void MirrorColors();
  void InvertColors();
  void ReverseRGB();

  // Copies the colours to the backup list (no event).
  void Backup();
  // Copies the backup list back (OnChange).
  void Restore();

  // The first entry closest to Color, with its RGBColorDistance; 1 and 1.0
  // when no entry is closer than 1.0.
  int32_t ColorToIndex(TColor Color, double& Distance) const;
  // Copies Source's entries First..Last (clamped to 1..Source's size, either
  // order) to this array from index Dest on, skipping destinations outside
  // 1..Size. Source may be this array; overlapping ranges copy the original
  // colours. Nothing happens without a source.
  void CopyFrom(const TColorArray* Source, int32_t First, int32_t Last, int32_t Dest);
  // Same size and colours (backups are not compared).
  bool IsEqual(const TColorArray* Other) const;

  // Copy size, colours and backup (no event; OnChange is not copied).
  void Assign(const TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) const override;

  // Writes entries First..Last (ordered, then limited to 1..Size) in the file
  // format above and flushes. False when writing fails.
  bool WriteToOpenTextFile(TTextFile& F, int32_t First, int32_t Last) const;
  // Writes the file through a temporary file beside it, renamed into place,
  // so a failed write leaves an existing file as it was. False on failure.
  bool StoreOnFile(int32_t First, int32_t Last, const std::string& FileName) const;
  // Reads the file format above from the current position of F. With
  // AdjustSize the array first takes the size hi.
  bool ReadFromOpenTextFile(TTextFile& F, bool AdjustSize);
  // False when the file cannot be opened or read, else as above.
  bool LoadFromFile(const std::string& FileName, bool AdjustSize);

  void Changed();
  TNotifyEvent OnChange;

 private:
  std::string FileText(int32_t First, int32_t Last) const;
  [[noreturn]] void Fail(const std::string& Ending) const;

  int32_t size_ = 0;
  std::vector<TColor> colors_;  // colors_[k - 1] is entry k
  std::vector<TColor> backup_;
};

}  // namespace tkz
