#pragma once
// A field descriptor as the chip definition declares one, for the field tests.

#include <cstdint>

#include "common/reg_field.h"

inline TRegField Field(uint16_t address, uint8_t width, uint8_t shift, uint8_t defined = 1) {
  TRegField f;
  f.Address = address;
  f.Width = width;
  f.Shift = shift;
  f.Defined = defined;
  return f;
}
