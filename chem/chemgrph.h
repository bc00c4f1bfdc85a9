// chemgrph: TChemGraph, a graphic control that owns one TCTab and draws it as
// a 2-D structure diagram: bonds as lines (double and triple bonds as offset
// parallel lines, aromatic bonds dashed), atom labels with their hydrogens
// and charges, per-atom colours and text attributes, a 3-D frame, scaling to
// the control or to any rectangle, mouse tracking that reports the atom
// nearest to the cursor, ring and chain picking near a point, and a random
// search that improves a layout.
//
// Coordinates. Structure coordinates are the table's (the MDL readers leave
// them with y growing downwards, as the screen's). A structure point (X, Y)
// is drawn at screen pixel (round(X * scale + x offset), round(Y * scale +
// y offset)); y is not flipped. Each drawing stores the transform it used,
// so that the mouse can be mapped back (StructFromScreen).
//
// Scaling (Paint). The structure's extents fill the client area less a
// margin of 8 pixels on each side, the mean bond length drawn at most
// MaxBondLeng pixels (no limit when MaxBondLeng <= 0). A control too small
// for the margin is drawn at the smallest positive scale that fits, never
// at a negative or zero one.
//
// Labels. An atom label is the element symbol, then its hydrogens as
// NrHAtoms counts them ("OH", "NH3", "CH4" for a lone carbon; none for
// elements without a standard valence), then its charge ("+", "2+", "-",
// "3-"): water is "OH2", an iron(II) ion "Fe2+", an ammonium nitrogen "N+"
// with four bonds. Which atoms get a label depends on DisplayMode. Bonds
// stop at the border of the label box (half-width c * length, half-height
// c, c = font size div 2 + 1, in pixels) of a labelled atom.
//
// Drawing needs only lines, rectangles and text of a TCanvas; everything is
// drawn with integer pixel coordinates (no anti-aliasing), so the pictures
// are exact and repeatable.
//
// Threading: one thread at a time, like every control.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "chem/cstruct.h"
#include "chem/molkit_export.h"
#include "core/platform/controls.h"
#include "core/types/tkzbase.h"

namespace tkz {

// Which atom labels are drawn: only those of lone and charged atoms, also
// those of every atom that is not carbon, of every atom, or atom numbers.
enum TCGDispMode : uint8_t { dmSkeleton, dmHeteroOnly, dmAllAtoms, dmNumbers };

// The sides of the clip rectangle.
enum TClipSide : uint8_t { diLeft, diTop, diRight, diBottom };

// Mouse tracking: the atom nearest to the cursor, its distance and the
// cursor, both in structure coordinates.
using TMoveOverStructEvent =
    std::function<void(TObject* Sender, int ClosestAtom, double Dist, TShiftState Shift,
                       double rMousePosX, double rMousePosY)>;

// Bits of an atom's Tag that the display reads.
constexpr uint32_t kCGTagColorMask = 0x03FFFFFFu;  // bits 0-25: own colour
constexpr int kCGTagAttribShift = 28;              // bits 28-30: visual attribute
constexpr uint32_t kCGTagAttribMask = 0x70000000u;
// Visual attributes (combinable).
constexpr int kCGBold = 1;
constexpr int kCGInverse = 2;
constexpr int kCGItalic = 4;

class TKZ_MOLKIT_EXPORT TChemGraph : public TGraphicControl {
 public:
  // 300 x 200 pixels, "Courier New" at 14 points; creates the table.
  explicit TChemGraph(TComponent* AOwner = nullptr);
  ~TChemGraph() override;
  std::string ClassName() const override { return "TChemGraph"; }

  // The structure shown; owned by the control. Its OnChange repaints.
  TCTab* GetStructure() { return structure_; }
  const TCTab* GetStructure() const { return structure_; }
  // Repaints (the table's OnChange).
  void StructureHasChanged(TObject* Sender);

  // ------------------------------------------------------- appearance
  TColor GetColorBkg() const { return color_bkg_; }
  void SetColorBakG(TColor c);
  TColor GetColorStructure() const { return color_structure_; }
  void SetMolColor(TColor c);
  TColorScheme GetColorScheme() const { return color_scheme_; }
  // Also sets the frame's shadow and highlight colours for the scheme.
  void SetColorScheme(TColorScheme s);
  TCGDispMode GetDisplayMode() const { return disp_mode_; }
  void SetDispMode(TCGDispMode m);
  TFrameStyle GetFrameStyle() const { return frame_style_; }
  void SetFrameStyle(TFrameStyle s);
  // Upper limit of the drawn mean bond length in pixels; <= 0 no limit.
  int GetMaxBondLeng() const { return max_bond_leng_; }
  void SetMaxbondleng(int Pixels);
  // Draw the raw coordinates, one unit a pixel, without scaling.
  bool GetDrawAsIs() const { return draw_as_is_; }
  void SetDrawAsIs(bool b);
  // While set nothing is painted; clearing it repaints.
  bool GetSuppressPaint() const { return suppress_paint_; }
  void SetSuppressPaint(bool b);
  bool GetParentFont() const { return parent_font_; }
  void SetParentFont(bool b) { parent_font_ = b; }
  bool GetParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool b) { parent_show_hint_ = b; }

