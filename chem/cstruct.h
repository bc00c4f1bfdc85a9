// cstruct: TCTab, one chemical structure as a fixed-size connection table of
// up to 63 atoms, each with its element, isotope, flags, charge, three
// coordinates and up to 10 bonds; its editing, hydrogen counting, formula and
// weight, geometry and CAS number; and its files: MDL molfiles, CTab and SD
// files (V2000), and the library's own clear-text formats CONTAB and CTABG.
//
// Storage. Atoms are numbered 1..n without gaps (n <= kMaxCTAtoms). The bonds
// of an atom occupy its connection slots 1..k without gaps; every bond is
// entered on both atoms with the same type (1 single, 2 double, 3 triple, 4
// aromatic; other values are kept and passed through). Entries above n are
// kept cleared. The member functions are spread over files by concern:
// cstruct.cpp (the table and its fields), cstruct_chem.cpp (hydrogens,
// formula, weight, deleting atoms, fragments), cstruct_geometry.cpp,
// cstruct_mdl.cpp (MDL files) and cstruct_text.cpp (CONTAB, CTABG and the
// connectivity export).
//
// Coordinates. The readers rescale coordinates to whole numbers from 0 to
// 32767 with y growing downwards, as the structure display draws them.
// Molfiles have y growing upwards: the MDL readers and writers flip y, so that
// structures from other programs are not shown mirrored and ours are not
// mirrored in theirs.
//
// Bad input. Every reader checks what it reads: an atom count outside 1..63,
// a bond naming an atom outside 1..n or an atom bonded to itself, an unknown
// element symbol, a bond type 0 or above 4, more than 10 bonds on an atom make
// the result false; nothing is ever written outside the table. Lines are read
// with a bounded length, so a file of one endless line costs no memory.
//
// Threading: a TCTab is used by one thread at a time; distinct tables are
// independent.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "chem/cform.h"
#include "chem/molkit_export.h"
#include "core/platform/classes.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"

namespace tkz {

// Atoms a table holds, and bonds an atom holds.
constexpr int kMaxCTAtoms = 63;
constexpr int kMaxCTConn = 10;

// Tag of an atom without a display colour of its own (bit 31 set).
constexpr uint32_t kCTTagNoColor = 0x80000000u;

// One atom. Arrays are 1-based (index 0 unused). AtWeight is the isotope mass
// number of the atom (the element's nominal mass for the natural element); it
// is 16 bits wide, so that the mass numbers above 255 of the heaviest
// elements fit.
struct CTElem {
  uint8_t AtType = 0;     // atomic number 1..103; 0 in a cleared entry
  uint16_t AtWeight = 0;  // isotope mass number
  uint8_t AtFlag = 0;     // free marker; equal non-zero values join fragments
  uint8_t Attrib = 0;     // attribute bits of the ring perception
  int8_t Charge = 0;      // formal charge
  std::array<uint8_t, kMaxCTConn + 1> ConnTo{};   // bonded atoms, 0 = empty slot
  std::array<uint8_t, kMaxCTConn + 1> TypConn{};  // bond type of the same slot
  std::array<float, 4> Coords{};                  // x, y, z in Coords[1..3]
  // Display attributes kept for the structure display: bits 0-25 the atom's
  // colour, bits 28-30 a visual attribute 0..7, bit 31 = no colour of its own.
  uint32_t Tag = kCTTagNoColor;

