// geomap: the map component. TGeoMap shows a scanned map image, converts its
// pixels to geographic coordinates and back through a calibration fitted
// from reference points, and keeps a table of landmarks drawn on the map.
//
// The class is one component whose members live in several files by concern:
//   geomap.cpp            construction, errors, common state
//   geomap_calib.cpp      calibration points, the six models, conversions,
//                         corners and resolution, quality
//   geomap_calfile.cpp    the calibration file (writer, readers, ParseCalibData)
//   geomap_landmarks.cpp  the landmark table: add, find, remove, visibility,
//                         and its index of pixel positions for the view
//   geomap_lmfile.cpp     the landmark file
//   geomap_symbols.cpp    symbol drawing and TSymbolRepository
//   geomap_view*.cpp      the view: image, rendering, mouse, zoom (later)
//
// Units: latitudes and longitudes in degrees (north and east positive),
// northings and eastings in metres, pixels are map-image pixels with (0, 0)
// at the top-left corner unless a name says "control".
//
// Calibration models (TCalibModel):
//   cmParabolicIp        graticule lines (meridians and parallels, up to 25
//                        lines of up to 10 points) each fitted by a parabola;
//                        positions interpolated between the two nearest lines
//   cmBiquadraticPn      second-order polynomials both ways, least squares
//   cmConicConformal     a cone apex searched on a shrinking grid; latitude
//                        linear in the distance from the apex, longitude in
//                        the angle about it
//   cmMillerCylindrical  Miller's cylindrical projection, scale and offset
//                        fitted per axis
//   cmEquiRect           affine, latitude and longitude
//   cmUTM                affine in UTM northing and easting of the
//                        calibration's own zone and hemisphere
// The least-squares fits use numkit's SVD (singular values below 1e-14 of
// the largest set to zero) and its curve fitter.
//
// Threading: a map belongs to one thread. Conversions never raise: they
// report an invalid result through their valid flag or boolean result.
// Errors raise ETKZGeoMapError with the text "Component \"NAME\": " before
// the message.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/controls.h"
#include "core/platform/graphics.h"
#include "core/platform/imagefile.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "core/types/tkzbase.h"
#include "geo/geobasics.h"
#include "geo/mapkit_export.h"

namespace tkz {

class TKZ_MAPKIT_EXPORT ETKZGeoMapError : public ETKZError {
 public:
  explicit ETKZGeoMapError(const std::string& msg) : ETKZError(msg) {}
};

// ============================================================ calibration

enum TCalibModel : uint8_t {
  cmParabolicIp,
  cmBiquadraticPn,
  cmConicConformal,
  cmMillerCylindrical,
  cmEquiRect,
  cmUTM,
  cmUndefined
};
// The model names of the calibration file, indexed by TCalibModel:
// "parabolicip", ..., "utm", "undefined".
extern TKZ_MAPKIT_EXPORT const std::array<std::string, 7> CalibModelNames;

enum TGratLineKind : uint8_t { gtlMeridian, gtlParallel };
enum TCorners : uint8_t { gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight };

inline constexpr int kMaxCalLines = 25;
inline constexpr int kMaxCalLinePoints = 10;
inline constexpr int kMaxCalQuads = 200;

// A graticule line of the parabolic model: a meridian (Value = its
// longitude) or a parallel (Value = its latitude) with the pixels on it.
// Points is 1-based: Points[1..NumPoints].
struct TKZ_MAPKIT_EXPORT TCalLine {
  TGratLineKind Kind = gtlMeridian;
  double Value = 0;
  int32_t NumPoints = 0;
  std::array<TPoint, kMaxCalLinePoints + 1> Points{};
  friend bool operator==(const TCalLine&, const TCalLine&) = default;
};

// A reference point: (latitude, longitude) for the geographic models,
// (northing, easting) in metres for cmUTM; northing first.
struct TKZ_MAPKIT_EXPORT TCalQuad {
  double Lat = 0;   // latitude, or northing for cmUTM
  double Long = 0;  // longitude, or easting for cmUTM
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TCalQuad&, const TCalQuad&) = default;
};

struct TKZ_MAPKIT_EXPORT TLatLong {
  double Lat = 0;
  double Long = 0;
  friend bool operator==(const TLatLong&, const TLatLong&) = default;
};

