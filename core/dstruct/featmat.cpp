// TFeatureMatrix: values, checks, names and the text file format.
#include "core/dstruct/featmat.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/platform/stream.h"
#include "core/text/charcase.h"

namespace tkz {

const std::array<const char*, 5> FEATKINDIDS = {"fkUndefined", "fkInteger", "fkDouble", "fkString",
                                                "fkTriState"};

namespace {

const std::string kEmpty;

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whole-text decimal conversion; raises EConvertError on anything else.
int64_t ToInt(const std::string& s) {
  const std::string t = Trim(s);
  if (t.empty()) throw EConvertError("'" + s + "' is not a valid integer value");
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(t.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || !(IsDigit(t[0]) || t[0] == '+' || t[0] == '-'))
    throw EConvertError("'" + s + "' is not a valid integer value");
  return v;
}

int32_t ToInt32(const std::string& s) {
  const int64_t v = ToInt(s);
  if (v < INT32_MIN || v > INT32_MAX)
    throw EConvertError("'" + s + "' is not a valid integer value");
  return static_cast<int32_t>(v);
}

double ToDouble(const std::string& s) {
  const std::string t = Trim(s);
  // Decimal notation only: strtod would also take hexadecimal, "inf" and "nan".
  if (t.find_first_not_of("0123456789+-.eE") != std::string::npos)
    throw EConvertError("'" + s + "' is not a valid floating point value");
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (t.empty() || *end != '\0' || !(IsDigit(t[0]) || t[0] == '+' || t[0] == '-' || t[0] == '.'))
    throw EConvertError("'" + s + "' is not a valid floating point value");
  return v;
}

std::string DoubleText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  return buf;
}

// Reads a decimal number after leading blanks from s at pos.
int64_t ReadNumber(const std::string& s, size_t& pos) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
  const size_t b = pos;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
  while (pos < s.size() && IsDigit(s[pos])) ++pos;
  return ToInt(s.substr(b, pos - b));
}

std::string Pad(int v, int w) {
  std::string s = std::to_string(v);
  while (static_cast<int>(s.size()) < w) s.insert(s.begin(), '0');
  return s;
}

// Number formatting of the D and I placeholders.
std::string FormatWidth(int64_t n, const std::string& param) {
  int64_t w = 0;
  const std::string p = Trim(param);
  if (!p.empty()) w = ToInt(p);  // a bad width fails the expansion
  if (w < -64 || w > 64) w = w < 0 ? -64 : 64;
  std::string digits = std::to_string(n < 0 ? -n : n);
  if (w < 0) {
    while (static_cast<int64_t>(digits.size()) < -w) digits.insert(digits.begin(), '0');
    return n < 0 ? "-" + digits : digits;
  }
  std::string s = std::to_string(n);
  if (w > 0) {
    if (static_cast<int64_t>(s.size()) > w) return s.substr(s.size() - w);
    return std::string(w - s.size(), ' ') + s;
  }
  return s;
}

}  // namespace

bool FeatMatIsIntegerText(const std::string& s) {
  if (s.empty()) return false;
  if (s.size() == 1) return IsDigit(s[0]);
  if (!(IsDigit(s[0]) || s[0] == '+' || s[0] == '-')) return false;
  for (size_t i = 1; i < s.size(); ++i)
    if (!IsDigit(s[i])) return false;
  return true;
}

