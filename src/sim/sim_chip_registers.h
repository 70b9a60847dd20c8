#pragma once
// The MX7406's registers as the simulated chip holds them: which bits each address
// implements and what it holds after power-on. Addresses are shadow-style: 00h..7Fh
// registers, 80h..FFh RAM bank 0, 180h..1FFh RAM bank 1; an address the table does not
// name implements no bit.

#include <cstdint>
#include <span>

class SimChip;

struct SimRegister {
  uint16_t address;
  uint8_t mask;   // implemented bits
  uint8_t reset;  // value after power-on
};

// The registers 00h..7Fh (the RAM banks implement every bit and start at 0).
std::span<const SimRegister> Mx7406Registers();

// Implemented bits of a shadow-style address 0..1FFh.
uint8_t Mx7406Mask(int address);

// Gives the chip the MX7406's implemented bits and power-on values.
void PowerOnMx7406(SimChip& chip);