  bool operator==(const CTElem&) const = default;
};

// Resets an entry: every field 0, Tag kCTTagNoColor.
TKZ_MOLKIT_EXPORT void ClearCTElem(CTElem& Entry);

enum CoordUnitType : uint8_t { cuUnknown, cuPixel, cuNanoM, cuPicoM, cuAngstrom };

// The data items of an SD record that ReadFromMDLSDFile collects: 20 slots,
// Items[1..20] (index 0 unused); an empty Name is a free slot.
constexpr int kMaxPropItems = 20;
struct TPropItem {
  std::string Name;  // at most 15 characters
  double Value = 0;
  bool operator==(const TPropItem&) const = default;
};
using TPropRec = std::array<TPropItem, kMaxPropItems + 1>;

// The item names ReadFromMDLSDFile recognises, in their order (1..20), and
// the two that carry the CAS number.
TKZ_MOLKIT_EXPORT const std::array<const char*, kMaxPropItems>& SDPropItemNames();

// ------------------------------------------------------------ rings
// One ring: its size and its atoms in path order, Atoms[1..Size]; Extra is
// copied with the ring and means nothing here.
struct RingType {
  uint8_t Size = 0;
  std::array<uint8_t, kMaxCTAtoms + 1> Atoms{};
  uint8_t Extra = 0;
  bool operator==(const RingType&) const = default;
};
// A list of at most kMaxRings rings, Rings[1..Count].
constexpr int kMaxRings = 100;
struct RingListType {
  int32_t Count = 0;
  std::array<RingType, kMaxRings + 1> Rings{};
};

// Whether every atom of Ring belongs to one single ring of List.
TKZ_MOLKIT_EXPORT bool RingInRingList(const RingType& Ring, const RingListType& List);

// Atom attribute bits (Attrib), as CalcAttributes sets them.
constexpr uint8_t kAttrChain = 0x01;      // in no ring
constexpr uint8_t kAttrOddRing = 0x02;    // in a ring of 2 to 4 or more than 6 atoms
constexpr uint8_t kAttrRing5 = 0x04;      // in a five-membered ring
constexpr uint8_t kAttrRing6 = 0x08;      // in a six-membered ring
constexpr uint8_t kAttrBranch = 0x10;     // more than two bonds
constexpr uint8_t kAttrRing = 0x20;       // ring member
constexpr uint8_t kAttrChainEnd = 0x40;   // chain atom with exactly one bond
constexpr uint8_t kAttrMultiRing = 0x80;  // member of more than one ring

// The functional groups that FragmentCount counts.
enum FrgType : uint8_t {
  NSglBnd,
  NCCSgl,
  NDblBnd,
  NCCDbl,
  NTrplBnd,
  NCCTrpl,
  NAroBnd,
  NBranch,
  XCnt,
  COOH,
  COO,
  NO2,
  AnyCO,
  AroCl,
  AroBr,
  AnyOH,
  PhOH,
  NH2,
  NHR,
  NR2,
  NCON,
  CN,
  CONR2,
  CHO,
  COX,
  AnySO,
  OCH3,
  NO,
  NNH2
};
// The identifier of a group as written above ("COOH"); "" outside the
// enumeration.
TKZ_MOLKIT_EXPORT const char* FrgTypeName(FrgType Kind);

// The text of a fragment code: the centre element, then a bond character and
// an element for each neighbour ("C2O1O"); "ERROR" for a negative code or
// one without a centre element.
TKZ_MOLKIT_EXPORT std::string FragmentStr(int32_t Code);

// ---------------------------------------------------------- search
// A list of atoms: Atoms[0] the count, Atoms[1..] the atom numbers.
using AtListType = std::array<int32_t, kMaxCTAtoms + 1>;
// Match marks of a search, [1..63]: 1 for a structure atom of the match.
using TMatchMarks = std::array<uint8_t, kMaxCTAtoms + 1>;
enum SSSMode : uint8_t { smSkeleton, smAtoms, smBonds, smAtomAndBonds };
// The file the search trace is appended to, in the current folder.
constexpr const char* kSearchTraceFile = "substrct.txt";

class TCTab;

// What the substructure search knows of a table before it matches atoms:
// element counts, bond counts by the elements they join (with and without
// their type), bond counts per atom, the ring count and the query's parts.
// Made once, it serves every search the table takes part in (a query over
// many records, a record against many queries), as the search's pre-checks
// reject at once the pairs whose counts cannot fit. It describes the table
// as it was when made: remake it after the table changes. Searches on
// several threads may share a profile (they only read it).
class TKZ_MOLKIT_EXPORT TSearchProfile {
 public:
  TSearchProfile() = default;  // of an empty table
  explicit TSearchProfile(const TCTab& T);
  // Makes the profile of T afresh.
  void Assign(const TCTab& T);
  int GetNAtoms() const { return n_; }

