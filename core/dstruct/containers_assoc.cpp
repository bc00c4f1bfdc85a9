// TAssocArray: key/value dictionary with variant values and its XML element.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <type_traits>

#include "core/dstruct/containers.h"
#include "core/dstruct/featmat.h"
#include "core/settings/xmlsettings.h"
#include "core/settings/xmlsettings_internal.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

// The arrays grow in steps of Granularity entries; a larger step than this
// is not reserved ahead, so that a careless Granularity costs no memory.
constexpr int32_t kMaxReserveStep = 1 << 16;

std::string LowerKey(const std::string& s) { return AnsiLowerCase(s); }

// Reads a decimal integer from the start: leading blanks, one sign, digits
// up to the first other character; saturates at the 32-bit range.
int32_t StrToIntPrefix(const std::string& s) { return XMLStrToInt(s); }

int32_t ClampToInt32(double d) {
  if (std::isnan(d)) return 0;
  d = std::nearbyint(d);  // halves to the even neighbour
  if (d >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (d <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(d);
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// ------------------------------------------------------------- XML codecs
std::string FloatText(double d, int digits) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.*g", digits, d);
  return buf;
}

// Text of a value for the file; arrays are not persisted and go as null.
std::string ValueText(const TVariant& v, int& type) {
  type = v.VarType();
  return std::visit(
      [&](const auto& x) -> std::string {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TVarNull>) {
          return "";
        } else if constexpr (std::is_same_v<T, bool>) {
          return x ? "1" : "0";
        } else if constexpr (std::is_same_v<T, float>) {
          return FloatText(x, 9);
        } else if constexpr (std::is_same_v<T, double>) {
          return FloatText(x, 17);
        } else if constexpr (std::is_integral_v<T>) {
          return std::to_string(x);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return EscapeXMLAttribute(x);  // the layout escapes quotes in values too
        } else if constexpr (std::is_same_v<T, TVarDate>) {
          return FloatText(x.Value, 17);
        } else {
          type = varNull;
          return "";
        }
      },
      v.Get());
}

int64_t ParseInt64(const std::string& s) {
  size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  bool neg = false;
  if (s[i] == '+' || s[i] == '-') neg = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    const int d = s[i] - '0';
    if (v > (INT64_MAX - d) / 10) return neg ? INT64_MIN : INT64_MAX;
    v = v * 10 + d;
  }
  return neg ? -v : v;
}

template <typename T>
TVariant IntVariant(const std::string& s) {
  return TVariant(static_cast<T>(std::clamp<int64_t>(ParseInt64(s), std::numeric_limits<T>::min(),
                                                     std::numeric_limits<T>::max())));
}

TVariant ValueFromText(int type, const std::string& text) {
  switch (type) {
    case varEmpty:
      return TVariant();
    case varNull:
      return TVariant(TVarNull{});
    case varSmallint:
      return IntVariant<int16_t>(text);
    case varInteger:
      return IntVariant<int32_t>(text);
    case varShortInt:
      return IntVariant<int8_t>(text);
    case varByte:
      return IntVariant<uint8_t>(text);
    case varWord:
      return IntVariant<uint16_t>(text);
    case varLongWord:
      return IntVariant<uint32_t>(text);
    case varInt64:
      return TVariant(ParseInt64(text));
    case varSingle: {
      const double d = XMLStrToFloat(text);
      const double m = std::numeric_limits<float>::max();
      return TVariant(static_cast<float>(std::clamp(d, -m, m)));
    }
    case varDouble:
      return TVariant(XMLStrToFloat(text));
    case varDate:
      return TVariant(TVarDate{XMLStrToFloat(text)});
    case varBoolean:
      return TVariant(XMLStrToBool(text));
    default:
      return TVariant(UnescapeXMLText(text));
  }
}

}  // namespace

TAssocArray::TAssocArray(TComponent* AOwner) : TComponent(AOwner) {
  keys_.reserve(granularity_);
  values_.reserve(granularity_);
}

