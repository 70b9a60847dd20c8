#include "impedance/bodyfat_files.h"

#include <QStringList>
#include <algorithm>

#include "common/figure_text.h"
#include "common/text_encoding.h"
#include "impedance/impedance_math.h"
#include "impedance/run_logs.h"
#include "platform/clock.h"

QString BodyFatLogHeader() {
  return QString::fromUtf8(
      "筆數,時間,Rref(OHM),Frequency(Hz),ADC1_0,ADC2_0,ADC3_0,ADC4_0,I0,Q0,Y0,Theta0,ADC1_1,ADC2_1,ADC3_1,ADC4_1,"
      "I1,Q1,Y1,Theta1,Gain,DUTΘ,IMP");
}

QString BodyFatLogName(const QString& programDir, int channel, const QDateTime& local) {
  return UnusedLogName(InProgramFolder(programDir, "ACReg" + QString::number(channel) + '-' + FileStamp(local)));
}

QString ReadoutColumns(const std::array<QString, 8>& texts) {
  return QStringList(texts.begin(), texts.end()).join(',');
}

QString BodyFatLogRow(int number, const QString& time, const QString& rrefText, const QString& freqText,
                      const QString& calibrationColumns, const QString& sampleColumns, const QString& gainText,
                      double dutPhase, double impedance) {
  return QStringList{QString::number(number), time,      rrefText,
                     freqText,                calibrationColumns, sampleColumns,
                     gainText,                FormatGeneral(dutPhase), FormatGeneral(impedance)}
      .join(',');
}

void WriteRunCsv(const BodyFatState& s, int count, const QString& fileName, const QString& averagesLine) {
  if (s.LogLines[1].isEmpty()) return;
  QStringList lines;
  const int last = std::min(count, BodyFatState::LogLineCount - 1);
  for (int i = 0; i <= last && !s.LogLines[i].isEmpty(); ++i) lines << s.LogLines[i];
  if (!averagesLine.isEmpty()) lines << averagesLine;
  WriteTextLines(fileName, lines);
}

BodyFatAverages ChannelAverages(const double sums[4], int count) {
  return {CheckedDiv(sums[0], count), CheckedDiv(sums[1], count), CheckedDiv(sums[2], count),
          CheckedDiv(sums[3], count)};
}

QString AveragesLine(const BodyFatAverages& a) {
  return "Average,,,,,,,," + FormatF(a.I0) + ',' + FormatF(a.Q0) + ",,,,,,," + FormatF(a.I1) + ',' + FormatF(a.Q1);
}

void StoreChannelAverages(BodyFatState& s, const BodyFatAverages& a) {
  if (s.AverageCount < 0 || s.AverageCount >= BodyFatState::MaxAverages) return;
  const int k = s.AverageCount++;
  s.CalI[k] = FormatF(a.I0);
  s.CalQ[k] = FormatF(a.Q0);
  s.TestI[k] = FormatF(a.I1);
  s.TestQ[k] = FormatF(a.Q1);
}

QString WriteAverageFile(const BodyFatState& s, const QString& programDir, Clock& clock) {
  const QString name = UnusedLogName(InProgramFolder(programDir, "MxAverage" + FileStamp(clock.LocalNow())));
  QStringList lines{QStringLiteral("Item,Cal_I,Cal_Q,Test_I,Test_Q")};
  const int count = std::clamp(s.AverageCount, 0, BodyFatState::MaxAverages);
  for (int k = 0; k < count; ++k)
    lines << QString::number(k + 1) + ',' + s.CalI[k] + ',' + s.CalQ[k] + ',' + s.TestI[k] + ',' + s.TestQ[k];
  WriteTextLines(name, lines);
  return name;
}
