#pragma once
// The page-switched write of 128 words into the chip's wave memory. Each byte is
// stored in the register shadow and sent as one single-register write, without
// read-back or refresh: the generator is stopped (register 13 bit 0), page 0 takes
// words 0..63 and page 1 words 64..127 (register 127 bit 0 selects the page; shadow
// addresses 180h..1FFh go out as 80h..FFh), page 0 is selected again, the memory
// view is refreshed and register 13 gets the run bits. Word k of a page lies at
// 80h + 2k (high byte) and 81h + 2k (low byte). No widget here.

#include <cstdint>
#include <functional>

#include "block_panels/wave_math.h"

class TMx_UP;

// Run bits ORed into register 13 at the end.
constexpr uint8_t WaveRunBits = 0x01;            // the generator runs
constexpr uint8_t WaveRunBitsWithGen4 = 0x11;    // and bit 4, as "Generator" and the viewer set it

// Stores one byte in the shadow and sends it alone (no read-back, no refresh).
void PutRegister(TMx_UP& up, int address, uint8_t value);

// The whole sequence: 260 single-register packets, 261 when the generator was running.
// refreshMemoryView runs between the last page switch and the run bits. A failed
// packet is not noticed: the sequence runs on and the shadow holds every byte.
void WaveRamWrite(TMx_UP& up, const WaveTable& words, uint8_t runBits, const std::function<void()>& refreshMemoryView);