bool FeatMatIsNumberText(const std::string& s, bool CommaToo) {
  if (s.empty()) return false;
  enum { kStart, kSign, kInt, kPoint, kFrac, kExp, kExpSign, kExpDig } st = kStart;
  int expv = 0;
  const size_t n = s.size();
  for (size_t i = 0; i <= n; ++i) {
    char c = i < n ? AsciiUpperChar(s[i]) : 'X';
    if (CommaToo && c == ',') c = '.';
    const bool dig = IsDigit(c), sign = c == '+' || c == '-';
    switch (st) {
      case kStart:
        if (c == ' ') break;
        if (sign)
          st = kSign;
        else if (dig)
          st = kInt;
        else if (c == '.')
          st = kPoint;
        else
          return false;
        break;
      case kSign:
        if (dig)
          st = kInt;
        else if (c == '.')
          st = kPoint;
        else
          return false;
        break;
      case kInt:
        if (dig) break;
        if (c == '.')
          st = kPoint;
        else if (c == 'E')
          st = kExp;
        else
          return true;
        break;
      case kPoint:
      case kFrac:
        if (c == '.') return false;
        if (dig)
          st = kFrac;
        else if (c == 'E')
          st = kExp;
        else
          return true;
        break;
      case kExp:
        if (c == ' ' || c == 'E' || c == '.') return false;
        if (sign)
          st = kExpSign;
        else if (dig) {
          st = kExpDig;
          expv = c - '0';
        } else
          return true;
        break;
      case kExpSign:
        if (c == ' ' || sign || c == 'E' || c == '.') return false;
        if (dig) {
          st = kExpDig;
          expv = c - '0';
        } else
          return true;
        break;
      case kExpDig:
        if (!dig) return true;
        expv = expv * 10 + (c - '0');
        if (expv > 4200) return false;
        break;
    }
  }
  return false;  // not reached: the sentinel always decides
}

std::string FeatMatFormatDateTime(const std::string& Pattern, int Year, int Month, int Day,
                                  int Hour, int Minute, int Second, int MSec) {
  std::string out;
  size_t i = 0;
  const size_t n = Pattern.size();
  auto run = [&](char c) {
    size_t k = i;
    while (k < n && AsciiLowerChar(Pattern[k]) == c) ++k;
    return k - i;
  };
  while (i < n) {
    const char c = AsciiLowerChar(Pattern[i]);
    if (Pattern[i] == '"' || Pattern[i] == '\'') {
      const size_t e = Pattern.find(Pattern[i], i + 1);
      const size_t stop = e == std::string::npos ? n : e;
      out += Pattern.substr(i + 1, stop - i - 1);
      i = e == std::string::npos ? n : e + 1;
      continue;
    }
    const size_t r = run(c);
    int val = 0;
    bool field = true;
    switch (c) {
      case 'y':
        if (r >= 4) {
          out += Pad(Year, 4);
          i += 4;
        } else if (r >= 2) {
          out += Pad(Year % 100, 2);
          i += 2;
        } else {
          out += 'y';
          ++i;
        }
        continue;
      case 'z':
        if (r >= 3) {
          out += Pad(MSec, 3);
          i += 3;
        } else {
          out += std::to_string(MSec);
          i += r;
        }
        continue;
      case 'm':
        val = Month;
        break;
      case 'd':
        val = Day;
        break;
      case 'h':
        val = Hour;
        break;
      case 'n':
        val = Minute;
        break;
      case 's':
        val = Second;
        break;
      default:
        field = false;
    }
    if (!field) {
      out += Pattern[i++];
      continue;
    }
    if (r >= 2) {
      out += Pad(val, 2);
      i += 2;
    } else {
      out += std::to_string(val);
      ++i;
    }
  }
  return out;
}

// ------------------------------------------------------------ TFeatMatProps

void TFeatMatProps::Clear() {
  FeatNum = 0;
  FeatName = "undefined";
  FeatKind = fkUndefined;
  Comment.clear();
  Presets.clear();
  Sorted = false;
  GUIElem = 0;
}

void TFeatMatProps::Assign(const TPersistent* Source) {
  if (const auto* s = dynamic_cast<const TFeatMatProps*>(Source)) {
    if (s == this) return;
    FeatNum = s->FeatNum;
    FeatName = s->FeatName;
    FeatKind = s->FeatKind;
    Comment = s->Comment;
    Presets = s->Presets;
    Sorted = s->Sorted;
    GUIElem = s->GUIElem;
    return;
  }
  TComponent::Assign(Source);
}

