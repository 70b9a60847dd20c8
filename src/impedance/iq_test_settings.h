#pragma once
// The I/Q test's settings file "MxIQFormSet.txt" and the rules of its inputs: the
// scan-interval table, the characters the edits take, the range checks made on
// leaving an edit and the run limits the choices give. No widgets.

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

#include "common/settings_reader.h"

inline const QString IQFormSettingsFile = QStringLiteral("MxIQFormSet.txt");

// The 21 lines of the file, in order. Numbers are codes and selection indexes as the
// window writes them; reading keeps whatever number a line holds (applying it
// decides what a code outside its range does).
struct IQFormSettings {
  int Mode = 0;        // 0 AC, 1 DC, 2 AC+DC, 3 DC+AC, 4 DC+AC(ADC)
  int AcLimit = 1;     // 0 measuring time, 1 measuring amount, 2 continuous read
  int AcTime = 0;      // selection indexes of the lists
  int AcAmount = 0;
  int ScanTime = 2;
  int DcLimit = 1;
  int DcTime = 0;
  int DcAmount = 0;
  int AverageCycle = 0;
  QString BiasTime = QStringLiteral("0.1");
  QString ReactionTime = QStringLiteral("1");
  int ThresholdOn = 1;  // 1 checked, 0 not
  QString Threshold = QStringLiteral("0");
  // DABIT and DABIT2 codes of the bias, reaction and measuring steps; the last two
  // steps can be switched off.
  QString Dabit[3][2] = {{"0800", "0800"}, {"0800", "0800"}, {"0800", "0800"}};
  int Dabit1On = 1;
  int Dabit2On = 1;

  bool operator==(const IQFormSettings&) const = default;
};

QStringList IQFormSettingsLines(const IQFormSettings& s);
// Writes the file whole (CR LF); raises EInOutError.
void WriteIQFormSettings(const QString& path, const IQFormSettings& s);
// Reads into `s`, each field from its own line: a number is the integer at the start
// of its line (the rest of the line is skipped), a text is the whole line. A number
// line that is empty, blank or not an integer, and every field past the end of the
// file, leave their field in `s` as it was and the reading goes on; the reader notes
// them (the second form returns what was met). A file that cannot be opened raises
// EInOutError with `s` untouched.
void ReadIQFormSettings(PanelSettingsReader& reader, IQFormSettings& s);
SettingsFileFaults ReadIQFormSettings(const QString& path, IQFormSettings& s);

// Row interval of the scan-time list's selection ("0 ms" .. "2 s"); any other index
// leaves `current`.
int ScanIntervalMs(int index, int current);

// Keys the edits keep (a typed character; backspace is '\b'): the DABIT edits take
// hexadecimal digits, the time and threshold edits decimal digits and one ".".
bool HexKeyAccepted(QChar key);
bool DecimalKeyAccepted(QChar key, const QString& text);

// The range checks on leaving the bias-time and reaction-time edits.
struct InputRange {
  double Low, High;
  QString Message;
};
const InputRange& BiasTimeRange();
const InputRange& ReactionTimeRange();
// Nothing when the value lies in the range, else the text the edit gets instead.
std::optional<QString> OutOfRangeText(const InputRange& range, double value);

// How long a run goes: for a time, Value seconds; for an amount, Value rows.
enum class RunLimitKind { Time, Amount, Continuous };
struct RunLimit {
  RunLimitKind Kind = RunLimitKind::Continuous;
  int Value = 0;
  bool Is(RunLimitKind k) const { return Kind == k; }
};
// The AC lists: amount (index + 1) x 100 rows, time index + 1 seconds; an amount
// choice counts before a time choice.
RunLimit AcRunLimit(bool amount, int amountIndex, bool time, int timeIndex);
// The DC lists: the first amount item is 1 row, the others index x 100.
RunLimit DcRunLimit(bool amount, int amountIndex, bool time, int timeIndex);