// The calibration record, as written to and read from the calibration file.
// CalLines and CalQuads are 1-based.
struct TKZ_MAPKIT_EXPORT TCalibData {
  std::string MapName;
  std::string Caption;
  std::array<TLatLong, 4> Corners{};  // indexed by TCorners, derived
  double Resolution = 0;              // metres per pixel, derived
  int32_t NumCalLines = 0;
  std::array<TCalLine, kMaxCalLines + 1> CalLines{};
  int32_t NumCalQuads = 0;
  std::array<TCalQuad, kMaxCalQuads + 1> CalQuads{};
  int32_t UTMZone = -1;
  bool UTMSouth = false;
  TGeoEllipsoid Ellipsoid = gelWGS84;
  friend bool operator==(const TCalibData&, const TCalibData&) = default;
};

// Writes one calibration block (see TGeoMap::WriteCalDataToOpenXMLFile).
TKZ_MAPKIT_EXPORT void WriteRawCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader,
                                                    const std::string& ID,
                                                    const TCalibData& CalData, TCalibModel Model);
// Reads the calibration with the given ID (empty: the first) from a file or
// a memory stream without a map. False when there is no such calibration;
// faults in the block raise ETKZGeoMapError "ParseCalibData: ...".
TKZ_MAPKIT_EXPORT bool ParseCalibData(const std::string& FileName, const std::string& ID,
                                      TCalibData& CalData, TCalibModel& Model);
TKZ_MAPKIT_EXPORT bool ParseCalibData(TMemoryStream& Stream, const std::string& ID,
                                      TCalibData& CalData, TCalibModel& Model);

// ============================================================== landmarks

enum TLandMarkElement : uint8_t {
  lmPlus,
  lmSquare,
  lmTriangle,
  lmCircle,
  lmArrowFrom,
  lmArrowTo,
  lmCrossBox,
  lmSpade,
  lmCross,
  lmUserDef
};
// "Plus", "Square", ..., "Cross", "User-Defined".
extern TKZ_MAPKIT_EXPORT const std::array<std::string, 10> LandMarkElementNames;

enum TLandMarkAction : uint8_t { lmaAdd, lmaRemove };

inline constexpr std::size_t kLMIdentifierLength = 15;  // TLMIdentifier
inline constexpr std::size_t kLMTextLength = 80;        // TLMText
inline constexpr std::size_t kSymbolNameLength = 43;
inline constexpr int kLandMarkBlock = 1000;  // table capacity grows in these steps

// Font style bits of a caption.
inline constexpr uint8_t kLMFontBold = 1;
inline constexpr uint8_t kLMFontItalic = 2;
inline constexpr uint8_t kLMFontUnderline = 4;
inline constexpr uint8_t kLMFontStrikeOut = 8;

// The caption of a landmark; the file attribute of each field in brackets.
struct TKZ_MAPKIT_EXPORT TLMTextProperties {
  std::string Text;                      // [captext] at most kLMTextLength characters
  int32_t FontSize = 8;                  // [capsize] points
  std::string FontName = "DejaVu Sans";  // [capfnm]
  uint8_t FontStyle = 0;                 // [capfst] kLMFont... bits
  TColor TextColor = 0;                  // [capfgcol]
  TColor BkColor = 0xFFFFFF;             // [capbgcol]
  bool Transparent = true;               // [captransp]
  int32_t Dx = 0;                        // [capdx] offset from the symbol, pixels
  int32_t Dy = 0;                        // [capdy]
  int32_t Direction = 0;                 // [capdir] degrees
  uint8_t HorAlign = 0;                  // [caphal]
  uint8_t VertAlign = 0;                 // [capval]
  friend bool operator==(const TLMTextProperties&, const TLMTextProperties&) = default;
};

struct TKZ_MAPKIT_EXPORT TLandMark {
  double Latitude = 0;                 // [lat]
  double Longitude = 0;                // [long]
  double Altitude = 0;                 // [alti] metres
  uint8_t LMClass = 0;                 // [class]
  int32_t UserTag = 0;                 // [usertag]
  TLandMarkElement Element = lmCross;  // [element]
  int32_t Size = 8;                    // [size] pixels, half the symbol width
  TColor ColorFg = 0;                  // [colorfg] line colour
  TColor ColorBg = 0x0000FF;           // [colorbg] fill colour (red)
  bool Transparent = false;            // [transp] no fill
  int32_t Direction = 90;              // [dir] degrees clockwise from north
  int32_t Length = 40;                 // [leng] arrow shaft, pixels
  TLMTextProperties Caption;           // [cap...]
  std::string Identifier;              // [id] at most kLMIdentifierLength characters
  double TimeStamp = 0;                // [date] TDateTime
  friend bool operator==(const TLandMark&, const TLandMark&) = default;
};