void TFeatMatProps::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TFeatMatProps*>(Dest)) {
    d->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

// ----------------------------------------------------------- TFeatureMatrix

TFeatureMatrix::~TFeatureMatrix() { ClearAll(); }

void TFeatureMatrix::Changed() {
  if (OnChange) OnChange(this);
}

void TFeatureMatrix::Fail(const std::string& Ending) const {
  throw ETKZDStructError("Component \"" + GetName() + "\"" + Ending);
}

void TFeatureMatrix::ClearAll() {
  for (TFeatMatProps* p : props_) delete p;
  props_.clear();
  vals_.clear();
  nfeats_ = 0;
  nobjs_ = 0;
}

void TFeatureMatrix::Clear() {
  ClearAll();
  Changed();
}

void TFeatureMatrix::SetNFeats(int32_t Count) {
  if (Count < 0) Count = 0;
  while (static_cast<int32_t>(props_.size()) > Count) {
    delete props_.back();
    props_.pop_back();
  }
  props_.reserve(Count);
  while (static_cast<int32_t>(props_.size()) < Count) props_.push_back(new TFeatMatProps());
  vals_.resize(Count);
  nfeats_ = Count;
  Changed();
}

void TFeatureMatrix::SetNObjs(int32_t Count) {
  if (Count < 0) Count = 0;
  for (auto& col : vals_) col.erase(col.upper_bound(Count), col.end());
  nobjs_ = Count;
  Changed();
}

bool TFeatureMatrix::Resize(int32_t NFeats, int32_t NObjs) {
  try {
    SetNObjs(NObjs);
    SetNFeats(NFeats);
    return true;
  } catch (...) {
    return false;
  }
}

TFeatMatProps* TFeatureMatrix::GetFeatProps(int32_t Feat) const {
  if (!FeatOk(Feat)) return new TFeatMatProps();
  return props_[Feat - 1];
}

void TFeatureMatrix::SetFeatProps(int32_t Feat, TFeatMatProps* Props) {
  if (!FeatOk(Feat) || Props == nullptr) return;
  if (props_[Feat - 1] != Props) delete props_[Feat - 1];
  props_[Feat - 1] = Props;
  Changed();
}

void TFeatureMatrix::SelectRange(int32_t& First, int32_t& Last) const {
  if (First == 0 && Last == 0) {
    First = 1;
    Last = nfeats_;
    return;
  }
  First = std::clamp(First, 1, std::max(nfeats_, 1));
  Last = std::clamp(Last, 1, std::max(nfeats_, 1));
  if (First > Last) std::swap(First, Last);
}

void TFeatureMatrix::SetFeatType(int32_t First, int32_t Last, TFeatKind Kind) {
  SelectRange(First, Last);
  for (int32_t i = First; i <= Last && i <= nfeats_; ++i) props_[i - 1]->FeatKind = Kind;
}

void TFeatureMatrix::RenumberFeatures(int32_t First, int32_t Last, int32_t StartNum,
                                      int32_t Increment) {
  SelectRange(First, Last);
  for (int32_t i = First; i <= Last && i <= nfeats_; ++i)
    props_[i - 1]->FeatNum = static_cast<int32_t>(static_cast<int64_t>(StartNum) +
                                                  static_cast<int64_t>(i - First) * Increment);
}

int TFeatureMatrix::GenerateFeatNames(const std::string& Template, int32_t First, int32_t Last,
                                      int32_t StartNum, int32_t Increment) {
  if (First == 0 && Last == 0) {
    First = 1;
    Last = nfeats_;
  }
  if (First <= 0 || Last <= 0 || First > nfeats_ || Last > nfeats_) return kNamesBadRange;
  const auto now = std::chrono::system_clock::now();
  const std::time_t tt = std::chrono::system_clock::to_time_t(now);
  std::tm tmv{};
  localtime_r(&tt, &tmv);
  const int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  const int32_t lo = std::min(First, Last), hi = std::max(First, Last);
  for (int32_t i = lo; i <= hi; ++i) {
    const int64_t n = static_cast<int64_t>(StartNum) + static_cast<int64_t>(i - lo) * Increment;
    std::string s = Template;
    bool ok = true;
    size_t from = 0;
    for (;;) {
      const size_t open = s.find("<%", from);
      if (open == std::string::npos) break;
      // The next "%>" must close this placeholder: one that stands before the
      // "<%" (or no "%>" at all) fails the expansion.
      const size_t close = s.find("%>", from);
      if (close == std::string::npos || close <= open + 2) {
        ok = false;
        break;
      }
      const char letter = AsciiUpperChar(s[open + 2]);
      const std::string param = s.substr(open + 3, close - open - 3);
      std::string rep;
      try {
        switch (letter) {
          case 'D':
            rep = FormatWidth(n, param);
            break;
          case 'I':
            rep = FormatWidth(i, param);
            break;
          case 'H': {
            int64_t w = Trim(param).empty() ? 1 : ToInt(param);
            w = std::clamp<int64_t>(w < 0 ? -w : w, 1, 8);
            char buf[32];
            std::snprintf(buf, sizeof buf, "%0*llX", static_cast<int>(w),
                          static_cast<unsigned long long>(static_cast<uint32_t>(n)));
            rep = buf;
            if (static_cast<int64_t>(rep.size()) > w) rep = rep.substr(rep.size() - w);
            break;
          }
          case 'T':
            rep = FeatMatFormatDateTime(param, tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday,
                                        tmv.tm_hour, tmv.tm_min, tmv.tm_sec, ms);
            break;
          default:
            rep = "###";
            ok = false;
        }
      } catch (const EConvertError&) {
        rep = "###";
        ok = false;
      }
      s.replace(open, close + 2 - open, rep);
      // Continue after the replacement so placeholder-like text produced by
      // an expansion (a T pattern may contain "<%") cannot loop forever.
      from = open + rep.size();
      if (!ok) break;
    }
    props_[i - 1]->FeatName = s;
    if (!ok) return kNamesBadPlaceholder;
  }
  return kNamesOK;
}

int TFeatureMatrix::FindFeatName(const std::string& Name) const {
  for (int32_t i = 1; i <= nfeats_; ++i)
    if (AnsiSameText(props_[i - 1]->FeatName, Name)) return i;
  return -1;
}

int TFeatureMatrix::FindFeatNum(int32_t Num) const {
  for (int32_t i = 1; i <= nfeats_; ++i)
    if (props_[i - 1]->FeatNum == Num) return i;
  return -1;
}

const std::string& TFeatureMatrix::Cell(int32_t f, int32_t o) const {
  const auto& col = vals_[f - 1];
  const auto it = col.find(o);
  return it == col.end() ? kEmpty : it->second;
}

void TFeatureMatrix::Put(int32_t f, int32_t o, const std::string& v) {
  if (v.empty())
    vals_[f - 1].erase(o);
  else
    vals_[f - 1][o] = v;
}

namespace {

// Names the cell whose text a getter refused: " (feature 2, object 7: "abc")".
std::string CellNote(int32_t Feat, int32_t Obj, const std::string& Text) {
  return " (feature " + std::to_string(Feat) + ", object " + std::to_string(Obj) + ": \"" + Text +
         "\")";
}

// Names the feature a setter refused: " (feature 2)".
std::string FeatureNote(int32_t Feat) { return " (feature " + std::to_string(Feat) + ")"; }

}  // namespace

int64_t TFeatureMatrix::GetFeatValInt(int32_t Feat, int32_t Obj) const {
  if (!CellOk(Feat, Obj)) return 0;
  const std::string& s = Cell(Feat, Obj);
  if (!FeatMatIsIntegerText(s)) Fail(": feature is not an integer" + CellNote(Feat, Obj, s));
  return ToInt(s);
}

void TFeatureMatrix::SetFeatValint(int32_t Feat, int32_t Obj, int64_t Value) {
  if (!CellOk(Feat, Obj)) return;
  const TFeatKind k = props_[Feat - 1]->FeatKind;
  if (k == fkUndefined || k == fkTriState)
    Fail(": feature is not of numeric or string type" + FeatureNote(Feat));
  Put(Feat, Obj, std::to_string(Value));
  Changed();
}

double TFeatureMatrix::GetFeatValDouble(int32_t Feat, int32_t Obj) const {
  if (!CellOk(Feat, Obj)) return 0;
  const std::string& s = Cell(Feat, Obj);
  if (!FeatMatIsNumberText(s))
    Fail(": feature is not a floating point number" + CellNote(Feat, Obj, s));
  return ToDouble(s);
}

void TFeatureMatrix::SetFeatValDouble(int32_t Feat, int32_t Obj, double Value) {
  if (!CellOk(Feat, Obj)) return;
  const TFeatKind k = props_[Feat - 1]->FeatKind;
  if (k != fkDouble && k != fkString)
    Fail(": feature is not a floating point or string type" + FeatureNote(Feat));
  Put(Feat, Obj, DoubleText(Value));
  Changed();
}

TTriState TFeatureMatrix::GetFeatValTriState(int32_t Feat, int32_t Obj) const {
  if (!CellOk(Feat, Obj)) return tsUndefined;
  const std::string& s = Cell(Feat, Obj);
  if (AnsiSameText(s, "true")) return tsTrue;
  if (AnsiSameText(s, "false")) return tsFalse;
  if (s.empty()) return tsUndefined;
  Fail(": feature is not a tri-state value" + CellNote(Feat, Obj, s));
}

void TFeatureMatrix::SetFeatValTriState(int32_t Feat, int32_t Obj, TTriState Value) {
  if (!CellOk(Feat, Obj)) return;
  const TFeatKind k = props_[Feat - 1]->FeatKind;
  if (k != fkTriState && k != fkString)
    Fail(": feature is not a tri-state or string type" + FeatureNote(Feat));
  Put(Feat, Obj, Value == tsTrue ? "true" : Value == tsFalse ? "false" : "");
  Changed();
}

std::string TFeatureMatrix::GetFeatValStr(int32_t Feat, int32_t Obj) const {
  if (!CellOk(Feat, Obj)) return {};
  if (props_[Feat - 1]->FeatKind == fkUndefined)
    Fail(": feature " + std::to_string(Feat) + " is undefined");
  return Cell(Feat, Obj);
}

void TFeatureMatrix::CheckText(int32_t Feat, const std::string& Value, bool EmptyInt) const {
  const std::string q = "\"" + Value + "\"";
  switch (props_[Feat - 1]->FeatKind) {
    case fkUndefined:
      Fail(": feature " + std::to_string(Feat) + " is undefined");
    case fkInteger:
      if ((Value.empty() && EmptyInt) || FeatMatIsIntegerText(Value)) return;
      Fail(": feature value " + q + " is not a valid integer number");
    case fkDouble:
      if (Value.empty() || FeatMatIsNumberText(Value)) return;
      Fail(": feature value " + q + " is not a valid floating point number");
    case fkTriState: {
      if (Value.empty() || AnsiSameText(Value, "true") || AnsiSameText(Value, "false")) return;
      Fail(": feature value " + q + " is not a valid tri-state value");
    }
    default:
      return;
  }
}

void TFeatureMatrix::SetFeatValStr(int32_t Feat, int32_t Obj, const std::string& Value) {
  if (!CellOk(Feat, Obj)) return;
  CheckText(Feat, Value, true);
  Put(Feat, Obj, Value);
  Changed();
}

bool TFeatureMatrix::Fill(int32_t Feat, const std::string& Value) {
  if (!FeatOk(Feat)) return false;
  CheckText(Feat, Value, false);
  for (int32_t o = 1; o <= nobjs_; ++o) Put(Feat, o, Value);
  Changed();
  return true;
}

bool TFeatureMatrix::FillTyped(int32_t Feat, TFeatKind Kind, const char* KindEnding,
                               const std::string& Text) {
  if (!FeatOk(Feat)) return false;
  if (props_[Feat - 1]->FeatKind != Kind)
    Fail(": feature " + std::to_string(Feat) + " is not " + KindEnding);
  for (int32_t o = 1; o <= nobjs_; ++o) Put(Feat, o, Text);
  Changed();
  return true;
}

bool TFeatureMatrix::Fill(int32_t Feat, int64_t Value) {
  return FillTyped(Feat, fkInteger, "an integer number", std::to_string(Value));
}

bool TFeatureMatrix::Fill(int32_t Feat, double Value) {
  return FillTyped(Feat, fkDouble, "floating point number", DoubleText(Value));
}

bool TFeatureMatrix::Fill(int32_t Feat, TTriState Value) {
  return FillTyped(Feat, fkTriState, "a tri-state value",
                   Value == tsTrue    ? "true"
                   : Value == tsFalse ? "false"
                                      : "");
}

std::string TFeatureMatrix::DefaultFor(int32_t Feat) const {
  const TFeatKind k = props_[Feat - 1]->FeatKind;
  return k == fkInteger || k == fkDouble ? "0" : "";
}

void TFeatureMatrix::InsertObject(int32_t Obj) {
  if (Obj < 1 || Obj > nobjs_ || nobjs_ == INT32_MAX) return;
  for (auto& col : vals_) {
    std::map<int32_t, std::string> moved;
    for (auto it = col.lower_bound(Obj); it != col.end();) {
      moved.emplace(it->first + 1, std::move(it->second));
      it = col.erase(it);
    }
    col.merge(moved);
  }
  ++nobjs_;
  Changed();
  ClearObject(Obj);
}

void TFeatureMatrix::RemoveObject(int32_t Obj) {
  if (Obj < 1 || Obj > nobjs_) return;
  for (auto& col : vals_) {
    col.erase(Obj);
    std::map<int32_t, std::string> moved;
    for (auto it = col.upper_bound(Obj); it != col.end();) {
      moved.emplace(it->first - 1, std::move(it->second));
      it = col.erase(it);
    }
    col.merge(moved);
  }
  --nobjs_;
  Changed();
}

void TFeatureMatrix::InsertFeature(int32_t Feat) {
  if (Feat < 1 || Feat > nfeats_ + 1) return;
  SetNFeats(nfeats_ + 1);
  for (int32_t i = nfeats_; i > Feat; --i) {
    props_[i - 1]->Assign(props_[i - 2]);
    vals_[i - 1] = std::move(vals_[i - 2]);
  }
  vals_[Feat - 1].clear();
  props_[Feat - 1]->Clear();
  Changed();
}

void TFeatureMatrix::RemoveFeature(int32_t Feat) {
  if (!FeatOk(Feat)) return;
  for (int32_t i = Feat; i < nfeats_; ++i) {
    props_[i - 1]->Assign(props_[i]);
    vals_[i - 1] = std::move(vals_[i]);
  }
  SetNFeats(nfeats_ - 1);
}

void TFeatureMatrix::ClearObject(int32_t Obj) {
  if (Obj < 1 || Obj > nobjs_) return;
  for (int32_t f = 1; f <= nfeats_; ++f) Put(f, Obj, DefaultFor(f));
  Changed();
}

void TFeatureMatrix::ClearFeature(int32_t Feat) {
  if (!FeatOk(Feat)) return;
  const std::string d = DefaultFor(Feat);
  for (int32_t o = 1; o <= nobjs_; ++o) Put(Feat, o, d);
  Changed();
}

void TFeatureMatrix::ResetToDefault() {
  for (int32_t f = 1; f <= nfeats_; ++f) {
    const std::string d = DefaultFor(f);
    for (int32_t o = 1; o <= nobjs_; ++o) Put(f, o, d);
  }
  Changed();
}

void TFeatureMatrix::CopyObject(int32_t Src, int32_t Dst) {
  if (Src < 1 || Src > nobjs_ || Dst < 1 || Dst > nobjs_) return;
  for (int32_t f = 1; f <= nfeats_; ++f) Put(f, Dst, std::string(Cell(f, Src)));
  Changed();
}

void TFeatureMatrix::Assign(const TPersistent* Source) {
  const auto* s = dynamic_cast<const TFeatureMatrix*>(Source);
  if (s == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (s == this) return;
  ClearAll();
  nobjs_ = s->nobjs_;
  SetNFeats(s->nfeats_);
  for (int32_t f = 0; f < nfeats_; ++f) props_[f]->Assign(s->props_[f]);
  vals_ = s->vals_;
  OnChange = s->OnChange;
  Changed();
}

void TFeatureMatrix::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TFeatureMatrix*>(Dest)) {
    d->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

// ------------------------------------------------------------------- files

void TFeatureMatrix::Save(const std::string& FileName) const {
  // Written whole to a temporary file beside the target and renamed into
  // place, so that a failed save leaves an existing file as it was.
  TStringStream text;
  WriteLines([&](const std::string& line) {
    text.WriteString(line);
    text.WriteString("\r\n");
  });
  text.SaveToFile(FileName);
}

void TFeatureMatrix::SaveToOpenFile(TTextFile& F) const {
  WriteLines([&](const std::string& line) { F.WriteLn(line); });
}

void TFeatureMatrix::WriteLines(const std::function<void(const std::string&)>& Out) const {
  const auto breaks = [](const std::string& t) { return t.find_first_of("\r\n") != t.npos; };
  for (int32_t i = 1; i <= nfeats_; ++i) {
    const TFeatMatProps& p = *props_[i - 1];
    bool bad = breaks(p.FeatName) || breaks(p.Comment) || breaks(p.Presets);
    for (const auto& [j, v] : vals_[i - 1]) bad = bad || breaks(v);
    if (bad)
      Fail(": feature " + std::to_string(i) + " holds a line break, which the file cannot store");
  }
  Out("#featdef " + std::to_string(nfeats_) + " 1");
  for (int32_t i = 1; i <= nfeats_; ++i) {
    const TFeatMatProps& p = *props_[i - 1];
    const std::string pre = std::to_string(i) + " ";
    Out(pre + "fplFeatNum " + std::to_string(p.FeatNum));
    Out(pre + "fplFeatName " + p.FeatName);
    Out(pre + "fplFeatKind " + FEATKINDIDS[p.FeatKind <= fkTriState ? p.FeatKind : 0]);
    Out(pre + "fplComment " + p.Comment);
    Out(pre + "fplPresets " + p.Presets);
    Out(pre + "fplSorted " + (p.Sorted ? "TRUE" : "FALSE"));
  }
  Out("#featvals " + std::to_string(nfeats_) + " " + std::to_string(nobjs_));
  // Object-major order over the stored (non-empty) values only.
  std::map<std::pair<int32_t, int32_t>, const std::string*> order;
  for (int32_t i = 1; i <= nfeats_; ++i)
    for (const auto& [j, v] : vals_[i - 1])
      if (j >= 1 && j <= nobjs_) order.emplace(std::make_pair(j, i), &v);
  for (const auto& [key, v] : order)
    Out(std::to_string(key.second) + " " + std::to_string(key.first) + " " + *v);
  Out("#featend");
}

int TFeatureMatrix::Load(const std::string& FileName) {
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return kLoadNoFile;
  TTextFile f;
  try {
    f.AssignFile(FileName);
    f.Reset();
  } catch (const std::exception&) {
    return kLoadFailed;
  }
  const int r = LoadFromOpenFile(f);
  try {
    f.CloseFile();
  } catch (const std::exception&) {
  }
  return r == kReadOK ? kLoadOK : r == kReadNoSection ? kLoadNoSection : kLoadFailed;
}

int TFeatureMatrix::LoadFromOpenFile(TTextFile& F) {
  int result = kReadNoSection;
  try {
    ClearAll();
    bool done = false;
    std::string line;
    while (!done && !F.Eof()) {
      F.ReadLn(line);
      if (line.empty() || line[0] != '#') continue;
      const size_t blank = line.find(' ', 1);
      const std::string word =
          line.substr(1, blank == std::string::npos ? std::string::npos : blank - 1);
      size_t pos = blank == std::string::npos ? line.size() : blank;
      if (AnsiSameText(word, "featdef")) {
        const int64_t n = ReadNumber(line, pos);
        const int64_t version = ReadNumber(line, pos);
        if (version != 1) {
          // A definition section of another format version is found but not
          // read: its record lines, which do not start with "#", are skipped
          // and the property records stay as they are.
          result = kReadOK;
          continue;
        }
        if (n < 0 || n > INT32_MAX / 6) throw EConvertError("bad feature count");
        // Read all records first: the lines must exist before any property
        // object is created, so memory follows the file, not the count.
        struct Rec {
          int32_t i;
          int key;
          std::string value;
        };
        static const char* const kKeys[] = {"fplFeatNum", "fplFeatName", "fplFeatKind",
                                            "fplComment", "fplPresets",  "fplSorted",
                                            "fplGUIElem"};
        std::vector<Rec> recs;
        for (int64_t k = 0; k < 6 * n; ++k) {
          if (F.Eof()) throw EConvertError("truncated feature definitions");
          F.ReadLn(line);
          size_t p = 0;
          const int64_t i = ReadNumber(line, p);
          if (i < 1 || i > n) throw EConvertError("feature index out of range");
          const std::string rest = Trim(line.substr(p));
          const size_t b = rest.find(' ');
          const std::string key = rest.substr(0, b);
          const std::string value = b == std::string::npos ? "" : rest.substr(b + 1);
          int idx = -1;
          for (int q = 0; q < 7; ++q)
            if (AnsiSameText(key, kKeys[q])) idx = q;
          if (idx >= 0 && idx < 6) recs.push_back({static_cast<int32_t>(i), idx, value});
        }
        for (TFeatMatProps* p : props_) delete p;
        props_.clear();
        props_.reserve(n);
        for (int64_t k = 0; k < n; ++k) props_.push_back(new TFeatMatProps());
        for (const Rec& r : recs) {
          TFeatMatProps& p = *props_[r.i - 1];
          switch (r.key) {
            case 0:
              p.FeatNum = ToInt32(r.value);
              break;
            case 1:
              p.FeatName = r.value;
              break;
            case 2: {
              // Unknown kind texts leave the kind undefined.
              p.FeatKind = fkUndefined;
              for (int q = 0; q < 5; ++q)
                if (AnsiSameText(r.value, FEATKINDIDS[q])) p.FeatKind = static_cast<TFeatKind>(q);
              break;
            }
            case 3:
              p.Comment = r.value;
              break;
            case 4:
              p.Presets = r.value;
              break;
            case 5:
              p.Sorted = AnsiSameText(r.value, "true");
              break;
          }
        }
        nfeats_ = static_cast<int32_t>(n);
        vals_.assign(n, {});
        result = kReadOK;
      } else if (AnsiSameText(word, "featvals")) {
        const int64_t n = ReadNumber(line, pos);
        const int64_t m = ReadNumber(line, pos);
        // The section sets both counts. Features beyond the definitions read
        // get cleared records; their number is bounded, so that a count in the
        // file cannot demand memory the file does not back.
        const int64_t defined = static_cast<int64_t>(props_.size());
        if (n < 0 || m < 0 || m > INT32_MAX || n > defined + kMaxUndefinedFeatures)
          throw EConvertError("bad value section counts");
        while (static_cast<int64_t>(props_.size()) > n) {
          delete props_.back();
          props_.pop_back();
        }
        props_.reserve(n);
        while (static_cast<int64_t>(props_.size()) < n) props_.push_back(new TFeatMatProps());
        vals_.assign(n, {});
        nfeats_ = static_cast<int32_t>(n);
        nobjs_ = static_cast<int32_t>(m);
        while (!F.Eof()) {
          F.ReadLn(line);
          if (line.empty() || line[0] == '#') break;
          size_t p = 0;
          const int64_t i = ReadNumber(line, p);
          const int64_t j = ReadNumber(line, p);
          if (i < 1 || i > n || j < 1 || j > m) throw EConvertError("value index out of range");
          Put(static_cast<int32_t>(i), static_cast<int32_t>(j), Trim(line.substr(p)));
        }
        result = kReadOK;
        done = true;
      }
    }
  } catch (const std::exception&) {
    result = kReadFailed;
  }
  // Keep the matrix consistent whatever failed.
  if (static_cast<int32_t>(props_.size()) != nfeats_ || vals_.size() != props_.size()) {
    nfeats_ = static_cast<int32_t>(props_.size());
    vals_.resize(props_.size());
  }
  Changed();
  return result;
}

}  // namespace tkz
