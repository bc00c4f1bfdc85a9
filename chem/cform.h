// cform: molecular formulas. TFormulaRec is the plain record of a formula
// (up to 20 entries of element, isotope mass number and count); TMolForm is a
// small graphic control that holds one formula, reads it from text, writes it
// back, weighs it three ways, compares it with another, searches the formulas
// that fit a mass, and paints it with superscript mass numbers and subscript
// counts.
//
// Formula text. Symbols are matched without regard to case and letters run
// together into one symbol, so elements without counts between them need a
// blank: "C6H12O6" and "Na Cl" read as expected, "NaCl" is the unknown symbol
// NACL and "CO" is cobalt. A mass number before a symbol marks an isotope
// ("13C", "13 C"); "D" is hydrogen of mass 2. Parentheses group parts with
// the multiplier written after ")", one level deep: "(C H3)2 C O", and
// blanks may stand before a parenthesis: "C H3 (C H2)2 O H". Reading
// stops quietly at the first part that cannot be read; ScanStopPos tells
// where.
//
// Limits. A formula holds at most kMaxFormulaEntries entries (entries of the
// same element are not merged while reading). Counts and mass numbers are
// 32-bit fields, counts limited to kMaxFormulaCount: a part whose count,
// multiplied count or mass number is beyond the limit, and a part beyond the
// 20th, end the reading like an unreadable part. A group multiplier below 1
// (written as ")-2" or ")0") counts as 1.
//
// Weights: ChemMolWgt and ExactMolWgt use the element's chemical and exact
// weights of cdata.h and ignore isotope mass numbers; NominalMolWgt sums mass
// numbers times counts and so honours isotopes.
//
// Mass search: InitFindFormula sets a range of formulas (counts of each entry
// of the upper bound falling to those of the lower bound, the last entry
// fastest); each FindFormula... call returns the next formula of the range
// that fits the target and shows it. The search polls AbortMathProc and
// follows the progress protocol of tkzbase.h (one ProgressStep per 65536
// rows of the last entry's counts).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "chem/molkit_export.h"
#include "core/platform/controls.h"

namespace tkz {

// Entries a formula holds.
constexpr int kMaxFormulaEntries = 20;
// The largest count of one entry.
constexpr int32_t kMaxFormulaCount = 9999999;

// A formula as a plain record. Arrays are 1-based (index 0 is unused):
// AtNum[i], AtWgt[i] (isotope mass number) and AtCnt[i] for i = 1..NumAtoms.
struct TFormulaRec {
  int32_t NumAtoms = 0;
  std::array<uint8_t, kMaxFormulaEntries + 1> AtNum{};
  std::array<int32_t, kMaxFormulaEntries + 1> AtWgt{};
  std::array<int32_t, kMaxFormulaEntries + 1> AtCnt{};