// OnLandMarkAction: asked before each landmark is added or removed; setting
// Allowed to false vetoes that one landmark.
using TLandMarkActionEvent = std::function<void(TObject* Sender, bool& Allowed,
                                                TLandMarkAction Action, const TLandMark& Data)>;
// OnDrawLandmark: draws a landmark instead of the built-in symbol when it
// sets Handled.
using TDrawLandmarkEvent = std::function<void(TObject* Sender, bool& Handled, TCanvas* Canvas,
                                              const TPoint& APoint, const TLandMark& Data)>;

// Draws one landmark symbol centred on (x, y): Size and Length in pixels,
// Direction in degrees clockwise from north, line colour F, fill colour B.
TKZ_MAPKIT_EXPORT void DrawLandMarkSymbolOnCanvas(TCanvas* Canvas, int x, int y,
                                                  TLandMarkElement Element, TColor F, TColor B,
                                                  int Size, int Direction, int Length,
                                                  bool Transparent);

// ================================================================ symbols

struct TKZ_MAPKIT_EXPORT TSymbol {
  TLandMarkElement Element = lmCross;
  int32_t Size = 8;
  TColor ColorFg = 0;
  TColor ColorBg = 0x0000FF;
  bool Transparent = false;
  int32_t Direction = 90;
  int32_t Length = 40;
  std::string Name;  // at most kSymbolNameLength characters
  int32_t Category = 0;
  friend bool operator==(const TSymbol&, const TSymbol&) = default;
};
TKZ_MAPKIT_EXPORT TSymbol DefaultSymbolRecord();

// A list of symbol styles with a backup copy and its own XML file. Entries
// are numbered from 1.
class TKZ_MAPKIT_EXPORT TSymbolRepository : public TComponent {
 public:
  explicit TSymbolRepository(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TSymbolRepository"; }

  int GetNumEntries() const { return count_; }
  void SetNEntries(int n);  // n >= 0: count n, array resized to n
  int GetCapacity() const { return static_cast<int>(entries_.size()); }
  TSymbol GetValues(int Number) const;  // default record outside 1..count
  void SetValues(int Number, const TSymbol& Value);
  void Clear();  // every entry back to the default record, count kept
  void Backup();
  void Restore();
  void Assign(const TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) const override;

  void StoreOnFile(const std::string& FileName, const std::string& ID) const;
  bool ReadFromOpenXMLFile(TTextFile& F, const std::string& ID);
  bool LoadFromFile(const std::string& FileName, const std::string& ID);

 private:
  int count_ = 0;
  std::vector<TSymbol> entries_;
  int backupCount_ = 0;
  std::vector<TSymbol> backup_;
};

// ================================================================= TGeoMap

enum TShowGrat : uint8_t {
  sgNone,
  sgPoints,
  sgLines,
  sgPointsAndLines,
  sgUTMGrid,
  sgPointsAndUTMGrid
};

// A point of the mouse trace: image coordinates, colour, flags (kMTraceEnd:
// the stroke ends here; kMTraceXor: drawn in XOR mode). GetMTracePoint adds
// its position; its Color is -1 for an invalid index or position.
inline constexpr uint8_t kMTraceEnd = 1;
inline constexpr uint8_t kMTraceXor = 2;
inline constexpr int kMaxMTracePoints = 5000;
struct TKZ_MAPKIT_EXPORT TMTracePoint {
  double X = 0;
  double Y = 0;
  TColor Color = 0;
  uint8_t Flags = 0;
  double Lat = 0;
  double Long = 0;
};

// One state of the zoom history: view origin and magnification.
struct TKZ_MAPKIT_EXPORT TZoomStackEntry {
  int Left = 0;
  int Top = 0;
  double Magnification = 0;
  friend bool operator==(const TZoomStackEntry&, const TZoomStackEntry&) = default;
};
inline constexpr int kZoomHistorySize = 16;

// Bounds of the magnification (a factor; 1 shows one image pixel per
// control pixel).
inline constexpr double kMinMagnification = 1.0 / 1024;
inline constexpr double kMaxMagnification = 1024;

// Whether (Lat, Long) lies strictly inside the quadrilateral of the four
// corners (in the order of TCorners).
TKZ_MAPKIT_EXPORT bool PositionInMap(double Lat, double Long,
                                     const std::array<TLatLong, 4>& Corners);

using TCanvasEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;
// The drawing callback of CreateEmptyMapInMemory: the canvas of the new
// image, then the latitude bounds (low, high), the longitude bounds (low,
// high) and the image width and height.
using TEmptyMapDrawEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, double LatLow, double LatHigh,
                       double LongLow, double LongHigh, int Width, int Height)>;

