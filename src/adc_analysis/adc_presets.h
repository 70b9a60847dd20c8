#pragma once
// The two saved ADC register presets ("Scale" and "DMM"): bytes 1 to 5 for registers
// 3Ch..40h, byte 6 for register 30h.

#include <cstdint>

class TMx_UP;

constexpr int AdcPresetSize = 6;

// Writes a preset into the chip (none: nothing is written), reads the six registers
// back and stores what was read in the register shadow, without any refresh.
void RestoreAdcPreset(TMx_UP& up, const uint8_t* preset);
