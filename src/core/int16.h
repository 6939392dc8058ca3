// A 16-bit signed counter: the program's counts keep their 16-bit limit.
#pragma once

#include <cstdint>

#include "core/error.h"

namespace snapnook {

/// A signed 16-bit integer whose arithmetic raises error 6 "Overflow" instead of wrapping.
class Int16 {
 public:
  constexpr Int16() = default;
  constexpr Int16(int value) : value_(Checked(value)) {}  // NOLINT: used like a plain int

  constexpr int value() const { return value_; }
  constexpr operator int() const { return value_; }  // NOLINT: used like a plain int

  Int16& operator=(int value) {
    value_ = Checked(value);
    return *this;
  }
  Int16& operator+=(int delta) {
    value_ = Checked(int{value_} + delta);
    return *this;
  }
  Int16& operator++() { return *this += 1; }

 private:
  static constexpr std::int16_t Checked(int value) {
    if (value > INT16_MAX || value < INT16_MIN) throw OverflowError();
    return static_cast<std::int16_t>(value);
  }

  std::int16_t value_ = 0;
};

}  // namespace snapnook
