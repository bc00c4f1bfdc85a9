// cdata: the chemical elements 1 (hydrogen) to 103 (lawrencium) and a few
// text utilities of chemistry: symbols and names, three kinds of atomic
// weight, van der Waals radii, electron configurations, the place in the
// periodic system, characteristic X-ray lines, CAS registry numbers and a
// dictionary compressor for chemical names.
//
// Historical values. The table is the suite's own and is kept exactly as it
// has always been, because stored files and other programs rely on it:
// chemical weights are the values of the 1960s (carbon 12.01115, chlorine
// 35.453), several names keep old spellings ("litium", "flourine",
// "vanadin", "prometium", "actinum", "aluminum"), the nominal mass is that of
// the isotope the suite has always used (not always today's most abundant
// one), and elements without a stable isotope composition have a chemical
// weight of 0. Exact masses are monoisotopic masses in unified atomic mass
// units (carbon 12 exactly); for the elements with a chemical weight they
// agree with current tables to 5e-5 u, the others carry older, rounded
// values (up to 0.08 u off for the heaviest).
//
// Units: masses in u, van der Waals radii in angstrom, X-ray line energies in
// keV.
//
// Threading: every function is pure over constant tables and may be called
// from any thread.
//
// Bad input: an atomic number outside the table gives "", 0 or -1 as each
// function says; unknown symbols give 0; malformed CAS texts give false.
// Nothing raises.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "chem/molkit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// Atomic numbers run from 1 to kMaxAtomicNumber.
constexpr int kMaxAtomicNumber = 103;

// ------------------------------------------------------------ element table

// The symbol, capitalised as usual ("He", "Cl"); "" outside 1..103.
TKZ_MOLKIT_EXPORT std::string CElemSymb(int Z);
// The lower-case English name as stored (historical spellings kept); ""
// outside 1..103.
TKZ_MOLKIT_EXPORT std::string CElemName(int Z);
// The atomic number of the element whose symbol equals Symb exactly
// (case-sensitive: "Cl" is 17, "CL" and "cl" are 0); 0 if none.
TKZ_MOLKIT_EXPORT int AtomicNumber(std::string_view Symb);
// Nominal mass: the mass number of the element's isotope in this table; 0
// outside 1..103.
TKZ_MOLKIT_EXPORT int IntAtWeight(int Z);
// Exact (monoisotopic) mass of that isotope in u; 0 outside 1..103.
TKZ_MOLKIT_EXPORT double ExactAtWeight(int Z);
// Chemical (average) weight in u, historical; 0 for elements without a
// stable isotope composition and outside 1..103.
TKZ_MOLKIT_EXPORT double ChemAtWeight(int Z);
// Van der Waals radius in angstrom; known only for some of Z = 1..53, 0
// elsewhere.
TKZ_MOLKIT_EXPORT double VDWRadius(int Z);
// Electrons in the outermost shell (main groups) or outermost s electrons
// (transition elements; 0 for Pd); 0 outside 1..103.
TKZ_MOLKIT_EXPORT int NumOuterElectrons(int Z);
// Ground-state configuration with the noble-gas core in brackets
// ("[Ar] 3d10 4s1"); "" outside 1..103.
TKZ_MOLKIT_EXPORT std::string ShortElectronConfig(int Z);
// The configuration with the core written out
// ("1s2 2s2 2p6 3s2 3p6 3d10 4s1"); "" outside 1..103.
TKZ_MOLKIT_EXPORT std::string FullElectronConfig(int Z);

// -------------------------------------------------------- periodic system

// Rows and columns of the periodic-system grid (0-based).
constexpr int kPerSysRows = 9;
constexpr int kPerSysCols = 18;

// The atomic number in grid cell (Col, Row), 0 for an empty cell or outside
// the grid. Rows 0..6 are the periods, row 7 the lanthanides Ce..Lu and row
// 8 the actinides Th..Lr, both from column 4.
TKZ_MOLKIT_EXPORT int PerSysElement(int Col, int Row);
// Column 0..17 and row 0..8 of the element in the grid; both 0 outside
// 1..103.
TKZ_MOLKIT_EXPORT void PerSysCoord(int Z, int& Col, int& Row);

// ----------------------------------------------------------- X-ray lines

// The element's K-alpha, L-alpha and M-alpha emission energies in keV (0 for
// a line the table does not have). Returns how many are non-zero (0..3), or
// -1 with all three 0 when Z is not in 4..92.
TKZ_MOLKIT_EXPORT int GetEDXLines(int Z, double& KAlpha, double& LAlpha, double& MAlpha);
// Every line with LowEnergy <= energy <= HighEnergy (keV, both bounds
// included), sorted by ascending energy; AtNums[i] is the element of
// Energies[i]. Returns the number of lines found.
TKZ_MOLKIT_EXPORT int GetEDXLines(double LowEnergy, double HighEnergy, TDoubleArray& Energies,
                                  TIntArray& AtNums);

// ---------------------------------------------------------- CAS numbers
//
// A CAS registry number is held as one integer of its digits without the
// hyphens (7732-18-5 is 7732185). Registry numbers now have up to ten digits
// before the first hyphen, beyond 32 bits, so they are 64-bit values here.

// Whether the last digit is the check digit of the others: the other digits,
// from the right, times 1, 2, 3, ..., summed, modulo 10. 0 is valid (its
// digit sum is empty); other numbers below 10 and negative numbers are not.
TKZ_MOLKIT_EXPORT bool CheckCASNr(int64_t CASNr);
// The number padded to at least four digits with hyphens before the last
// three digits and before the last one: 7732185 gives "7732-18-5", 5 gives
// "0-00-5". A negative number gives "".
TKZ_MOLKIT_EXPORT std::string FormatCASNr(int64_t CASNr);
// Reads a CAS number written with its hyphens, blanks around it allowed. The
// text must hold exactly two hyphens, two characters between them, the
// second hyphen the last-but-one character, and decimal digits everywhere
// else (no sign, blank or prefix), at most 18 of them. On a well-formed text
// the number is stored in CASNr even when its check digit is wrong; the
// result is whether it is well formed and its check digit right. On a
// malformed text CASNr is untouched.
TKZ_MOLKIT_EXPORT bool ConvertStrToCASNr(std::string_view Text, int64_t& CASNr);

// ------------------------------------------------- chemical-name dictionary
//
// A fixed dictionary of 128 frequent fragments of chemical names
// ("benzoyl", "methyl", ..., "di", "in"); fragment k (1..128) is coded by the
// single byte 127 + k.

// Number of dictionary fragments.
constexpr int kChemNameFragments = 128;
// Fragment k (1..128); "" outside.
TKZ_MOLKIT_EXPORT std::string ChemNameFragment(int k);
// Lower-cases the name (Windows-1252 letters included) and replaces the
// fragments, in dictionary order, by their codes. Bytes of the name that are
// 128 or above, and the byte 0x7F, are written as 0x7F followed by the byte,
// so that they are never taken for codes.
TKZ_MOLKIT_EXPORT std::string CompressChemName(std::string_view Name);
// Expands every code byte (128 and above) to its fragment and every 0x7F
// escape to the byte that follows it. DeCompressChemName(CompressChemName(s))
// is the lower-case form of s, for every s. A lone 0x7F at the end is kept.
TKZ_MOLKIT_EXPORT std::string DeCompressChemName(std::string_view Compressed);

}  // namespace tkz
