#pragma once
// The page-switched write of 128 words into the chip's wave memory. Each byte is
// sent as one single-register write, without read-back or refresh, and stored in
// the register shadow once its packet went through: the generator is stopped (register 13 bit 0), page 0 takes
// words 0..63 and page 1 words 64..127 (register 127 bit 0 selects the page; shadow
// addresses 180h..1FFh go out as 80h..FFh), page 0 is selected again, register 13
// gets the run bits and the memory view is refreshed. Word k of a page lies at
// 80h + 2k (high byte) and 81h + 2k (low byte). No widget here.

#include <cstdint>
#include <functional>

#include "block_panels/wave_math.h"

class TMx_UP;

// Run bits ORed into register 13 at the end.
constexpr uint8_t WaveRunBits = 0x01;            // the generator runs
constexpr uint8_t WaveRunBitsWithGen4 = 0x11;    // and bit 4, as "Generator" and the viewer set it

// The whole sequence: 260 single-register packets, 261 when the generator was running.
// refreshMemoryView runs once at the end, after the run bits, so that the view shows
// register 13 as the chip holds it; also when a packet failed: the sequence stops there
// and false comes back, the shadow holding what reached the chip.
bool WaveRamWrite(TMx_UP& up, const WaveTable& words, uint8_t runBits, const std::function<void()>& refreshMemoryView);

// What the user is told when the wave memory could not be written.
inline constexpr char kWaveRamWriteFail[] = "Wave RAM write fail: the generator does not run the new waveform";
