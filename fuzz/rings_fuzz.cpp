// A table built from arbitrary bytes (atoms, then bonds through
// MakeConnection) through the ring perception, the attributes, the
// functional groups, the fragment codes and the chain stripping. Ring lists
// never hold more than 100 rings, every ring is a cycle of the table, the
// ring set holds every ring atom while it is not full, the attributes agree
// with the ring set, and the atom flags stay as they were.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "chem/cstruct.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// A ring of the list: 3..n distinct atoms, each bonded to the next.
void CheckRing(const tkz::TCTab& t, const tkz::RingType& r) {
  Check(r.Size >= 3 && r.Size <= t.GetNAtoms());
  uint64_t seen = 0;
  for (int i = 1; i <= r.Size; ++i) {
    const int a = r.Atoms[i];
    Check(a >= 1 && a <= t.GetNAtoms() && (seen >> a & 1) == 0);
    seen |= uint64_t{1} << a;
    Check(t.CheckConnect(a, r.Atoms[i % r.Size + 1]) != 0);
  }
}

constexpr std::array<uint8_t, 16> kElements{6, 6, 6, 6, 7, 7, 8, 8, 16, 17, 35, 53, 1, 0, 11, 15};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  tkz::TCTab t;
  const int n = 1 + data[0] % tkz::kMaxCTAtoms;
  size_t p = 1;
  for (int a = 1; a <= n; ++a) {
    const uint8_t byte = p < size ? data[p++] : 0;
    tkz::CTElem e;
    e.AtType = kElements[byte & 15];
    e.Charge = static_cast<int8_t>((byte >> 4) % 3) - 1;
    e.AtFlag = static_cast<uint8_t>(a * 7);
    Check(t.AddAtom(e));
  }
  for (; p + 1 < size; p += 2) {
    const int a = 1 + data[p] % n, b = 1 + (data[p + 1] & 63) % n;
    t.MakeConnection(a, b, 1 + (data[p + 1] >> 6));
  }

  const int independent = t.RingsInMolecule();
  Check(independent >= 0);
  tkz::RingListType list;
  std::array<int, tkz::kMaxCTAtoms + 1> through{};
  for (int a = 0; a <= n + 1; ++a) {
    const int count = t.FindShortestRings(a, list);
    Check(count == list.Count && count >= 0 && count <= tkz::kMaxRings);
    Check(count == 0 || (a >= 1 && a <= n));
    if (a >= 1 && a <= n) through[a] = count;
    for (int i = 1; i <= count; ++i) {
      CheckRing(t, list.Rings[i]);
      Check(list.Rings[i].Atoms[1] == a && list.Rings[i].Size == list.Rings[1].Size);
    }
  }
  Check(independent == 0 || [&] {
    for (int a = 1; a <= n; ++a)
      if (through[a] > 0) return true;
    return false;
  }());

  const int rings = t.FindSSSR(list);
  Check(rings == list.Count && rings >= 0 && rings <= tkz::kMaxRings);
  std::array<int, tkz::kMaxCTAtoms + 1> member{};
  for (int i = 1; i <= rings; ++i) {
    CheckRing(t, list.Rings[i]);
    Check(tkz::RingInRingList(list.Rings[i], list));
    for (int k = 1; k <= list.Rings[i].Size; ++k) ++member[list.Rings[i].Atoms[k]];
  }
  Check(t.CalcAttributes() == rings);
  for (int a = 1; a <= n; ++a) {
    const int at = t.GetAttrib(a);
    if (rings < tkz::kMaxRings) Check((member[a] > 0) == (through[a] > 0));
    Check(((at & tkz::kAttrRing) != 0) == (member[a] > 0));
    Check(((at & tkz::kAttrMultiRing) != 0) == (member[a] > 1));
    Check(((at & tkz::kAttrChain) != 0) == (member[a] == 0));
    Check(((at & tkz::kAttrChainEnd) != 0) == (member[a] == 0 && t.GetNBonds(a) == 1));
    Check(((at & tkz::kAttrBranch) != 0) == (t.GetNBonds(a) > 2));
    Check(t.GetAtFlag(a) == (a * 7 & 255));
  }

  for (int k = 0; k <= tkz::NNH2 + 2; ++k) {
    const int count = t.FragmentCount(static_cast<tkz::FrgType>(k));
    Check(count >= 0 && count <= 4 * tkz::kMaxCTConn * n && (k <= tkz::NNH2 || count == 0));
  }
  for (int a = 0; a <= n + 1; ++a) {
    int second = -1;
    const int32_t code = t.FragmentCode(a, second);
    Check(code >= -2 && second >= 0);
    Check((code < 0) == (tkz::FragmentStr(code) == "ERROR"));
    if (code >= 0) Check(t.GetNBonds(a) <= 4);
  }

  t.ClearAttributes();
  for (int a = 1; a <= n; ++a) Check(t.GetAttrib(a) == 0);
  const int left = t.StripfromChains();
  Check(left == t.GetNAtoms() && left != 1 && left <= n);
  Check(t.FindNextEndAtom(0) == 0);
  return 0;
}
