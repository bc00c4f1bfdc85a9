// Base classes of the component model: objects, persistent objects with
// Assign/AssignTo, components with an owner and a name, the notify event,
// integer points, and the root of the library's exception hierarchy.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/types/corekit_export.h"

namespace tkz {

// Root of every error the libraries raise. Carries only a message.
class TKZ_COREKIT_EXPORT ETKZError : public std::runtime_error {
 public:
  explicit ETKZError(const std::string& msg) : std::runtime_error(msg) {}
};

// The platform's input/output error: a failed file-system call. Code is the
// operating system's error number (0 when none applies).
class TKZ_COREKIT_EXPORT EInOutError : public ETKZError {
 public:
  EInOutError(const std::string& msg, int code) : ETKZError(msg), ErrorCode(code) {}
  int ErrorCode;
};

// Raised by TPersistent::Assign when two classes cannot copy into each other.
class TKZ_COREKIT_EXPORT EConvertError : public ETKZError {
 public:
  using ETKZError::ETKZError;
};

struct TKZ_COREKIT_EXPORT TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TKZ_COREKIT_EXPORT TDPoint {
  double X = 0;
  double Y = 0;
  friend bool operator==(const TDPoint&, const TDPoint&) = default;
};

// A set of values of a small enumeration (values 0 to 31), as the vocabulary's
// set types: TEnumSet<TFontStyle>{fsBold, fsItalic}.
template <typename E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }
  constexpr bool Contains(E v) const { return (bits_ >> static_cast<unsigned>(v)) & 1u; }
  constexpr TEnumSet& Include(E v) {
    bits_ |= 1u << static_cast<unsigned>(v);
    return *this;
  }
  constexpr TEnumSet& Exclude(E v) {
    bits_ &= ~(1u << static_cast<unsigned>(v));
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint32_t Bits() const { return bits_; }
  static constexpr TEnumSet FromBits(uint32_t bits) {
    TEnumSet s;
    s.bits_ = bits;
    return s;
  }
  friend constexpr TEnumSet operator+(TEnumSet a, TEnumSet b) {
    return FromBits(a.bits_ | b.bits_);
  }
  friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) {
    return FromBits(a.bits_ & ~b.bits_);
  }
  friend constexpr TEnumSet operator*(TEnumSet a, TEnumSet b) {
    return FromBits(a.bits_ & b.bits_);
  }
  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  uint32_t bits_ = 0;
};

class TKZ_COREKIT_EXPORT TObject {
 public:
  virtual ~TObject() = default;
};

// The plain notify event: the sender only.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// An object that can copy its state from another. Assign(Source) asks Source
// to copy itself into this object (Source->AssignTo(this)); a class that knows
// how to copy from Source overrides Assign, one that knows how to copy into a
// destination overrides AssignTo. When neither does, EConvertError is raised.
class TKZ_COREKIT_EXPORT TPersistent : public TObject {
 public:
  virtual void Assign(const TPersistent* Source);
  virtual std::string ClassName() const { return "TPersistent"; }

 protected:
  virtual void AssignTo(TPersistent* Dest) const;
};

// A component has an owner, which deletes it, and a name. A null owner means
// the caller owns the component. Deleting a component first deletes the
// components it owns, last created first.
class TKZ_COREKIT_EXPORT TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* GetOwner() const { return owner_; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& NewName) { name_ = NewName; }
  int ComponentCount() const { return static_cast<int>(owned_.size()); }
  // 0-based, as the framework's component list.
  TComponent* GetComponent(int Index) const;
  std::string ClassName() const override { return "TComponent"; }

 private:
  void InsertComponent(TComponent* c) { owned_.push_back(c); }
  void RemoveComponent(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> owned_;
};

}  // namespace tkz
