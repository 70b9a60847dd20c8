#pragma once
// The I/Q test's calibrations against the reference resistor and what they share
// with the runs: writing a register list of the chip definition, the DAC codes of
// registers 23/24 and 26/27, and the average of a group of ADC stream samples.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "common/impedance_state.h"
#include "impedance/impedance_math.h"
#include "impedance/iq_conversion.h"

class TMx_UP;

// Writes one of the seven IQRegLists into the chip, entry by entry: the entry's field
// of the shadow value is replaced by its value (not cut to the field's width; bits
// shifted out of the byte are lost) and sent, one packet each; the shadow takes each
// value once its packet went out. Nothing is read back or refreshed. Entries at
// addresses the transfer buffer does not hold are left out. The first packet that did
// not come through ends the list: false.
bool ApplyRegList(TMx_UP& up, int list);

// AC calibration readings: list AC0 then one conversion, list AC1 then another.
struct ACCalibrationReadings {
  IQResult Ac0, Ac1;  // the two conversions with their polar forms
};
// One reading of the calibration: conversions (split read, full refresh) are tried
// until one completes with I other than 0, at most five times; a conversion that
// timed out is not tried again. When the last one did not finish, MxError
// (kIqConversionFailed); when every one finished with I = 0, the arctangent raises
// EMathError.
IQResult CalibrationReading(TMx_UP& up);
// Both readings, each handed to `shown` (column 0 for AC0, 1 for AC1) as it is taken;
// once both are in, Y0, Theta0, Y1, Theta1 are stored in the state.
ACCalibrationReadings RunACCalibration(TMx_UP& up, IQTestState& s,
                                       const std::function<void(int column, const IQResult&)>& shown = {});
// Resd and Gain from the readings and the reference resistor; sets ACCalibrated.
void FinishACCalibration(IQTestState& s, int32_t rref);

// A DAC code typed as hexadecimal ("0800"): "0x" + text read as an integer; raises
// EConvertError for an empty or non-hexadecimal text.
uint32_t DabitCode(const QString& text);
// Registers 23, 24 take the DABIT code (high, low byte), 26, 27 the DABIT2 code; each
// sent on its own in that order, the shadow taking each once its packet went out.
void WriteDabitCodes(TMx_UP& up, uint32_t dabit, uint32_t dabit2);
// The shadow values of registers 23, 24, 26, 27, and their writing back; the first
// write that does not come through ends it: false.
std::array<int, 4> SaveDabitRegs(const TMx_UP& up);
bool RestoreDabitRegs(TMx_UP& up, const std::array<int, 4>& saved);

// Stream samples as the DC measurements decode them: the 24-bit word shifted right by
// one with bit 23 as the sign.
int32_t DcSample(const uint8_t* reply, int k);

// The sum of n stream samples after the first 13 of the running stream, or nothing
// when they did not all come: ten seconds without a sample, or a link that has
// closed, end the wait. A poll without samples waits 10 ms (in ReadStream).
// `processMessages` runs once per poll.
std::optional<int64_t> StreamSampleSum(TMx_UP& up, int n, const std::function<void()>& processMessages);
constexpr int64_t StreamSilenceUs = 10'000'000;

// What a DC calibration or run says when the ADC stream stopped before its samples came.
inline const char* kAdcStreamLost = "ADC stream lost";
// ... and when the DAC registers could not be given their saved values back.
inline const char* kDabitNotRestored = "DABIT registers not restored: the board did not answer";

struct DCCalibrationResult {
  int64_t Sum0 = 0, Sum1 = 0;
  int32_t Avg0 = 0, Avg1 = 0;  // sums divided by n, truncated
  DCCalibrationFigures Figures;
};
// The DC calibration: the measuring step's DAC codes, list DC and a stream average,
// list DC1 and a second average, the figures. Resd_dc is stored and DCCalibrated set.
// An average that ended before its n samples came raises MxError(kAdcStreamLost) and
// leaves Resd_dc and DCCalibrated as they were; so does MxError(kDabitNotRestored)
// when, after the averages, the stream stop or the four DAC registers' saved values
// do not come through. On every other way out too the stream is stopped and the
// registers get their saved values back. An n (the average cycle) below 1 raises
// EMathError before anything is written: an average of no samples divides by zero.
DCCalibrationResult RunDCCalibration(TMx_UP& up, IQTestState& s, int n, uint32_t dabit, uint32_t dabit2,
                                     int32_t rref, const std::function<void()>& processMessages);
