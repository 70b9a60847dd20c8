#pragma once
// The body-fat test's settings file "bodyFatFormSet.txt" (89 lines, one value a line,
// CR LF) and the run settings it carries: the limit of a channel (a time or a sample
// count), the sample interval and the number of channels. No widget here.

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

#include "common/settings_reader.h"

inline constexpr char BodyFatSettingsFile[] = "bodyFatFormSet.txt";

// Rows of the register table: 0 the "Calculate" row, 1..12 the channels.
constexpr int BodyFatTableRows = 13;
constexpr int BodyFatColumns = 6;
constexpr int BodyFatMaxChannels = 12;

// The register table's texts: the six address edits and the value edits of row J = 0
// ("Calculate") .. 12, column K = 0..5.
struct BodyFatTable {
  std::array<QString, BodyFatColumns> Addr;
  std::array<std::array<QString, BodyFatColumns>, BodyFatTableRows> Values;  // [row J][column K]
};

struct BodyFatSettings {
  int Mode = 1;  // 0 = "Measuring Time", 1 = "Measuring Amount"; other values select neither
  int TimeIndex = 0;
  int AmountIndex = 0;
  int ScanIndex = 1;
  int ChannelsIndex = 0;
  BodyFatTable Table;
};

// Reads the file into `s`, each field from its own line: lines 1..5 as numbers, lines
// 6..89 as texts (an empty text gives "00"). A number line that is empty, blank or
// not an integer, and every field past the end of the file, leave their field as it
// was and the reading goes on; what was met is returned. A file that cannot be
// opened raises EInOutError with `s` untouched.
SettingsFileFaults ReadBodyFatSettings(const QString& path, BodyFatSettings& s);
// The 89 lines of the file.
QStringList BodyFatSettingsLines(const BodyFatSettings& s);

// The sample interval in ms of a "Scan Time=" index: 100, 250, 500, 1000 or 2000;
// `current` for an index outside the list.
int ScanIntervalOf(int index, int current);

// What ends a channel and how many channels a run measures. A selector without a
// selection (index -1) counts as its first item.
struct BodyFatLimits {
  bool ByTime = false;  // "Measuring Time": Seconds; else "Measuring Amount": Amount samples
  int Seconds = 1;
  int Amount = 100;
  int Channels = 1;
};
BodyFatLimits BodyFatLimitsFrom(bool timeSelected, int timeIndex, int amountIndex, int channelsIndex);