// The largest map image a map takes, in pixels.
inline constexpr int64_t kMaxMapPixels = 3000000;

// OnMapImageRequest: may replace the name of the image about to be loaded.
using TMapImageRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;

class TKZ_MAPKIT_EXPORT TGeoMap : public TCustomControl {
 public:
  explicit TGeoMap(TComponent* AOwner = nullptr);
  ~TGeoMap() override;
  std::string ClassName() const override { return "TGeoMap"; }

  // ---------------------------------------------------------- the image
  // Width and height of the map image in pixels (0 without an image).
  int GetMapWidth() const { return mapWidth_; }
  int GetMapHeight() const { return mapHeight_; }
  // Sets the image size without an image (headless calibration): corners
  // and resolution are recomputed.
  void SetMapImageSize(int Width, int Height);
  // Loads the map image (JPEG, BMP or PNG, by content) after asking
  // OnMapImageRequest; nothing when the file does not exist. An image of
  // more than kMaxMapPixels pixels is refused with ETKZGeoMapError and the
  // map keeps its image. The name becomes the calibration's MapName.
  void SetMapImgName(const std::string& Name);
  const std::string& GetMapImgName() const { return calData_.MapName; }
  const TBitmap* GetMapImage() const { return mapImage_.get(); }

  // --------------------------------------------------------- calibration
  TCalibModel GetCalibModel() const { return calibModel_; }
  void SetCalibModel(TCalibModel Model);  // refits and repaints
  int GetUTMZone() const { return calData_.UTMZone; }
  void SetUTMZone(int Zone);
  THemisphere GetUTMHemisphere() const { return calData_.UTMSouth ? hemiSouth : hemiNorth; }
  void SetUTMHemisphere(THemisphere Hemisphere);
  TGeoEllipsoid GetEllipsoid() const { return calData_.Ellipsoid; }
  void SetEllipsoid(TGeoEllipsoid Ellipsoid);
  const std::string& GetCalDatName() const { return calDatName_; }
  void SetCalDatName(const std::string& Name);
  const TCalibData& GetCalibData() const { return calData_; }
  std::string GetMapCaption() const { return calData_.Caption; }
  void SetMapCaption(const std::string& Caption);