 private:
  friend class TCTab;
  // Whether a table of profile Query may be found in one of this profile:
  // false only when some count proves that it cannot.
  bool MayContain(const TSearchProfile& Query, bool CheckBonds) const;

  // Bonds counted by a key of their two elements (and type): at most
  // kMaxKeys kinds; a table with more leaves the counts out of the checks.
  static constexpr int kMaxKeys = 48;
  struct BondKinds {
    int count = 0;  // kinds; -1 when there were too many
    std::array<uint32_t, kMaxKeys> key{};
    std::array<uint16_t, kMaxKeys> bonds{};
  };

  int n_ = 0;
  int rings_ = 0;
  std::array<uint8_t, kMaxCTAtoms + 1> deg_{};  // bonds of each atom
  std::array<uint8_t, 256> elementCount_{};     // atoms of each element
  int kinds_ = 0;                               // distinct elements, in kindZ_
  std::array<uint8_t, kMaxCTAtoms> kindZ_{};
  std::array<uint8_t, 5> atLeast_{};  // atoms with at least k bonds, k 1..4
  BondKinds typed_, untyped_;
  // Whether every bond is entered on both its atoms, once, with one type
  // (the table's invariant); the bond counts are compared only then.
  bool wellFormed_ = true;
  // The parts of more than one atom, numbered from 1 in the order of their
  // lowest atom (0 for an atom without bonds), and their order by size,
  // largest first.
  int parts_ = 0;
  std::array<uint8_t, kMaxCTAtoms + 1> part_{};
  std::array<uint8_t, kMaxCTAtoms> partOrder_{};
};

class TKZ_MOLKIT_EXPORT TCTab : public TComponent {
 public:
  explicit TCTab(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TCTab"; }

  TNotifyEvent OnChange;

  // ------------------------------------------------------------ the table
  // Empty table, no name, CAS number 0, unit cuUnknown; Changed.
  void Clear();
  // Calls OnChange.
  void Changed();
  int GetNAtoms() const { return n_; }
  const std::string& GetStrucName() const { return name_; }
  void SetStrucName(const std::string& Name);
  CoordUnitType GetCoordUnit() const { return unit_; }
  void SetCoordUnit(CoordUnitType u);

  // Appends an atom with the entry's element, isotope, flag, attribute,
  // charge and coordinates, and enters each of its bonds with EnterConn (on
  // the new atom only). Tag is not taken. False when the table is full.
  bool AddAtom(const CTElem& Entry);
  // Removes atom a (ignored outside 1..n). Every two neighbours of a that
  // are not yet bonded are bonded to each other in its place, with the lower
  // of their two bond type numbers on both sides; a bridge for which either
  // atom has no free slot is left out. The last atom, Tag and all, then
  // takes the number a. Afterwards no atom names a or the old last number,
  // no partner occurs twice and the slots have no gaps.
  void DeleteAtom(int a);
  // Enters the bond a -> b on atom a only: in the slot that already holds b
  // (the type changes) or in the first empty slot. False, with nothing
  // written, unless 1 <= a, b <= n, a != b and a slot is free.
  bool EnterConn(int a, int b, int Type);
  // Type != 0: bonds a and b both ways (false, with nothing written, when
  // either side has no free slot). Type 0: removes the bond from both atoms;
  // false when there was none. Both atoms must be in 1..n.
  bool MakeConnection(int a, int b, int Type);
  // Enters b -> a for every bond a -> b (with its type); a bond whose other
  // atom has no free slot (or lies outside the table) is removed from a too.
  void MakeSymmetricConnections();
  // The type of the bond a - b as entered on a; 0 if none.
  int CheckConnect(int a, int b) const;
  int GetNBonds(int a) const;
  // The largest bond count of any atom; Atom gets the first atom with it
  // (unchanged when no atom has a bond).
  int MaxNBonds(int& Atom) const;

  // --------------------------------------------------------- atom fields
  // Getters give 0 (a cleared entry) for atoms outside 1..n; setters ignore
  // them, and run Changed.
  int GetAtNum(int a) const;
  void SetAtNum(int a, int Z);  // 1..103 only
  int GetAtWeight(int a) const;
  void SetAtWeight(int a, int MassNr);  // 0..65535
  int GetAtFlag(int a) const;
  void SetAtFlag(int a, int Flag);
  int GetAttrib(int a) const;
  void SetAttrib(int a, int Attrib);
  int GetCharge(int a) const;
  void SetCharge(int a, int Charge);  // -128..127
  // Raw slot access, slot 1..10 (the setters do not keep bonds symmetric).
  int GetConnTo(int a, int Slot) const;
  void SetConnTo(int a, int Slot, int Partner);
  int GetTypConn(int a, int Slot) const;
  void SetTypConn(int a, int Slot, int Type);
  // Axis 1..3 (x, y, z).
  float GetCoords(int a, int Axis) const;
  void SetCoords(int a, int Axis, float Value);
  // The whole entry; a cleared entry outside 1..n.
  CTElem GetAtomEntries(int a) const;
  void SetAtomEntries(int a, const CTElem& Entry);
  uint32_t GetTag(int a) const;
  void SetTag(int a, uint32_t Tag);
  // Atoms of element Z.
  int AtomCount(int Z) const;
  // Whether any coordinate is non-zero; setting false zeroes them all.
  bool GetCoordsPresent() const;
  void SetCoordsPresent(bool Present);

  // ------------------------------------------------- chemistry (cstruct_chem)
  // Implicit hydrogens of atom a, plus its explicit hydrogen neighbours e.
  // The element's standard valence s (H 1, B 3, C 4, N 3, O 2, F 1, Si 4,
  // P 3, S 2, Cl 1, Ge 4, Br 1, I 1, others 0) is corrected by the charge q:
  // s + q for N, O, P, S and the halogens (NH4+ 4, H3O+ 3, OH- 1), s - |q|
  // for C, Si and Ge (CH3+ and CH3- 3), s - q for B (BH4- 4); an element
  // with s = 0 ignores its charge. With v the bond-order sum (types 1..3
  // count 1..3, an aromatic bond 1) and f = 1 for an atom with aromatic
  // bonds: v + f below the corrected s gives s - v - f + e; otherwise e,
  // and e + 1 for an uncharged phosphorus with v = 4 (H-phosphonates). Never
  // below 0; a hydrogen atom has 0; outside 1..n 0. HCN keeps its hydrogen.
  int NrHAtoms(int a) const;
  int CalcMissingH() const;
  void RemoveHydrogen();
  // The formula: the hydrogens of CalcMissingH as one entry of mass 1, then
  // each atom other than hydrogen counted by element and AtWeight (explicit
  // hydrogen atoms enter only through their neighbour's count), in the order
  // C, H, N, O, S, P, F, Cl, Br, I, then the others as met. False, with
  // Formula unchanged, when more than 20 entries would be needed.
  bool CalcMolecularFormula(TFormulaRec& Formula) const;
  double CalcChemMolWeight() const;
  // Joins the fragment: its atoms that carry a non-zero AtFlag are mapped
  // onto this table's (last) atom with the same flag, taking over its
  // element, isotope and charge and adding their bonds; the others (and
  // flagged atoms without a partner here) are appended. Bonds are entered on
  // both sides; one for which either atom has no free slot is left out.
  // False, with the table unchanged, when the result would exceed 63 atoms.
  // The fragment may be this table.
  bool JoinFragment(const TCTab& Fragment);
  // Appends the fragment (its bonds and slot order kept, its Tags not) and
  // bonds each atom of this table with a non-zero AtFlag to every appended
  // atom with the same flag by a single bond, where both have a free slot.
  // False, with the table unchanged, when the atoms together exceed 63.
  bool LinkFragment(const TCTab& Fragment);
  // Copies atoms, name, unit and CAS number; each atom keeps its own Tag,
  // entries beyond the new count are cleared. Changed.
  void CopyFrom(const TCTab& Other);

  // ------------------------------------------------ geometry (cstruct_geometry)
  // The mean of the atoms' coordinates; 0, 0, 0 for an empty table.
  void CalcMolCenter(double& X, double& Y, double& Z) const;
  // Bounds (from the atoms themselves, negative coordinates too) and means
  // of x and y; returns the mean bond length in the xy plane over every
  // occupied slot (0 without bonds). Fewer than 2 atoms give the drawing
  // area 1..10000 x 1..7000, means 5000 and 3500, and 0.
  double CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& MeanX,
                        double& MeanY) const;
  // The atom nearest to (X, Y, Z) (the first on ties); atom 0 and the largest
  // double for an empty table.
  void FindClosestAtom(double X, double Y, double Z, int& Atom, double& Distance) const;
  // The highest-numbered atom within the box; -1 if none.
  int FindAtomInBox(double X, double Y, double Z, double DX, double DY, double DZ) const;
  // Turns the structure onto the principal axes of its x and y coordinates
  // (numkit's CalcPrincComp on the covariance): x along the largest spread,
  // y along the second, the centre at the origin, coordinates rounded to
  // whole numbers. The second axis is reversed when needed so that the turn
  // has determinant +1: never a mirror image. Fewer than 2 atoms, or a failed
  // analysis, leave the coordinates as they are.
  void RotateWithPCA();