  // Per-atom colour (bits 0-25 of Tag; setting it clears bit 31 and keeps the
  // visual attribute) and visual attribute 0..7. Atoms outside 1..n are
  // ignored; the getters give 0 for them.
  void SetAtColor(int Atom, TColor Color);
  TColor GetAtColor(int Atom) const;
  void SetVisAttrib(int Atom, int Attrib);
  int GetVisAttrib(int Atom) const;

  // One side of the clip rectangle (pixels) used when drawing with clipping.
  void SetClipBoundary(TClipSide Side, int Value);
  int GetClipBoundary(TClipSide Side) const;

  // ----------------------------------------------------- the transform
  // The transform of the last drawing: screen = structure * scale + offset.
  double GetDrawScale() const { return scale_; }
  double GetDrawXOffset() const { return x_offset_; }
  double GetDrawYOffset() const { return y_offset_; }
  // An atom's screen pixel under that transform ((0, 0) outside 1..n).
  TPoint AtomToScreen(int Atom) const;
  // The structure point under a screen pixel (the inverse transform).
  void StructFromScreen(int X, int Y, double& SX, double& SY) const;

  // ----------------------------------------------------------- drawing
  // Draws the structure on Canvas with the given transform and stores it.
  void DrawMolRaw(TCGDispMode Mode, bool Clip, TCanvas* Canvas, double YOffset, double XOffset,
                  double Scale);
  // The bonds of one atom (with Once only those to higher-numbered atoms).
  // LabelMode 0..3 says which ends carry labels that the bond stops at.
  void DrawConnections(int Atom, bool Once, TCanvas* Canvas, bool Clip, double YOffset,
                       double XOffset, double Scale, int LabelMode);
  // The label of one atom: mode 1 non-carbon atoms only, 2 every atom, 3 the
  // atom number, other modes nothing.
  void DispElemSymb(int Atom, int LabelMode, TCanvas* Canvas, bool Clip, double YOffset,
                    double XOffset, double Scale);
  // The label text of an atom (see the top of the file); returns its length.
  int ConstructElemSymb(int Atom, std::string& Text) const;
  // Scales the structure into the box (pixels) and draws it there without
  // clipping, the mean bond length at most MaxBondLength pixels when positive.
  void ShowMoleculeInABox(TCanvas* Canvas, TCGDispMode Mode, int Left, int Top, int Right,
                          int Bottom, int MaxBondLength);
  // Draws the structure on the printer's current page into the box (printer
  // pixels), with the font size scaled to the printer's resolution; false
  // when no document is printing.
  bool PrintMolecule(int Left, int Top, int Right, int Bottom);

  // ----------------------------------------------------------- picking
  // Fires OnMoveOverStruct when assigned.
  void MoveOverStruct(int ClosestAtom, double Dist, TShiftState Shift, double X, double Y);
  // The smallest ring next to the structure point (X, Y): the ring nearest
  // to the point among the smallest rings through the six atoms nearest to
  // it. An empty ring (Size 0) when there is none. Atom flags are not used.
  void FindRingNextToCursor(float X, float Y, RingType& Ring) const;
  // The chain of atoms with at most two bonds next to (X, Y): Atoms[1..]
  // from one end to the other (the end with the smaller x first), Atoms[0]
  // and the result the count; 0 without such atoms. A ring of two-bond
  // atoms is walked once round.
  int FindChainNexttoCursor(float X, float Y, AtListType& Atoms) const;

  // ---------------------------------------------------------- layout
  // Improves the layout by a random search with bond length BondLength
  // (structure units): 100 steps per atom, each moving one or two random
  // atoms by a step that shrinks to 0 over the run; a move is kept when the
  // score does not fall. Uses the process-wide generator (RandSeed makes a
  // run repeatable). Fewer than 2 atoms or BondLength < 1 change nothing.
  void OptimizeMolShape(int BondLength);
  // The score OptimizeMolShape maximises (3-D distances d, bond length L):
  // per bonded pair -(d - L)^2 / 2 and, per other neighbour k of either atom,
  // -(d(other atom, k) - 1.732 L)^2 / 2; per pair not bonded +d.
  double MolShapeScore(int BondLength) const;

  TMoveOverStructEvent OnMoveOverStruct;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  // Converts the cursor and reports the closest atom.
  void WMMoveOverStruct(TShiftState Shift, int X, int Y);

 private:
  void Changed();
  // The font size (points) of a drawing with this scale and mean bond length.
  static int LabelFontSize(double Scale, double MeanBond);
  TColor LabelColor(int Atom) const;
  int LabelLength(int Atom, int LabelMode) const;

  TCTab* structure_ = nullptr;
  TColor color_bkg_ = clBtnFace;
  TColor color_structure_ = 0x000080;
  TColor color_dark_ = clBlack;
  TColor color_shadow_ = 0x808080;
  TColor color_highlight_ = clWhite;
  TColorScheme color_scheme_ = csBWG;
  double scale_ = 1;
  double x_offset_ = 0;
  double y_offset_ = 0;
  int max_bond_leng_ = 30;
  TFrameStyle frame_style_ = fsRaised;
  std::array<int, 4> clip_{0, 0, 800, 600};
  TCGDispMode disp_mode_ = dmSkeleton;
  bool suppress_paint_ = true;
  bool draw_as_is_ = false;
  bool parent_font_ = false;
  bool parent_show_hint_ = false;
  int font_size_ = 14;  // of the drawing in progress, for the label boxes
};

}  // namespace tkz
