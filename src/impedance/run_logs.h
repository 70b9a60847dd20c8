#pragma once
// The run logs of the I/Q test: "log/AC", "log/DC" or "log/DC1" + stamp + ".CSV" in
// the program folder, gathered in memory (IQRunLogTable) and written in one go at the
// end of a run and at each roll-over; the row times of the AC rows (UTC + 8 hours)
// and of the DC rows (local times interpolated between sample packets); the file
// stamps. Files are CR LF, Big5 beyond ASCII, "." decimals.

#include <QDateTime>
#include <QString>
#include <array>

#include "common/impedance_state.h"

class Clock;

// Continuous runs write their file and start a new one after this many rows.
constexpr int LogRollOverRows = 1000;

// A name in the program folder (given with or without its trailing "/").
QString InProgramFolder(const QString& programDir, const QString& name);

QString IQLogPrefix(IQLogKind kind);  // "log/AC", "log/DC", "log/DC1"
QString IQLogHeader(IQLogKind kind);

// "yyyymmddhhnnss" of a local time.
QString FileStamp(const QDateTime& local);
// stem + ".CSV". Two files started within the same second would share a name and the
// later would replace the earlier: a name already taken gets "_2", "_3", ... before
// ".CSV".
QString UnusedLogName(const QString& stem);
// The UTC time advanced by 8 hours, the date following: "2024-05-02 01:05:00:123".
QString Utc8TimeText(const QDateTime& utc);
// A local time to the millisecond: "20240501 20:30:45.123".
QString FormatRowTime(const QDateTime& local);
// Row k (1..taken) of the `taken` rows of a packet: prev + (now - prev) / taken x k,
// rounded to the millisecond, as FormatRowTime writes it. Without a previous packet
// time the packet's own time is used.
QString InterpolatedRowTime(const QDateTime& prev, const QDateTime& now, int taken, int k);

// Starts a log of the kind: the table emptied, the folder "log" created when missing
// (EInOutError when it cannot be), the stamp of the local time in RowTimeText, the
// file name, the header in entry 0, no rows.
void StartRunLog(IQRunLogTable& t, IQLogKind kind, const QString& programDir, Clock& clock);
// RowTimeText = the UTC + 8 time of now (the AC rows).
void StampSampleTime(IQRunLogTable& t, Clock& clock);
// Appends a row. A full table rolls over first, so no row is ever dropped.
void AppendLogRow(IQRunLogTable& t, const QString& row, Clock& clock);
// Rolls over when the table holds MaxRows rows (before a row is built).
void MakeRoom(IQRunLogTable& t, Clock& clock);
// Writes the header and rows 1..count (stopping at an empty entry) to LogFileName,
// replacing a file of that name; with no rows nothing is written. Raises EInOutError.
void WriteLogFile(const IQRunLogTable& t, int count);
// Writes the current file, starts a new one with a new stamp (the header stays) and
// empties the row count.
void RollOverLog(IQRunLogTable& t, Clock& clock);

// Gives the rows stampedCount + 1 .. LogCount of a DC run the times of the packet
// they came from (`taken` samples, interpolated), prefixing the time and "," (and,
// when numbered, the row number and ","). Returns the new stamped count.
int StampPacketRows(IQRunLogTable& t, int stampedCount, const QDateTime& prev, const QDateTime& now, int taken,
                    bool numbered);

// The texts of the I/Q test's controls that an AC row carries.
struct AcRowTexts {
  QString Rref, Freq;
  std::array<QString, 12> Adc;  // T_ADC1_0, T_ADC1_1, T_ADC1_2, T_ADC2_0 .. T_ADC4_2
  std::array<QString, 6> IQ;    // T_IDATA_0 .. T_IDATA_2, T_QDATA_0 .. T_QDATA_2
};
// An AC row: number, RowTimeText, the texts, the figures and readings of the state (38 fields).
QString AcLogRow(int number, const QString& time, const AcRowTexts& texts, const IQTestState& s);
// Appends the AC row of the last measurement, numbered after the rows of the file.
void AppendAcRow(IQRunLogTable& t, const AcRowTexts& texts, const IQTestState& s, Clock& clock);

// A DC row before its time: the first calibration average's text, the group average,
// the DC gain text and the strip resistance.
QString DcLogRow(const QString& adc1Text, int32_t average, const QString& dcGainText, double strip);

// The texts of the I/Q test's controls that a DC+AC(ADC) row carries.
struct DcAdcRowTexts {
  QString Rref, Freq;
  QString I0, I1, Q0, Q1;  // T_IDATA_0, T_IDATA_1, T_QDATA_0, T_QDATA_1
};
// A DC+AC(ADC) row before its number and time (13 fields).
QString DcAdcLogRow(const DcAdcRowTexts& texts, const IQTestState& s, int32_t sample);