  // ------------------------------------------------------------ CAS number
  // The CAS number as text ("7732-18-5"; "0-00-0" for none).
  std::string GetCASNr() const;
  // A valid CAS text replaces the number, anything else keeps it; Changed
  // either way.
  void SetCASNr(const std::string& Text);
  int64_t GetCASNumber() const { return cas_; }
  static bool CheckCASNr(int64_t CASNr);

  // ---------------------------------------------- rings (cstruct_rings)
  // The number of independent rings: bonds - atoms + connected parts (so a
  // salt of two rings counts 2 and an empty table 0).
  int RingsInMolecule() const;
  // All rings of the smallest size through StartAtom, each atom set once, in
  // path order from StartAtom; 0 (an empty list) for an atom in no ring or
  // outside the table. Atom flags are not touched. A list holds at most
  // kMaxRings rings: where there are more, the search stops collecting and
  // returns kMaxRings.
  int FindShortestRings(int StartAtom, RingListType& Rings) const;
  // A set of smallest rings: for each atom not yet covered, its smallest
  // rings that no listed ring contains; the atoms of at most two bonds of a
  // ring taken are covered (fusion atoms never are, so a cage can give more
  // or fewer rings than RingsInMolecule). Returns their number; at most
  // kMaxRings, the rest not collected.
  int FindSSSR(RingListType& Rings) const;
  // Sets every atom's Attrib (see the kAttr... bits) from the FindSSSR set;
  // returns its count. Atom flags are not touched.
  int CalcAttributes();
  void ClearAttributes();
  // Deletes atoms with one bond, pass after pass, until only rings, the
  // chains between them and isolated atoms are left; a single atom left is
  // deleted too. Returns the atoms left.
  int StripfromChains();
  // The first atom numbered >= Start with exactly one bond; 0 if none.
  int FindNextEndAtom(int Start) const;
  bool ContainsUnconnectedAtom() const;
  // The number of occurrences of a functional group (0 for a value outside
  // FrgType); hydrogens are implicit. A nitro group is N+(=O)O- with charges
  // +1 and -1, as the readers store it, or the uncharged N(=O)=O.
  int FragmentCount(FrgType Kind) const;
  // The neighbourhood of atom a as a number (see FragmentStr); -1 for an
  // atom outside the table, an unknown (element 0) atom or an element
  // without a code, the atom's or a partner's (an unknown partner is "RR");
  // -2 for more than 4 bonds. SecondSphere gets the bonds of the neighbours
  // beyond a.
  int32_t FragmentCode(int a, int& SecondSphere) const;

