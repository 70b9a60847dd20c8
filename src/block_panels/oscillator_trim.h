#pragma once
// The oscillator trim and the counter scan of the waveform generator, around the
// board's clock counter (ClockTrim): the counter source (register 2 bits 5:4) is
// switched to 10b while counting and put back afterwards; the trim sets register 62
// for the selected clock, starts register 43 from the model's estimate and moves the
// code one step per measurement until the error stops shrinking or falls within half
// a step. No widget here; every register write goes through WriteReg.

#include <QString>
#include <cstdint>

class TMx_UP;
class ClockTrim;

// Passes of the trim loop at most (one counter exchange each).
constexpr int TrimPasses = 128;

enum class TrimEnd {
  TargetOutOfRange,  // the target lies outside the clock's range: nothing written
  TrimOutOfRange,    // the code would leave 40h +- 64: register 62 bit 0 set
  Done,              // trimmed: register 62 bit 0 set, the counter source put back
  PassesUsed,        // every pass ran without reaching an end
  LinkFailed,        // a measurement or a closing write failed: no result, register 62 bit 0
                     // set only where its write went out before the link went
};

// What the user is told when the trim ended with LinkFailed.
inline constexpr char kTrimLinkFail[] = "Vod Correction Fail: the board did not answer, the clock was not trimmed";

// An estimate as an unsigned byte folded into the codes the trim can reach:
// 81h..C0h becomes C1h, 41h..7Fh becomes 40h.
uint8_t FoldTrimEstimate(uint8_t est);
// The trim code for an estimate and a step: (40h - est + step) AND FFh.
uint8_t TrimCode(uint8_t est, uint8_t step);
// True when (est - step) AND FFh lies in 41h..C0h: the code would leave 40h +- 64.
bool TrimLeavesRange(uint8_t est, uint8_t step);

// Register 2 bits 5:4 saved, then set to 10b.
uint8_t SelectCounterSource(TMx_UP& up);
// Register 2 bits 5:4 set back to the saved bits; false when the write or its read-back
// did not come through (the shadow then holds what the chip holds: the value written
// once its packet went out).
bool RestoreCounterSource(TMx_UP& up, uint8_t saved);

// One trim of the oscillator of clock selection 0..2 to targetHz. The range is the
// chip definition's ClockTexts[2c] .. ClockTexts[2c + 1] (a text that is no integer
// raises EConvertError). savedCntSel receives register 2's counter-source bits. The
// counter source is put back on every end after it was switched (with the link gone
// the write fails and the shadow keeps what the chip last held). At most TrimPasses
// measurements follow the estimate, so the trim always ends; a failed one ends it.
TrimEnd RunOscillatorTrim(TMx_UP& up, ClockTrim& trim, int clockSelection, int targetHz, uint8_t& savedCntSel);

// "CLK=" + the count in Hz (count x 4096) + "Hz".
QString ClockLabelText(uint32_t clockCount);