  bool operator==(const TFormulaRec&) const = default;
};

// When TMolForm paints mass numbers: never, only for isotopes other than the
// element's nominal mass, or always.
enum TIsotVisib : uint8_t { ivNone, ivSpecial, ivAlways };

class TKZ_MOLKIT_EXPORT TMolForm : public TGraphicControl {
 public:
  // 120 x 28 pixels, showing H2O.
  explicit TMolForm(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TMolForm"; }

  // ------------------------------------------------------------ text
  // Keeps Text as MolFormula and reads it with ScanMolFormula.
  void SetMolFormula(const std::string& Text);
  // The formula as AsString(1) writes it.
  std::string GetMolFormula() const;
  // The text last given to SetMolFormula.
  const std::string& GetMolFormulaText() const { return mol_formula_; }
  // Reads a formula with parentheses into the entries (MolFormula is kept).
  void ScanMolFormula(std::string_view Text);
  // Reads one part at the 1-based position Pos (see the top of the file) and
  // leaves Pos at the character that ended it. False, with the outputs
  // untouched, when no known element was read.
  bool ScanNextFormPart(std::string_view Text, int& Pos, int& Count, int& MassNr, int& AtNr);
  // Empties the formula and appends every part read, without parentheses.
  void ReadFromString(std::string_view Text);
  // Where the last ScanMolFormula or ReadFromString stopped (1-based): past
  // the end of the text when all of it was read.
  int ScanStopPos() const { return scan_stop_; }
  // Each entry as ChemElem writes it, followed by one blank. Mode 1 also
  // writes a count of 1 when another entry follows ("23Na1 35Cl "), so that
  // the text reads back as the same formula.
  std::string AsString(int Mode) const;
  // One entry: Mode 1 writes mass number, symbol and count, other modes
  // symbol and count; the count only when above 1; hydrogen of mass 2 is
  // "D". An atomic number outside 1..103 or a count below 1 gives "".
  static std::string ChemElem(int AtNr, int MassNr, int Count, int Mode);

  // ---------------------------------------------------------- weights
  double ChemMolWgt() const;
  double ExactMolWgt() const;
  int64_t NominalMolWgt() const;

  // 0 equal, 1 Other is contained in this one, 2 this one in Other, -1
  // neither, -2 when either is empty. Entries count per element and mass
  // number.
  int CompareTo(const TMolForm& Other) const;
  // Empties MolFormula and the entries.
  void Clear();

  // ------------------------------------------------------ mass search
  // Prepares a search for formulas of mass Target (u): the elements and mass
  // numbers of Upper's entries, each count from Upper's down to Lower's
  // count of the same entry. Upper holds at most 20 entries; an entry whose
  // lower count is above its upper count makes the range empty.
  void InitFindFormula(double Target, double Tolerance, const TFormulaRec& Lower,
                       const TFormulaRec& Upper);
  // The next formula whose nominal mass equals Target rounded (half to
  // even). With CheckFlag, also N + 2C + 2 >= H + F + Cl + Br + I.
  bool FindFormulaNominalMass(bool CheckFlag);
  // The next formula whose exact mass is within Tolerance of Target.
  bool FindFormulaExactMass(bool CheckFlag);
  bool FindFormulaIntern(bool Nominal, bool CheckFlag);
  // Whether the range has been searched to its end.
  bool SearchExhausted() const { return search_done_; }
  // Candidates of the range passed so far, and how many it holds.
  double SearchCandidatesDone() const { return search_passed_; }
  double SearchCandidatesTotal() const;

  // ---------------------------------------------------------- entries
  int GetNumAtoms() const { return form_.NumAtoms; }
  void SetNumAtoms(int n);  // 1..20
  int GetAtNum(int i) const;
  void SetAtNum(int i, int AtNr);  // 1..103
  int GetAtCnt(int i) const;
  void SetAtCnt(int i, int Count);
  int GetAtWgt(int i) const;
  void SetAtWgt(int i, int MassNr);
  // The entries as a record, and set from one (NumAtoms clamped to 0..20).
  const TFormulaRec& GetFormulaRec() const { return form_; }
  void SetFormulaRec(const TFormulaRec& Rec);

  // ------------------------------------------------------- appearance
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TColor GetColorBkg() const { return color_bkg_; }
  void SetColorBkg(TColor c);
  TColor GetColorTxt() const { return color_txt_; }
  void SetColorTxt(TColor c);
  bool GetUseDeuterium() const { return use_deuterium_; }
  void SetUseDeuter(bool b);
  bool GetShowAsText() const { return show_as_text_; }
  void SetShowAsText(bool b);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool b);
  TIsotVisib GetIsotopeVis() const { return isotope_vis_; }
  void SetIsotVis(TIsotVisib v);
  // With ParentFont the formula is painted in the parent's font.
  bool GetParentFont() const { return parent_font_; }
  void SetParentFont(bool b);
  bool GetParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool b) { parent_show_hint_ = b; }

  // Paints again: invalidates when Transparent, else paints at once.
  void ShowIt();

  // Copies every field of another TMolForm (search state included).
  void Assign(const TPersistent* Source) override;

 protected:
  void AssignTo(TPersistent* Dest) const override;
  void Paint() override;

 private:
  bool AppendEntry(int AtNr, int MassNr, int64_t Count);
  double CandidateMass(bool Nominal, int LastCount, double Rest) const;
  bool PassesCheck() const;
  void AcceptCandidate();
  bool AdvanceOdometer();
  double SearchPosition() const;

  TAlignment alignment_ = taCenter;
  TColor color_bkg_ = clBtnFace;
  TColor color_txt_ = clBlack;
  TFormulaRec form_;
  std::array<int32_t, kMaxFormulaEntries + 1> counters_{};
  double target_ = 0;
  double tolerance_ = 0.05;
  bool use_deuterium_ = true;
  bool show_as_text_ = false;
  bool transparent_ = false;
  std::string mol_formula_ = "H2O";
  TIsotVisib isotope_vis_ = ivSpecial;
  TFormulaRec lower_;
  TFormulaRec upper_;
  bool search_done_ = true;
  double search_passed_ = 0;
  int scan_stop_ = 0;
  bool parent_font_ = false;
  bool parent_show_hint_ = false;
};

}  // namespace tkz