  // -------------------------------------------- search (cstruct_search)
  // What differs from Other, as bits (0 when equal).
  uint16_t CompareWith(const TCTab& Other) const;
  // Whether this table has at least as many atoms of every element as Query.
  bool SumForContained(const TCTab& Query) const;
  // Whether Query occurs in this structure: every query atom matched to a
  // distinct atom of the same element with at least as many bonds (and the
  // query's attribute bits, where it has any), every query bond to a bond
  // (of the same type with CheckBonds). Marks gets 1 for the atoms of the
  // match. With the search trace on, each step is appended to
  // kSearchTraceFile.
  bool SearchSubStruc(const TCTab& Query, TMatchMarks& Marks, bool CheckBonds) const;
  // The same search with the profiles of both tables made beforehand, for
  // a query searched in many structures or a structure searched for many
  // queries. Each profile must describe its table as it is now (one of
  // another atom count is not used: the search then makes its own).
  bool SearchSubStruc(const TCTab& Query, const TSearchProfile& QueryProfile, TMatchMarks& Marks,
                      bool CheckBonds, const TSearchProfile& Profile) const;
  // The same, also giving the match atom by atom: Mapping[q] is the
  // structure atom matched to query atom q (1..Mapping[0], Mapping[0] the
  // query's atom count); all 0 when the query is not found.
  bool SearchSubStruc(const TCTab& Query, const TSearchProfile& QueryProfile, TMatchMarks& Marks,
                      bool CheckBonds, const TSearchProfile& Profile, AtListType& Mapping) const;
  // The atoms that pass a template of element, bond count and bond types
  // (see cstruct_search.cpp for the rules).
  void MatchAtomTemplate(int Element, int BondCount,
                         const std::array<uint8_t, kMaxCTConn>& BondTypes, AtListType& Atoms) const;
  // The search trace: off unless switched on.
  bool GetSearchTrace() const { return search_trace_; }
  void SetSearchTrace(bool On) { search_trace_ = On; }

