// TVariant: a tagged value (empty, null, integers of several widths, floats,
// boolean, string, date, or an array of variants with its own lower bound).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "core/types/corekit_export.h"

namespace tkz {

class TVariant;

// Variant kind codes, as the platform numbers them.
enum TVarType : uint16_t {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varBoolean = 0x000B,
  varShortInt = 0x0010,
  varByte = 0x0011,
  varWord = 0x0012,
  varLongWord = 0x0013,
  varInt64 = 0x0014,
  varString = 0x0100,
  varArray = 0x2000,
};

struct TKZ_COREKIT_EXPORT TVarNull {
  friend bool operator==(TVarNull, TVarNull) { return true; }
};

// Date-time: days since 1899-12-30, the fraction being the time of day.
struct TKZ_COREKIT_EXPORT TVarDate {
  double Value = 0;
  friend bool operator==(TVarDate, TVarDate) = default;
};

// An array of variants whose indices run from Low to Low + size - 1.
struct TKZ_COREKIT_EXPORT TVarArray {
  int32_t Low = 0;
  std::vector<TVariant> Items;
  // Upper bound, Low - 1 when empty; 64-bit so that no bound overflows.
  int64_t High() const;
};

class TKZ_COREKIT_EXPORT TVariant {
 public:
  using Value = std::variant<std::monostate, TVarNull, int16_t, int32_t, int8_t, uint8_t, uint16_t,
                             uint32_t, int64_t, float, double, bool, std::string, TVarDate,
                             std::shared_ptr<const TVarArray>>;

  TVariant() = default;
  TVariant(TVarNull v) : v_(v) {}
  TVariant(int16_t v) : v_(v) {}
  TVariant(int32_t v) : v_(v) {}
  TVariant(int8_t v) : v_(v) {}
  TVariant(uint8_t v) : v_(v) {}
  TVariant(uint16_t v) : v_(v) {}
  TVariant(uint32_t v) : v_(v) {}
  TVariant(int64_t v) : v_(v) {}
  TVariant(float v) : v_(v) {}
  TVariant(double v) : v_(v) {}
  TVariant(bool v) : v_(v) {}
  TVariant(std::string v) : v_(std::move(v)) {}
  TVariant(const char* v) : v_(std::string(v)) {}
  TVariant(TVarDate v) : v_(v) {}
  TVariant(TVarArray a) : v_(std::make_shared<const TVarArray>(std::move(a))) {}

  // Builds a one-level array with lower bound Low.
  static TVariant Array(std::vector<TVariant> items, int32_t Low = 0) {
    return TVariant(TVarArray{Low, std::move(items)});
  }

  TVarType VarType() const;
  bool IsEmpty() const { return v_.index() == 0; }
  bool IsNull() const { return std::holds_alternative<TVarNull>(v_); }
  bool IsArray() const { return std::holds_alternative<std::shared_ptr<const TVarArray>>(v_); }
  // The array, or null when the variant is not an array.
  const TVarArray* AsArray() const;
  const Value& Get() const { return v_; }

 private:
  Value v_;
};

inline TVarType TVariant::VarType() const {
  static constexpr TVarType kinds[] = {varEmpty,  varNull,    varSmallint, varInteger, varShortInt,
                                       varByte,   varWord,    varLongWord, varInt64,   varSingle,
                                       varDouble, varBoolean, varString,   varDate,    varArray};
  return kinds[v_.index()];
}

inline int64_t TVarArray::High() const {
  return int64_t{Low} + static_cast<int64_t>(Items.size()) - 1;
}

inline const TVarArray* TVariant::AsArray() const {
  auto p = std::get_if<std::shared_ptr<const TVarArray>>(&v_);
  return p != nullptr ? p->get() : nullptr;
}

}  // namespace tkz
