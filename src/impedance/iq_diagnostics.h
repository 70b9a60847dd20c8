#pragma once
// The register work of the I/Q test's diagnostics: selecting an ADC phase through
// DGCON1 and resetting the ADC through AD1RST, reading a phase value from the ADC
// output (ADC1OH, ADC1OM, ADC1OL; bit 0 of the low byte says the reading is ready),
// the four-phase measurement of I and Q, and the fixed set-up of "Measure". The
// registers come from the chip definition's field descriptors; every write goes out
// on its own and leaves the shadow as it is.
//
// The wait for a phase reading is bounded like the wait for an I/Q conversion: a chip
// that never sets the ready bit gives a failed reading, never a hang.

#include <cstdint>

#include "common/impedance_state.h"
#include "impedance/iq_conversion.h"

class TMx_UP;

struct AdcPhaseReading {
  IQStatus Status = IQStatus::Done;
  bool Decoded = false;  // a reply had the status FAh and its word was decoded
  double Value = 0;      // the last word decoded
  int Reads = 0;
  bool Ok() const { return Status == IQStatus::Done && Decoded; }
};

// Reads the three output registers until bit 0 of the low byte is set. Every reply
// with the status FAh is stored into the shadow with the full refresh and its word,
// built from the shadow, decoded like an I/Q word.
AdcPhaseReading ReadAdcPhase(TMx_UP& up, const IQWaitLimits& limits = {});
// One read of the output registers ("ADC"), stored and decoded when the status is FAh.
AdcPhaseReading ReadAdcOutput(TMx_UP& up);

// DGCON1 for phase 0..3 from the value d: phase 0 writes (d AND 1Fh) OR 81h, then
// OR 91h; phases 1..3 write (d AND 1Fh) OR A1h, C1h or E1h once.
void SelectAdcPhase(TMx_UP& up, int phase, uint8_t d);
// AD1RST = (a AND FEh) OR 01h.
void ResetAdc(TMx_UP& up, uint8_t a);
// DGCON1 = d OR 81h, then d OR 91h: the I/Q path of "OneShot" and "Measure".
void StartIqPath(TMx_UP& up, uint8_t d);
// "Measure"'s fixed set-up: register 62 bits 4-3 become 01, 28 = 03h, 30 = 00h.
void MeasureSetup(TMx_UP& up);

// The four phase readings of "Sequence", from the shadow values of DGCON1 and
// AD1RST: I = P0 - P1, Q = P2 - P3 with their polar form. A phase reading that fails
// raises MxError; I = 0 raises EMathError from the arctangent.
struct PhaseSequence {
  double P[4] = {};
  IQResult Result;
};
PhaseSequence RunPhaseSequence(TMx_UP& up, const IQWaitLimits& limits = {});

inline const char* kAdcPhaseFailed = "ADC phase reading failed";