  // ------------------------------------------------ MDL files (cstruct_mdl)
  // Each reader reads forward from where the file or stream stands and
  // leaves it after what it consumed (a stream right after the last line
  // read, "M  END" included). A CTab is the counts line, the atom and bond
  // blocks read by columns, and the property block up to "M  END": "M  CHG"
  // and "M  RAD" supersede every charge of the atom block, "M  ISO" every
  // mass (absolute mass numbers into AtWeight); radicals are not kept. The
  // symbols D and T are hydrogen of mass 2 and 3. A counts line that cannot
  // be read or an atom count outside 1..63 leaves the table as it was;
  // after any other failure the table holds what was read up to it (with
  // all coordinates 0 when the atom or bond block is incomplete), its
  // invariants kept. Lines are kept to at most 4096 bytes.
  bool ReadFromMDLCTabFile(TTextFile& F);
  bool ReadFromMDLCTabStream(TStream& S);
  // Three header lines (line 1 becomes StrucName, whatever the result), then
  // the CTab.
  bool ReadFromMDLMolFile(TTextFile& F);
  bool ReadFromMDLMolStream(TStream& S);
  // One SD record up to and including its "$$$$" line (or the end of the
  // file), with its data items: a data header names its item between "<"
  // and ">" ("> <MELTP>", ">  <MELTP>  (1)", "> 25  <MELTP>"); a value that
  // is not a number skips its item. Atom and bond lines not in columns are
  // read as blank-separated fields. A record that cannot be read gives false
  // and the file still moves on to its "$$$$", so that the next record reads.
  bool ReadFromMDLSDFile(TTextFile& F, TPropRec& Props);
  // The same from a stream, which is left right after the record's "$$$$"
  // line (or at its end).
  bool ReadFromMDLSDStream(TStream& S, TPropRec& Props);
  // The counts line (V2000), atoms, bonds, "M  CHG" and "M  ISO" lines and
  // "M  END". Coordinates are scaled by a multiple of 0.0001 so that the
  // mean bond length is about 1.5 (0.01 without bonds), y flipped.
  void WriteToMDLCTabFile(TTextFile& F) const;
  void WriteToMDLCTabStream(TStream& S) const;
  // Header line 1 is Name (StrucName when Name is empty); line 2 names
  // Program, the date (MMDDYYHHmm) with "2D", and RegNo; line 3 is Comment.
  void WriteToMDLMolFile(TTextFile& F, const std::string& Name, const std::string& Program,
                         int RegNo, const std::string& Comment) const;
  void WriteToMDLMolStream(TStream& S, const std::string& Name, const std::string& Program,
                           int RegNo, const std::string& Comment) const;
  // One SD record: the molfile (named StrucName), the CAS number as a
  // "CAS_RN" item when there is one, the named data items of Props, and the
  // "$$$$" line; ReadFromMDLSDFile reads it back with the same items.
  void WriteToMDLSDFile(TTextFile& F, const TPropRec& Props) const;

