#pragma once
// The BryMen meters' readings without any widget: the decode of one meter frame, the
// unit text, how the meter panel shows a reading, the scan intervals, and the reading
// and unit-text matrices the temperature test fills per step and mode.

#include <QHash>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/channel_figures.h"

// One decoded reading, as the frame gives it.
struct BryMenReading {
  bool Decoded = false;           // a frame of at least 22 bytes came and was read
  bool Negative = false;          // sign byte "-"
  uint8_t Flags1 = 0;             // bit 0 AC, 1 DC, 2 V, 3 F, 4 D, 5 ℃, 6 ℉, 7 Ω
  uint8_t Flags2 = 0;             // bit 1 A, 2 Hz, 3 %, 5 dB
  bool Invalid = false;           // short frame or a reading that is not a number
  bool ExponentNegative = false;
  int Exponent = 0;               // one decimal digit
  double Value = 0;               // the reading before its exponent
  QString Digits;                 // the reading's digits without blanks and point
  int PointPosition = 0;          // characters of the reading field before its point
  int IntegerDigits = 0;          // digits before the point (all of them without one)
  bool HasPoint = false;
};

// A reading that did not come (no valid frame after the retries): stored in a reading
// matrix in place of a value and written as an empty field, never as 0.
constexpr double NoReading = NoFigure;
inline bool IsReading(double v) { return IsFigure(v); }

// Places of the meter panel's displays.
constexpr int MeterDisplayPlaces = 5;

// Frame offsets of the decode.
constexpr int MeterFlags1At = 4;
constexpr int MeterFlags2At = 5;
constexpr int MeterSignAt = 8;
constexpr int MeterFieldAt = 9;
constexpr int MeterFieldLength = 7;
constexpr int MeterExponentSignAt = 17;
constexpr int MeterExponentAt = 18;

// Decodes the frame collected in `frame` (`length` bytes) into `r`; returns the value
// scaled by its exponent. A frame shorter than 22 bytes, a reading that is not a number
// or an exponent that is not a digit give Invalid and 0.
double DecodeBryMenFrame(const uint8_t* frame, int length, BryMenReading& r);

// "AC ", "DC " (not with Ω), the magnitude prefix, then the unit signs in their order.
QString MeterUnitText(uint8_t flags1, uint8_t flags2, const QString& prefix = {});

// What the meter panel shows for one reading.
struct MeterDisplay {
  QString Unit;     // unit label
  QString Caption;  // display caption
  int DotCount = 0; // display point position
  bool Minus = false;
};
// The magnitude prefix and the point shift of a reading ("k", "M", "m", "u", "n").
void MeterPrefix(const BryMenReading& r, QString& prefix, int& shift);
// A reading the frame read delivered (`read` False: the meter did not answer).
MeterDisplay MeterPanelDisplay(const BryMenReading& r, bool read);

// Scan intervals of the meter panel: the item texts and their divisors of 100 ms ticks.
extern const QStringList MeterScanItems;
constexpr int MeterScanDivisors[6] = {1, 2, 5, 10, 20, 50};
// True when a channel with scan-interval index `index` is read on tick `tick`.
bool MeterScanDue(uint32_t tick, int index);

// Readings and unit texts of one meter channel per temperature step 0..30 and mode
// 0..20001. Room is taken up to the highest mode written; a cell never written reads 0
// and ""; a reading that did not come is stored as NoReading.
// An index outside the matrix is refused on write and reads as never written.
class MeterMatrix {
public:
  static constexpr int Steps = 31;
  static constexpr int Modes = 20002;

  double Reading(int step, int mode) const;
  QString UnitText(int step, int mode) const;
  bool SetReading(int step, int mode, double value);
  bool SetUnitText(int step, int mode, const QString& text);
  static bool InRange(int step, int mode) { return step >= 0 && step < Steps && mode >= 0 && mode < Modes; }
  // Room is taken as the modes are written: modes 0 .. HeldModes() - 1 have it.
  int HeldModes() const { return static_cast<int>(std::max(readings_.size(), units_.size()) / Steps); }

private:
  static size_t At(int step, int mode) { return static_cast<size_t>(mode) * Steps + static_cast<size_t>(step); }
  std::vector<double> readings_;
  // Unit texts repeat a few values: each cell holds the index of its text.
  std::vector<uint16_t> units_;
  QStringList unit_texts_{QString()};
  QHash<QString, uint16_t> unit_index_;
};
