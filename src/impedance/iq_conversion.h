#pragma once
// One hardware I/Q conversion of the chip's demodulator, on channel 0 through the
// register API: register 0Fh bit 2 is written 1 to start and reads 1 while the
// conversion runs; the results stand in 06h..08h (I) and 09h..0Bh (Q), high byte
// first, each a 24-bit two's-complement word that is halved.
//
// The wait for the done bit is bounded by time on the platform clock and by a count
// of polls: a chip that never finishes gives a failed conversion, never a hang. A
// failed transfer also fails the conversion; the register shadow is then not
// touched by the read that failed, and the result stays all zero.

#include <cstdint>

#include "common/impedance_state.h"

class TMx_UP;

constexpr int IqControlRegister = 0x0F;
constexpr uint8_t IqStartBit = 0x04;
constexpr int IqIRegister = 0x06;  // 06h..08h
constexpr int IqQRegister = 0x09;  // 09h..0Bh

// How the results are read: two reads of three registers (split), one read of six
// then one of three (six-then-three), or one read of six giving both (single).
enum class IQReadForm { Split, SixThenThree, Single };
// How the result bytes reach the shadow: each stored with the full refresh
// (UpdateReg), with the memory view and ADC panel refresh (UpdateRegADC), or not at
// all (decoded from the reply).
enum class IQRefresh { Full, AdcOnly, None };

enum class IQStatus {
  Done,
  TransferFailed,  // a write or read did not complete (the link closes the device)
  TimedOut,        // the done bit did not clear within the wait's bounds
};

// The bounds of the analysis window's I/Q capture, which waits as long as a capture
// waits for data.
struct IQWaitLimits {
  int64_t TimeoutUs = 10'000'000;
  int MaxPolls = 10'000;
};

// What the runs and calibrations say of a conversion that did not finish.
inline const char* kIqConversionFailed = "I/Q conversion failed";

struct IQConversion {
  IQStatus Status = IQStatus::Done;
  int Polls = 0;  // reads of register 0Fh
  IQResult Result;
  bool Ok() const { return Status == IQStatus::Done; }
};

// Start and wait: the shadow of 0Fh with bit 2 set is written (the shadow keeps its
// value), then 0Fh is read until bit 2 of the value read is clear.
IQConversion IQStartAndWait(TMx_UP& up, const IQWaitLimits& limits = {});
// Reads and decodes I and Q after a finished wait, storing the bytes as `refresh` says.
void IQReadResults(TMx_UP& up, IQReadForm form, IQRefresh refresh, IQConversion& c);
// The whole conversion; with `polar`, Y and Theta of a finished one (PolarForm).
IQConversion ConvertIQ(TMx_UP& up, IQReadForm form, IQRefresh refresh, bool polar,
                       const IQWaitLimits& limits = {});

// Y = sqrt(I^2 + Q^2), Theta = arctan(Q / I) with no quadrant correction. I = 0
// raises EMathError (division by zero, or an invalid operation when Q is 0 too).
void PolarForm(IQResult& r);
