// TColorArray: a colour scale with a backup list, its transforms and its
// text file.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

#include "core/colour/tkzcolors.h"
#include "core/platform/stream.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads one decimal integer (optional sign) at s[i], after blanks, into v.
bool ReadInt32(std::string_view s, size_t& i, int32_t& v) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  if (i < s.size() && s[i] == '+') ++i;
  const char* begin = s.data() + i;
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), v);
  if (ec != std::errc() || end == begin) return false;
  i += static_cast<size_t>(end - begin);
  return i == s.size() || IsBlank(s[i]);
}

// The first line of the file: "lo hi"; the rest of the line is ignored.
bool ParseBounds(std::string_view line, int32_t& lo, int32_t& hi) {
  size_t i = 0;
  return ReadInt32(line, i, lo) && ReadInt32(line, i, hi);
}

// An entry line: blanks, an optional "$", then hex digits up to the first
// other character. False when there is no digit.
bool ParseEntry(std::string_view line, TColor& c) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '$') ++i;
  if (i >= line.size() || !IsHexChar(line[i])) return false;
  c = HexStrToColor(line.substr(i));
  return true;
}

}  // namespace

TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    colors_.resize(kDefaultSize);
    backup_.resize(kDefaultSize);
  } catch (const std::bad_alloc&) {
    Fail(": not enough memory on heap");
  }
  size_ = kDefaultSize;
  FillByInterpolation(0, ColorArray_Rainbow);
  Backup();
}

void TColorArray::Fail(const std::string& Ending) const {
  throw ETKZColArrayError("Component \"" + GetName() + "\"" + Ending);
}

void TColorArray::Changed() {
  if (OnChange) OnChange(this);
}

// ------------------------------------------------------------ size, entries

void TColorArray::SetSize(int32_t Count) {
  if (Count > 0 && Count != size_) Resize(Count);
}

bool TColorArray::Resize(int32_t Count) {
  if (Count == size_) return true;
  if (Count < 1) return false;
  try {
    // Reserving first keeps both lists as they were when memory runs out.
    colors_.reserve(static_cast<size_t>(Count));
    backup_.reserve(static_cast<size_t>(Count));
  } catch (const std::exception&) {  // bad_alloc or length_error
    Fail(": not enough memory for " + std::to_string(Count) + " colours");
  }
  colors_.resize(static_cast<size_t>(Count), 0);
  backup_.resize(static_cast<size_t>(Count), 0);
  size_ = Count;
  Changed();
  return true;
}

TColor TColorArray::GetColorElem(int32_t Index) const {
  if (colors_.empty()) return 0;
  return colors_[static_cast<size_t>(std::clamp(Index, 1, size_) - 1)];
}

void TColorArray::SetColorElem(int32_t Index, TColor Color) {
  if (Index >= 1 && Index <= size_) colors_[static_cast<size_t>(Index - 1)] = Color;
  Changed();
}

void TColorArray::Fill(TColor Color) {
  std::fill(colors_.begin(), colors_.end(), Color);
  Changed();
}

void TColorArray::FillByInterpolation(int Steps, std::span<const TColor> KeyColors) {
  if (KeyColors.empty()) return;
  if (KeyColors.size() == 1) {
    Fill(KeyColors[0]);
    return;
  }
  const int last = static_cast<int>(KeyColors.size()) - 2;  // highest usable idx
  const double h = static_cast<double>(KeyColors.size() - 1);
  const double n = size_;
  for (int32_t k = 1; k <= size_; ++k) {
    const double c = Steps <= 0 ? k : std::nearbyint(std::nearbyint(k / n * Steps) * (n / Steps));
    // c = 0 (first quantised band) or more key colours than entries could
    // point before the first key colour.
    const int idx = std::clamp(static_cast<int>((c - 1) * h / n), 0, last);
    const double f = h * c / n - idx;
    colors_[static_cast<size_t>(k - 1)] = InterpolateColor(
        KeyColors[static_cast<size_t>(idx)], KeyColors[static_cast<size_t>(idx + 1)], f);
  }
  Changed();
}

// -------------------------------------------------------------- transforms

void TColorArray::LogTransform(double Weight) {
  const double w = Weight > 0 ? (Weight < 1 ? Weight : 1) : 0;
  if (size_ > 1) {
    const double n = size_;
    const double lnN = std::log(n);
    for (int32_t k = 1; k <= size_; ++k) {
      const double a = std::nearbyint(w * std::log(k) * n / lnN + (1 - w) * (k - 1));
      const auto src = static_cast<int32_t>(std::clamp(a + 1, 1.0, n));
      colors_[static_cast<size_t>(k - 1)] = colors_[static_cast<size_t>(src - 1)];
    }
  }
  Changed();
}