  // ------------------------------------------ clear-text files (cstruct_text)
  // The library's own text formats (layouts in cstruct_text.cpp). Values are
  // blank-separated tokens across line breaks; coordinates are taken as
  // written, not rescaled. A bond may be listed on either atom or both; it is
  // entered on both. Bad input gives false, never an exception: a token that
  // is not a number or does not fit its field, an element outside 1..103,
  // more than 10 partners, a partner outside 1..N or the atom itself, a bond
  // type outside 1..4, N outside 1..63, the end of the file inside the block.
  // Unreadable counts, L <= 0 or N < 1 leave the table as it was; otherwise it
  // keeps the name and the atoms read before the fault. Reading stops at the
  // fault, so no count makes it read (or allocate) beyond the file and 63
  // atoms.
  //
  // Searches "/CONTAB" from where F stands, then reads the block's body.
  bool ReadFromClearTextFile(TTextFile& F);
  // A CONTAB body: L N, L - 2N name lines, N atom records.
  bool ReadConnTabBody(TTextFile& F);
  // Searches "/CTABG", then reads a CTABG body: L N, L - N name lines, N
  // records with 8 partner places each.
  bool ReadFromClearTextFileCTABG(TTextFile& F);
  // A CONTAB block that ReadFromClearTextFile reads back into an equal table
  // (elements, AtWeight, Attrib, Charge, coordinates, bonds in their slots,
  // the name); AtFlag, Tag, the CAS number and the unit are not carried.
  void WriteToClearTextFile(TTextFile& F) const;
  // A CTABG block (z is not in the format); false, with nothing written, when
  // an atom has more than 8 bonds.
  bool WriteToClearTextFileCTABG(TTextFile& F) const;
  // The structure in the connection-table input layout of a topological-index
  // program (layout in cstruct_text.cpp): the name, the counts, one line per
  // atom, one line per bond. Mode 1 leaves out the hydrogen atoms; any other
  // Mode writes every atom.
  void WriteToMolConnXFile(int Mode, TTextFile& F) const;

 private:
  // The last step of the MDL readers (cstruct_mdl.cpp): clears the table,
  // appends the atoms (their bonds are not taken) and enters each bond
  // (a, b, type; partners in 1..NAtoms, a != b, type != 0) both ways as
  // MakeConnection does. False when a bond found no free slot.
  bool EnterReadTable(const CTElem* Atoms, int NAtoms, const std::array<int, 3>* Bonds, int NBonds);

  friend class TSearchProfile;

  int n_ = 0;
  std::string name_;
  int64_t cas_ = 0;
  CoordUnitType unit_ = cuUnknown;
  bool search_trace_ = false;
  std::array<CTElem, kMaxCTAtoms + 1> atoms_{};  // atoms_[1..63]
};

}  // namespace tkz
