#pragma once
// The named register fields the chip definition fills.

#include "common/reg_field.h"

struct FieldDescriptors {
  // #ADC0S
  TRegField IRQEN;
  TRegField TS;
};