void TColorArray::MirrorColors() {
  std::reverse(colors_.begin(), colors_.end());
  Changed();
}

void TColorArray::InvertColors() {
  for (TColor& c : colors_) c = InvertColor(c);
  Changed();
}

void TColorArray::ReverseRGB() {
  for (TColor& c : colors_) c = ReverseRGBColor(c);
  Changed();
}

void TColorArray::Backup() { backup_ = colors_; }

void TColorArray::Restore() {
  colors_ = backup_;
  Changed();
}

// ------------------------------------------------------- search and copies

int32_t TColorArray::ColorToIndex(TColor Color, double& Distance) const {
  Distance = 1.0;
  int32_t index = 1;
  for (int32_t k = 1; k <= size_; ++k) {
    const double d = RGBColorDistance(Color, colors_[static_cast<size_t>(k - 1)]);
    if (d < Distance) {
      Distance = d;
      index = k;
    }
  }
  return index;
}

void TColorArray::CopyFrom(const TColorArray* Source, int32_t First, int32_t Last, int32_t Dest) {
  if (Source == nullptr || Source->size_ < 1) return;
  int32_t lo = std::clamp(First, 1, Source->size_);
  int32_t hi = std::clamp(Last, 1, Source->size_);
  if (lo > hi) std::swap(lo, hi);
  // A copy of the range first, so that copying within one array moves the
  // original colours even when source and destination overlap.
  const std::vector<TColor> range(Source->colors_.begin() + (lo - 1), Source->colors_.begin() + hi);
  for (int32_t e = lo; e <= hi; ++e) {
    const int64_t d = int64_t{Dest} + (e - lo);
    if (d >= 1 && d <= size_)
      colors_[static_cast<size_t>(d - 1)] = range[static_cast<size_t>(e - lo)];
  }
  Changed();
}

bool TColorArray::IsEqual(const TColorArray* Other) const {
  return Other != nullptr && Other->size_ == size_ && Other->colors_ == colors_;
}

void TColorArray::Assign(const TPersistent* Source) {
  const auto* s = dynamic_cast<const TColorArray*>(Source);
  if (s == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (s == this) return;
  colors_ = s->colors_;
  backup_ = s->backup_;
  size_ = s->size_;
}

void TColorArray::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TColorArray*>(Dest)) {
    d->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

// ------------------------------------------------------------------- files

std::string TColorArray::FileText(int32_t First, int32_t Last) const {
  int32_t lo = std::min(First, Last), hi = std::max(First, Last);
  lo = std::max(lo, 1);
  hi = std::min(hi, size_);
  std::string text = std::to_string(lo) + " " + std::to_string(hi) + "\r\n";
  for (int32_t k = lo; k <= hi; ++k)
    text += ColorToHexStr(colors_[static_cast<size_t>(k - 1)]) + "\r\n";
  return text;
}

bool TColorArray::WriteToOpenTextFile(TTextFile& F, int32_t First, int32_t Last) const {
  try {
    F.Write(FileText(First, Last));
    F.Flush();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TColorArray::StoreOnFile(int32_t First, int32_t Last, const std::string& FileName) const {
  try {
    TStringStream(FileText(First, Last)).SaveToFile(FileName);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TColorArray::ReadFromOpenTextFile(TTextFile& F, bool AdjustSize) {
  try {
    if (F.Eof()) return false;
    std::string line;
    F.ReadLn(line);
    int32_t lo = 0, hi = 0;
    if (!ParseBounds(line, lo, hi)) return false;
    if (AdjustSize ? hi > kMaxFileSize : hi > size_) return false;
    // The entries are collected first: their number is bounded by the lines
    // the file really holds, whatever its first line claims.
    std::vector<std::pair<int32_t, TColor>> entries;
    for (int64_t i = lo; i <= hi; ++i) {
      if (F.Eof()) return false;
      F.ReadLn(line);
      TColor c = 0;
      if (i >= 1 && ParseEntry(line, c)) entries.emplace_back(static_cast<int32_t>(i), c);
    }
    if (AdjustSize) Resize(hi);
    for (const auto& [i, c] : entries) colors_[static_cast<size_t>(i - 1)] = c;
    Changed();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TColorArray::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  TTextFile f;
  try {
    f.AssignFile(FileName);
    f.Reset();
  } catch (const std::exception&) {
    return false;
  }
  const bool ok = ReadFromOpenTextFile(f, AdjustSize);
  try {
    f.CloseFile();  // closing after reading writes nothing
  } catch (const std::exception&) {
  }
  return ok;
}

}  // namespace tkz