  // Line form (cmParabolicIp only): appends the pixel to the graticule line
  // of that kind and value; always false.
  bool AddCalibPoint(TGratLineKind Kind, double Value, int X, int Y);
  // Geographic form (models 1 to 4): false when 200 points exist.
  bool AddCalibPoint(double Latitude, double Longitude, int X, int Y);
  // UTM form (cmUTM only): the zone and hemisphere must be the map's.
  bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int X,
                     int Y);
  bool RemoveCalibPoint(TGratLineKind Kind, double Value, int X, int Y);
  bool RemoveCalibPoint(int X, int Y);  // the nearest point of the model
  bool RestoreLastDeletedCalPoint();
  void ClearCalibData();
  void RecalcCalibration();  // parabola table, fit, corners and resolution, repaint

  double CalcLatitude(double X, double Y, bool& Valid) const;
  double CalcLongitude(double X, double Y, bool& Valid) const;
  double CalcLatitude(const TPoint& P, bool& Valid) const { return CalcLatitude(P.X, P.Y, Valid); }
  double CalcLongitude(const TPoint& P, bool& Valid) const {
    return CalcLongitude(P.X, P.Y, Valid);
  }
  bool CalcPixelCoords(double Latitude, double Longitude, int& X, int& Y) const;
  bool CalcPixelCoordsUTM(double Northing, double Easting, int& X, int& Y) const;
  int CalcUTMxFromEastingY(double Easting, int Y) const;
  int CalcUTMyFromNorthingX(double Northing, int X) const;
  void CalibQuality(double& QualityX, double& QualityY) const;
  void CalcExtentsAndResolution();
  // The fitted mapping of cmEquiRect and cmUTM: the first coordinate
  // (latitude, or northing) is First[0] + First[1] X + First[2] Y, the
  // second (longitude, or easting) likewise with Second. False for the other
  // models and before a fit of full rank.
  bool GetAffineMapping(std::array<double, 3>& First, std::array<double, 3>& Second) const;

  void SaveCalDataAsXML(const std::string& FileName, const std::string& ID) const;
  void SaveCalDataAsXML(TStream& Stream, const std::string& ID) const;
  void WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& ID) const;
  bool LoadCalDataFromXML(const std::string& FileName, const std::string& ID);
  bool LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID);
  bool ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& ID);
  bool ReadCalDataIntern(bool FromFile, TTextFile* F, TMemoryStream* Stream, const std::string& ID);

  // ----------------------------------------------------------- landmarks
  // Numbers are 1-based. Values not given come from the default landmark.
  void AddLandMark(double Lat, double Long, double Alti, TLandMarkElement Element, uint8_t LMClass,
                   const std::string& Identifier, double TimeStamp, int UserTag, TColor ColorFg,
                   TColor ColorBg, int Size, bool Transparent, int Direction, int Length);
  void AddLandMark(double Lat, double Long, double Alti);
  void AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier,
                   double TimeStamp);
  void AddLandMark(double Lat, double Long, double Alti, const std::string& CapText,
                   int CapFontSize, TColor CapColor);
  void AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier,
                   double TimeStamp, const std::string& CapText, int CapFontSize, TColor CapColor);
  // Class -1 (or any value outside 0..255) means every class. Removals ask
  // OnLandMarkAction for each landmark, fill the holes with the last entries
  // (the order is not kept), reset the highlight to 0 and repaint. They
  // return the number removed; the number form returns Number, or 0 when it
  // is out of range or vetoed. By radius: dLat^2 + dLong^2 < Radius^2; by
  // rectangle: strictly inside.
  int RemoveLandMark(double Lat, double Long, int LMClass, double Radius);
  int RemoveLandMark(const TRectDouble& Rect, int LMClass);
  int RemoveLandMark(double Lat, double Long, int LMClass);
  int RemoveLandMark(int Number);
  void RemoveLastLandMark();
  void RemoveAllLandMarks(uint8_t LMClass);
  void RemoveAllLandMarks();
  int FindLandMark(double Lat, double Long, int LMClass) const;
  int GetNumLandMarks() const { return numLandMarks_; }
  int GetLandMarkCapacity() const { return static_cast<int>(landMarks_.size()); }
  TLandMark GetLandMarkData(int Number) const;  // default landmark when out of range
  void SetLandMarkData(int Number, const TLandMark& Data);
  bool GetClassVisibility(int LMClass) const;
  void SetClassVisibility(int LMClass, bool Visible);
  int GetHighLM() const { return highLM_; }
  void SetHighLM(int Number);
  const TLandMark& GetDefaultLandMark() const { return defaultLandMark_; }
  void SetDefaultLandMark(const TLandMark& Data) { defaultLandMark_ = Data; }

  // The landmark file: a gmlandmarks block with one landmark element per
  // landmark. Reading finds the block with the id (any case; empty: the
  // first), empties the table and adds every landmark without asking
  // OnLandMarkAction; false (table unchanged) without such a block. A
  // written table reads back into equal landmarks, except that lmPlus and
  // lmUserDef come back as lmCross and non-finite numbers as 0. Absent
  // numbers take TLandMark's defaults. Missing files and read errors raise
  // EInOutError.
  void LoadLandMarks(const std::string& FileName, const std::string& ID);
  bool ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& ID);
  void SaveLandmarks(const std::string& FileName, const std::string& ID) const;
  void WriteLandMarksToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& ID) const;

  // --------------------------------------------------------------- view
  // See geomap_view*.cpp. Pixel positions of the control are "control"
  // pixels; the view origin (GetTopLeft) is the image pixel shown at the
  // control's top-left corner.
  void SetMapBitMap(const TBitmap& Bitmap);
  void SaveMap(const std::string& FileName, const std::string& ID);
  bool RenameMapImg(const std::string& NewName);
  void ResizeMap(double Factor);
  void ResizeMapTo(int MaxSize);  // factor MaxSize / the longer side
  void CreateEmptyMapInMemory(double LatLow, double LatHigh, double LongLow, double LongHigh,
                              double LatStep, double LongStep, int Width, int Height, bool DrawGrid,
                              const TEmptyMapDrawEvent& Draw = {});
  void CreateAndLoadEmptyMap(const std::string& FileName, double LatLow, double LatHigh,
                             double LongLow, double LongHigh, double LatStep, double LongStep,
                             int Width, int Height, bool DrawGrid,
                             const TEmptyMapDrawEvent& Draw = {});
  void Clear();

  double GetMagnification() const { return magnification_; }
  void SetMagnification(double m);  // clamped to the magnification bounds
  void ZoomFitPage();
  void ZoomHistory(int n);  // n in -15..0; 0 is the latest stored state
  void ClearZoomHistory();
  void ZoomStateOnStack();
  TZoomStackEntry GetZoomStackEntry(int n) const;  // slot 1..16
  TPoint GetTopLeft() const { return {viewLeft_, viewTop_}; }
  void SetTopLeft(const TPoint& P);
  void PanMapToFillWindow();
  void BringMapPixelToCenter(const TPoint& P);
  void BringLocationToCenter(double Lat, double Long);
  bool GetSuppressPaint() const { return suppressPaint_; }
  void SetSuppressPaint(bool b);
  // Landmarks are drawn in table order, only those whose symbol or caption
  // can reach the view. When more than RandSampleLimit lie in the view, a
  // random sample of about that many is drawn; when more than one landmark
  // per kCaptionArea control pixels of the view would be drawn, captions are
  // left out (they could not be read), the highlighted landmark's excepted.
  static constexpr int kCaptionArea = 400;
  int GetRandSampleLimit() const { return randSampleLimit_; }
  void SetRandSampleLimit(int n);
  double GetCacheMagLimit() const { return cacheMagLimit_; }
  void SetCacheMagLimit(double x);

  bool IsPositionWithinMap(double Lat, double Long) const;
  // UTM northing and easting of a position in the calibration's own zone,
  // hemisphere and ellipsoid (false without a zone 1..60).
  bool CalcUTMCoords(double Lat, double Long, double& Northing, double& Easting) const;
  double GetLastMClickLatitude() const;
  double GetLastMClickLongitude() const;
  TPoint ControlToMapImage(int Xc, int Yc) const;
  TPoint MapImageToControl(double X, double Y) const;

  bool MouseBox(int& x1, int& y1, int& x2, int& y2);
  void MouseBoxAbort();
  void ClearMouseTrace();
  int GetMTraceCount() const { return static_cast<int>(mtrace_.size()); }
  TMTracePoint GetMTracePoint(int i) const;
  void DrawMouseTrace(int x, int y, TBitmap* Bitmap) const;

  void ConstructInternalMapImg();
  const TBitmap* GetRenderBitmap() const { return renderBmp_.get(); }
  void CopyToClipboard();
  void CopyEntireMapToClipboard();
  std::unique_ptr<TBitmap> CopyToBMP();  // the whole image with everything drawn on it
  // Printing: the rectangle of a page (Margin pixels kept free on every
  // side) in which the whole map fits, centred, its aspect kept; the whole
  // map drawn into a rectangle of an open printer's canvas; and a document
  // of one page with the map on the application's printer.
  TRect CalcExtentsOfPrint(int PageWidth, int PageHeight, int Margin) const;
  void CopyToOpenPrinter(TCanvas* PrinterCanvas, const TRect& Where);
  void PrintIt(const std::string& Title = "");

  // Properties of the view.
  bool GetAllowPan() const { return mouseAction_ == maPan; }
  void SetAllowPan(bool b) { mouseAction_ = b ? maPan : maNone; }
  bool GetAntiAlias() const { return antiAlias_; }
  void SetAntiAlias(bool b);
  TColor GetColorBackGnd() const { return colorBackGnd_; }
  void SetColorBakGnd(TColor c);
  TColor GetColorGraticule() const { return colorGraticule_; }
  void SetColorGratLine(TColor c);
  TColor GetColorCalibPoints() const { return colorCalibPoints_; }
  void SetColorGratPoints(TColor c);
  TColor GetColorFrame() const { return colorFrame_; }
  void SetColorFrame(TColor c);
  bool GetConfinePanToMapImage() const { return confinePan_; }
  void SetConfinePan(bool b);
  const std::string& GetEmptyMsg() const { return emptyMsg_; }
  void SetEmptyMsg(const std::string& s);
  TFrameStyle GetFrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle s);
  double GetGratLineDist() const { return gratLineDist_; }
  void SetGratLineDist(double d);  // degrees, clamped to [0, 60]; 0 automatic
  int GetUTMGridDist() const { return utmGridDist_; }
  void SetUTMGridDist(int d);  // metres, clamped to [0, 10000000]; 0 automatic
  TShowGrat GetShowGraticule() const { return showGrat_; }
  void SetShowGrat(TShowGrat g);
  TMouseActMode GetMouseAction() const { return mouseAction_; }
  void SetMouseAction(TMouseActMode m) { mouseAction_ = m; }
  TColor MouseTraceColor = 0xFFFFFF;
  bool MouseTraceInvert = true;

  TCanvasEvent OnBeforeRenderData;
  TCanvasEvent OnDataRendered;
  TZoomPanEvent OnZoomPan;
  TSelectRectEvent OnSelectRect;
  TOnRubberBandActionEvent OnBeginRubberBand;
  TOnRubberBandActionEvent OnContinueRubberBand;
  TOnRubberBandActionEvent OnEndRubberBand;
  TMapImageRequestEvent OnMapImageRequest;
  TProgressEvent OnDataLoading;  // image reading progress
  TLandMarkActionEvent OnLandMarkAction;
  TDrawLandmarkEvent OnDrawLandmark;

  // The text "Component \"NAME\": " + Text as an ETKZGeoMapError.
  [[noreturn]] void Error(const std::string& Text) const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  // Coefficients of the fitted models, kept beside the record.
  struct TParabolaRow {
    TGratLineKind Kind = gtlMeridian;
    double Value = 0, C0 = 0, C1 = 0, C2 = 0;
    friend bool operator==(const TParabolaRow&, const TParabolaRow&) = default;
  };
  struct TCoeffs {
    std::array<double, 6> A{}, B{}, C{}, E{};           // forward (lat, long), inverse (X, Y)
    double Sx = 0, Ix = 0, Sy = 0, Iy = 0;              // Miller
    double X0 = 0, Y0 = 0, K = 0, M = 0, S = 0, T = 0;  // conic
    bool Valid = false;  // the last fit determined every coefficient (full rank)
    friend bool operator==(const TCoeffs&, const TCoeffs&) = default;
  };
  // Everything CalcPixelCoords reads: equal keys give equal pixels.
  struct TCalibKey {
    TCalibModel Model = cmUndefined;
    int32_t NumCalQuads = 0;
    int32_t UTMZone = 0;
    bool UTMSouth = false;
    TGeoEllipsoid Ellipsoid = gelWGS84;
    TCoeffs Biquad, Affine, Miller, Conic;
    std::vector<TParabolaRow> Parabolas;
    friend bool operator==(const TCalibKey&, const TCalibKey&) = default;
  };
  // The landmarks' image pixels on a grid, so that a render visits only the
  // cells near the view. Built on demand for one state of the table (Gen)
  // and of the calibration (Key).
  struct TLMIndex {
    bool Built = false;
    uint64_t Gen = 0;
    TCalibKey Key;
    std::vector<TPoint> Pixel;   // image pixel of each landmark
    std::vector<float> Reach;    // control pixels its drawing may reach; -1: no position
    std::vector<uint8_t> Class;  // LMClass of each landmark
    int X0 = 0, Y0 = 0, Cell = 1, NX = 0, NY = 0;
    std::vector<int> Start;        // NX * NY + 1 offsets into Items
    std::vector<int> Items;        // 0-based numbers, ascending within a cell
    std::vector<float> CellReach;  // the largest Reach in each cell
    std::vector<int> Outside;      // positions far beyond the image: always tested
    float MaxReach = 0;
  };
  TCalibKey CurrentCalibKey() const;
  const TLMIndex& LandMarkIndex();

  void RecalcGratMat();
  void FitModel();
  void FitConic();
  bool GratTableValid() const;
  bool ParabolicGeo(double X, double Y, TGratLineKind Kind, double& Result) const;
  bool ParabolicPixel(double Lat, double Long, int& X, int& Y) const;
  bool ModelNorthEast(double X, double Y, double& N, double& E) const;
  double CalcGeo(double X, double Y, bool Lat, bool& Valid) const;
  bool UTMLatLong(double X, double Y, double& Lat, double& Long) const;
  bool AddQuad(double A, double B, int X, int Y);
  // Asks OnLandMarkAction, then appends (the landmark readers append
  // without asking through StoreLandMark).
  void AddLandMarkRecord(const TLandMark& Data);
  void StoreLandMark(const TLandMark& Data);
  // Offers the candidates (0-based, ascending) for removal, drops the allowed
  // ones by filling their places from the end; the number removed.
  int RemoveMarked(const std::vector<int>& Candidates);
  // Count 0, capacity back to one block.
  void ResetLandMarkTable();

  int mapWidth_ = 0;
  int mapHeight_ = 0;
  std::unique_ptr<TBitmap> mapImage_;

  // The view (geomap_view*.cpp).
  void DrawGraticule(TCanvas* C);
  void DrawLandMarks(TCanvas* C);
  void DrawOneLandMark(TCanvas* C, const TLandMark& L);
  void DrawLandMarkAt(TCanvas* C, const TLandMark& L, const TPoint& P, bool Caption);
  void DrawFrameAndTrace(TCanvas* C);
  void InvalidateCache() { cacheMag_ = -1; }
  void TakeImage(std::unique_ptr<TBitmap> Image, const std::string& Name);
  void CheckImageSize(int w, int h) const;  // ETKZGeoMapError beyond kMaxMapPixels
  void DrawXorRect(int x1, int y1, int x2, int y2, bool Dotted);
  void DrawXorLine(int x1, int y1, int x2, int y2);
  void PresentOverlay();
  double magnification_ = 1.0;
  int viewLeft_ = 0;
  int viewTop_ = 0;
  std::unique_ptr<TBitmap> renderBmp_;
  std::unique_ptr<TBitmap> cacheBmp_;
  double cacheMag_ = -1;
  bool cacheAA_ = false;
  double cacheMagLimit_ = 2.0 / 3.0;
  int randSampleLimit_ = 20000;
  std::array<TZoomStackEntry, kZoomHistorySize + 1> zoomRing_{};  // 1-based
  int zoomIx_ = 1;
  std::vector<TMTracePoint> mtrace_;
  bool suppressPaint_ = false;
  bool antiAlias_ = true;
  TColor colorBackGnd_ = 0xC0C0C0;
  TColor colorGraticule_ = 0xFF0000;
  TColor colorCalibPoints_ = 0x0000FF;
  TColor colorFrame_ = 0;
  bool confinePan_ = true;
  std::string emptyMsg_ = "GeoMap: empty";
  TFrameStyle frameStyle_ = fsSimple;
  double gratLineDist_ = 0;
  int utmGridDist_ = 0;
  TShowGrat showGrat_ = sgNone;
  TMouseActMode mouseAction_ = maPan;
  // Mouse interaction.
  TPoint lastClick_{};     // image pixel of the last mouse-down
  bool dragging_ = false;  // pan, zoom drag, trace
  TPoint dragStart_{};     // control pixel where the drag started
  TZoomStackEntry dragStartState_{};
  bool rectOpen_ = false;  // zoom window or selection rectangle
  TPoint rectStart_{}, rectEnd_{};
  bool bandOpen_ = false;     // rubber band
  std::vector<TPoint> band_;  // vertices of the open rubber band
  TPoint bandEnd_{};
  enum class TBoxState : uint8_t { Idle, Armed, Open, Completed, Aborted };
  TBoxState boxState_ = TBoxState::Idle;
  TMouseActMode boxSavedAction_ = maNone;

  TCalibModel calibModel_ = cmUndefined;
  TCalibData calData_;
  std::string calDatName_;
  std::vector<TParabolaRow> parabolas_{TParabolaRow{}};
  TCoeffs biquad_, affine_, miller_, conic_;
  bool haveDeleted_ = false;
  TCalibModel deletedModel_ = cmUndefined;
  TCalQuad deletedQuad_{};
  TGratLineKind deletedKind_ = gtlMeridian;
  double deletedValue_ = 0;

  int numLandMarks_ = 0;
  std::vector<TLandMark> landMarks_;  // capacity in steps of kLandMarkBlock
  uint64_t lmGen_ = 1;                // bumped by every change of the table
  TLMIndex lmIndex_;
  int highLM_ = 0;
  std::array<bool, 256> classVisible_{};
  TLandMark defaultLandMark_;
};

}  // namespace tkz