int32_t TAssocArray::Find(const std::string& Key) const {
  const std::string k = ignore_case_ ? LowerKey(Key) : Key;
  for (size_t i = 0; i < keys_.size(); ++i)
    if ((ignore_case_ ? LowerKey(keys_[i]) : keys_[i]) == k) return static_cast<int32_t>(i);
  return -1;
}

void TAssocArray::Append(const std::string& Key, const TVariant& Value) {
  if (keys_.size() == keys_.capacity()) {
    const size_t next = keys_.size() + static_cast<size_t>(std::min(granularity_, kMaxReserveStep));
    keys_.reserve(next);
    values_.reserve(next);
  }
  keys_.push_back(Key);
  values_.push_back(Value);
}

void TAssocArray::Add(const std::string& Key, const TVariant& Value) {
  const std::string k = ignore_case_ ? LowerKey(Key) : Key;
  const int32_t ix = Find(k);
  if (ix >= 0)
    values_[ix] = Value;
  else
    Append(k, Value);
}

TVariant TAssocArray::Resolve(const std::string& Key) const {
  const int32_t ix = Find(Key);
  return ix >= 0 ? values_[ix] : TVariant(TVarNull{});
}

std::string TAssocArray::ResolveAsString(const std::string& Key) const {
  const TVariant v = Resolve(Key);
  return std::visit(
      [&](const auto& x) -> std::string {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TVarNull>) {
          return "";
        } else if constexpr (std::is_same_v<T, bool>) {
          return x ? "True" : "False";
        } else if constexpr (std::is_floating_point_v<T>) {
          return FloatText(static_cast<double>(x), 15);
        } else if constexpr (std::is_integral_v<T>) {
          return std::to_string(x);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return x;
        } else if constexpr (std::is_same_v<T, TVarDate>) {
          return FloatText(x.Value, 15);  // the day count, not a calendar text
        } else {
          return ConvertVariant(v);
        }
      },
      v.Get());
}

double TAssocArray::ResolveAsNumber(const std::string& Key) const {
  const TVariant v = Resolve(Key);
  return std::visit(
      [](const auto& x) -> double {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, bool>) {
          return 0;
        } else if constexpr (std::is_arithmetic_v<T>) {
          return static_cast<double>(x);
        } else if constexpr (std::is_same_v<T, std::string>) {
          // The scanner rejects some texts whose prefix would still convert
          // (an exponent beyond 4200, for one); those read as 0.
          return FeatMatIsNumberText(x, true) ? XMLStrToFloat(x) : 0;
        } else {
          return 0;
        }
      },
      v.Get());
}

int32_t TAssocArray::ResolveAsInt(const std::string& Key) const {
  const TVariant v = Resolve(Key);
  return std::visit(
      [](const auto& x) -> int32_t {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, bool>) {
          return 0;
        } else if constexpr (std::is_floating_point_v<T>) {
          return ClampToInt32(static_cast<double>(x));
        } else if constexpr (std::is_integral_v<T>) {
          return ClampToInt32(static_cast<int64_t>(x));
        } else if constexpr (std::is_same_v<T, std::string>) {
          return StrToIntPrefix(x);
        } else {
          return 0;
        }
      },
      v.Get());
}

bool TAssocArray::Remove(const std::string& Key) {
  const int32_t ix = Find(Key);
  if (ix < 0) return false;
  if (static_cast<size_t>(ix) + 1 != keys_.size()) {
    keys_[ix] = std::move(keys_.back());
    values_[ix] = std::move(values_.back());
  }
  keys_.pop_back();
  values_.pop_back();
  return true;
}

std::string TAssocArray::GetKeys(int32_t i) const {
  return i >= 1 && i <= GetNumEntries() ? keys_[i - 1] : std::string();
}

void TAssocArray::SetKeys(int32_t i, const std::string& Key) {
  if (i >= 1 && i <= GetNumEntries()) keys_[i - 1] = Key;
}

TVariant TAssocArray::GetValues(int32_t i) const {
  return i >= 1 && i <= GetNumEntries() ? values_[i - 1] : TVariant(std::string());
}

