#pragma once
// Copies the measurement chip's set-up (RAM banks 0 and 1 and a fixed register list,
// taken from the shadow after a fresh Read Chip) into the board's auxiliary chip and
// reads it back to verify it.

#include <array>
#include <cstdint>

struct Globals;
class TMx_UP;

// The 36 registers of the list, in order.
inline constexpr std::array<uint8_t, 36> AuxRegisterList = {
    0x01, 0x02, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B,
    0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x3E, 0x7F};

// RAM image: byte k is bank 0 address 80h + k, byte 128 + k bank 1 address 180h + k,
// each masked by RegMask; addresses outside the chip give 0.
std::array<uint8_t, 256> AuxRamImage(const TMx_UP& up, const Globals& g);
// Register list: (register, shadow value) pairs.
std::array<uint8_t, 72> AuxRegisterPairs(const TMx_UP& up);
