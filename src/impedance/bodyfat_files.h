#pragma once
// The files of the body-fat test: one run log per channel, "ACReg" + channel + "-" +
// stamp + ".CSV", its rows gathered in BodyFatState::LogLines and, in the automatic
// test, ended by a line of averages; and the averages file "MxAverage" + stamp +
// ".CSV" over every channel the automatic test measured. CR LF, Big5 beyond ASCII.

#include <QDateTime>
#include <QString>
#include <array>

#include "common/impedance_state.h"

class Clock;

// Rows a channel log can hold: entries above it carry the automatic test's
// calibration columns.
constexpr int BodyFatMaxRows = 1000;

QString BodyFatLogHeader();
// Program folder + "ACReg" + channel + "-" + stamp of the local time + ".CSV"; a name
// already taken (a log of the same channel started within the same second) gets "_2",
// "_3", ... before ".CSV", as the I/Q test's logs do.
QString BodyFatLogName(const QString& programDir, int channel, const QDateTime& local);

// The eight read-out texts of a calibration or of a sample (ADC1 .. ADC4, I, Q, Y,
// Theta), joined by ",".
QString ReadoutColumns(const std::array<QString, 8>& texts);
// One row: number, time (UTC + 8), the Rref and frequency texts, the calibration and
// sample columns, the gain text, the phase and the impedance in the general number
// form (23 fields).
QString BodyFatLogRow(int number, const QString& time, const QString& rrefText, const QString& freqText,
                      const QString& calibrationColumns, const QString& sampleColumns, const QString& gainText,
                      double dutPhase, double impedance);

// Writes LogLines[0..count] (stopping at an empty entry) and, when not empty, the
// averages line; nothing when LogLines[1] is empty. Raises EInOutError.
void WriteRunCsv(const BodyFatState& s, int count, const QString& fileName, const QString& averagesLine = {});

struct BodyFatAverages {
  double I0 = 0, Q0 = 0, I1 = 0, Q1 = 0;
};
// The channel's sums divided by its sample count (checked: no samples is an invalid
// operation).
BodyFatAverages ChannelAverages(const double sums[4], int count);
// "Average,,,,,,,," + I0 + "," + Q0 + ",,,,,,," + I1 + "," + Q1, each "%f", under the
// header's I0, Q0, I1 and Q1.
QString AveragesLine(const BodyFatAverages& a);
// Keeps the channel's averages as texts for the averages file.
void StoreChannelAverages(BodyFatState& s, const BodyFatAverages& a);
// Writes "MxAverage" + stamp of now + ".CSV" into the program folder (a name already
// taken gets "_2", "_3", ... before ".CSV") and returns its name. Raises EInOutError.
QString WriteAverageFile(const BodyFatState& s, const QString& programDir, Clock& clock);