void TAssocArray::SetValues(int32_t i, const TVariant& Value) {
  if (i >= 1 && i <= GetNumEntries()) values_[i - 1] = Value;
}

void TAssocArray::Clear() {
  TStrArray().swap(keys_);
  TVariantArray().swap(values_);
  const size_t step = static_cast<size_t>(std::min(granularity_, kMaxReserveStep));
  keys_.reserve(step);
  values_.reserve(step);
}

void TAssocArray::Assign(const TPersistent* Source) {
  if (auto other = dynamic_cast<const TAssocArray*>(Source)) {
    if (other == this) return;
    granularity_ = other->granularity_;
    ignore_case_ = other->ignore_case_;
    data_id_ = other->data_id_;
    keys_ = other->keys_;
    values_ = other->values_;
    return;
  }
  TComponent::Assign(Source);
}

void TAssocArray::AddXMLAttributes(std::string& Text) const {
  // ignorecase first: the escaped DataID may hold any text but a quote.
  Text += " ignorecase=" + XMLBoolStr(ignore_case_) + " dataid=\"" + EscapeXMLAttribute(data_id_) +
          "\"";
}

void TAssocArray::WriteToXMLStream(TTextFile& f, bool CreateHeader, const std::string& Id) const {
  const int indent = 1;
  std::string attrs;
  AddXMLAttributes(attrs);
  WriteXMLFrameStart(f, CreateHeader, "TAssocArray", "assocarray", Id, indent, attrs);
  const std::string pad = XMLIndent(indent) + "  ";
  f.WriteLn(pad + "<numentries val=" + std::to_string(keys_.size()) + " />");
  for (size_t i = 0; i < keys_.size(); ++i) {
    int type = 0;
    const std::string text = ValueText(values_[i], type);
    f.WriteLn(pad + "<assoc type=" + std::to_string(type) + " key=\"" +
              EscapeXMLAttribute(keys_[i]) + "\">" + text + "</assoc>");
  }
  WriteXMLFrameEnd(f, "assocarray", indent);
}

bool TAssocArray::ReadFromXMLStream(TTextFile& f, const std::string& Id) {
  std::string line;
  if (!FindXMLElement(f, "assocarray", Id, &line)) return false;
  TStrArray().swap(keys_);
  TVariantArray().swap(values_);
  // The element's own attributes follow the frame's id attribute; looking
  // only there keeps an identifier such as "ignorecase=0" from being taken
  // for one of them.
  const std::string lower = AnsiLowerCase(line);
  size_t from = lower.find("<assocarray");
  const size_t idAt = lower.find("id=\"", from);
  if (idAt != std::string::npos) {
    const size_t q = lower.find('"', idAt + 4);
    from = q == std::string::npos ? line.size() : q + 1;
  }
  const std::string rootAttrs = line.substr(from);
  if (rootAttrs.find("dataid=") != std::string::npos)
    data_id_ = UnescapeXMLText(ScanForXMLAttrib(rootAttrs, "dataid"));
  const std::string ic = ScanForXMLAttrib(rootAttrs, "ignorecase");
  if (!ic.empty()) ignore_case_ = XMLStrToBool(ic);

  // numentries is only compared with what was read, never used to allocate.
  int64_t expected = -1;
  bool closed = false;
  std::string name, attrs, contents;
  while (!closed && ReadXMLChildTag(f, name, attrs, contents)) {
    if (name == "numentries") {
      expected = XMLStrToInt(ScanForXMLAttrib(attrs, "val"));
    } else if (name == "assoc") {
      const std::string key = UnescapeXMLText(ScanForXMLAttrib(attrs, "key"));
      const TVariant value = ValueFromText(XMLStrToInt(ScanForXMLAttrib(attrs, "type")), contents);
      const int32_t ix = Find(key);
      if (ix >= 0)
        values_[ix] = value;
      else
        Append(key, value);
    } else if (name == "/assocarray") {
      closed = true;
    }
  }
  return closed && expected == static_cast<int64_t>(keys_.size());
}

}  // namespace tkz
