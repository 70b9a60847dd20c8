#pragma once
// A register field of the chip definition: value = (register >> Shift) & ((1 << Width) - 1).

#include <cstdint>

struct TRegField {
  uint16_t Address = 0;
  uint8_t Width = 0;
  uint8_t Shift = 0;
  uint8_t Value = 0;    // cached value
  uint8_t Defined = 0;  // 1 once a line of the chip definition filled it

  uint8_t Mask() const { return Width >= 8 ? 0xFF : static_cast<uint8_t>((1u << Width) - 1); }
  // The field's value inside a register value.
  uint8_t From(uint8_t reg) const { return static_cast<uint8_t>((reg >> Shift) & Mask()); }
  // The register value with the field replaced by v, other bits kept.
  uint8_t Into(uint8_t reg, uint8_t v) const {
    uint8_t m = static_cast<uint8_t>(Mask() << Shift);
    return static_cast<uint8_t>((reg & ~m) | ((v << Shift) & m));
  }
};
