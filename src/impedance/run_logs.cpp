#include "impedance/run_logs.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cmath>

#include "common/figure_text.h"
#include "common/errors.h"
#include "common/text_encoding.h"
#include "platform/clock.h"

namespace {

// Milliseconds of a date and time taken as they read, whatever their time zone.
qint64 NaiveMs(const QDateTime& t) { return QDateTime(t.date(), t.time(), Qt::UTC).toMSecsSinceEpoch(); }

QString Theta3(double v) { return FormatFixed(v, 3); }

}  // namespace

QString InProgramFolder(const QString& programDir, const QString& name) {
  return programDir.isEmpty() || programDir.endsWith('/') ? programDir + name : programDir + '/' + name;
}

QString IQLogPrefix(IQLogKind kind) {
  switch (kind) {
    case IQLogKind::AC: return QStringLiteral("log/AC");
    case IQLogKind::DC: return QStringLiteral("log/DC");
    case IQLogKind::DC1: break;
  }
  return QStringLiteral("log/DC1");
}

QString IQLogHeader(IQLogKind kind) {
  switch (kind) {
    case IQLogKind::AC:
      return QString::fromUtf8(
          "筆數,時間,Rref(OHM),Frequency(Hz),Rs(OHM),Cs(nF),Rp(OHM),Cp(nF),ADC1_0,ADC1_1,ADC1_2,ADC2_0,ADC2_1,"
          "ADC2_2,ADC3_0,ADC3_1,ADC3_2,ADC4_0,ADC4_1,ADC4_2,I0,I1,I2,Q0,Q1,Q2,Y0,Y1,Y2,Theta0,Theta1,Theta2,"
          "Resd(OHM),Gain,DUTΘ,Zm,,");
    case IQLogKind::DC: return QString::fromUtf8("時間,ADC1,ADC2,DC GAIN,Strip DC R(ohm)");
    case IQLogKind::DC1: break;
  }
  return QString::fromUtf8("筆數,時間,Rref(OHM),Frequency(Hz),I0,I1,Q0,Q1,Y0,Y1,Theta0,Theta1,Resd(OHM),Gain,ADC");
}

QString FileStamp(const QDateTime& local) {
  const QDate d = local.date();
  const QTime t = local.time();
  return QString::asprintf("%04d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                           t.second());
}

QString Utc8TimeText(const QDateTime& utc) {
  const QDateTime t = utc.toUTC().addSecs(8 * 3600);
  const QDate d = t.date();
  const QTime h = t.time();
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d:%03d", d.year(), d.month(), d.day(), h.hour(), h.minute(),
                           h.second(), h.msec());
}

QString FormatRowTime(const QDateTime& local) {
  const QDate d = local.date();
  const QTime t = local.time();
  return QString::asprintf("%04d%02d%02d %02d:%02d:%02d.%03d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                           t.second(), t.msec());
}

QString InterpolatedRowTime(const QDateTime& prev, const QDateTime& now, int taken, int k) {
  const double p = static_cast<double>(NaiveMs(prev.isValid() ? prev : now));
  const double n = static_cast<double>(NaiveMs(now));
  const double ms = taken > 0 ? p + (n - p) / taken * k : n;
  return FormatRowTime(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::nearbyint(ms)), Qt::UTC));
}

QString UnusedLogName(const QString& stem) {
  QString name = stem + QStringLiteral(".CSV");
  for (int n = 2; QFileInfo::exists(name) && n < 10000; ++n) name = stem + QStringLiteral("_%1.CSV").arg(n);
  return name;
}

void StartRunLog(IQRunLogTable& t, IQLogKind kind, const QString& programDir, Clock& clock) {
  for (QString& line : t.LogLines) line.clear();
  t.Kind = kind;
  t.ProgramDir = InProgramFolder(programDir, {});
  const QString folder = t.ProgramDir + QStringLiteral("log");
  if (!QDir(folder).exists() && !QDir().mkdir(folder)) throw EInOutError("Cannot create " + folder);
  t.RowTimeText = FileStamp(clock.LocalNow());
  t.LogFileName = UnusedLogName(t.ProgramDir + IQLogPrefix(kind) + t.RowTimeText);
  t.LogLines[0] = IQLogHeader(kind);
  t.LogCount = 0;
}

void StampSampleTime(IQRunLogTable& t, Clock& clock) { t.RowTimeText = Utc8TimeText(clock.UtcNow()); }

void MakeRoom(IQRunLogTable& t, Clock& clock) {
  if (t.LogCount >= IQRunLogTable::MaxRows) RollOverLog(t, clock);
}

void AppendLogRow(IQRunLogTable& t, const QString& row, Clock& clock) {
  MakeRoom(t, clock);
  t.LogCount += 1;
  t.LogLines[t.LogCount] = row;
}

void WriteLogFile(const IQRunLogTable& t, int count) {
  if (count <= 0 || t.LogLines[1].isEmpty()) return;
  QStringList lines;
  for (int i = 0; i <= std::min(count, IQRunLogTable::MaxRows) && !t.LogLines[i].isEmpty(); ++i)
    lines << t.LogLines[i];
  WriteTextLines(t.LogFileName, lines);
}

void RollOverLog(IQRunLogTable& t, Clock& clock) {
  WriteLogFile(t, t.LogCount);
  t.RowTimeText = FileStamp(clock.LocalNow());
  t.LogFileName = UnusedLogName(t.ProgramDir + IQLogPrefix(t.Kind) + t.RowTimeText);
  t.LogCount = 0;
}

int StampPacketRows(IQRunLogTable& t, int stampedCount, const QDateTime& prev, const QDateTime& now, int taken,
                    bool numbered) {
  if (taken <= 0) return stampedCount;
  const int last = std::min(t.LogCount, IQRunLogTable::MaxRows);
  for (int i = std::max(stampedCount, 0) + 1; i <= last; ++i) {
    QString prefix = InterpolatedRowTime(prev, now, taken, i - t.LogCount + taken) + ',';
    if (numbered) prefix = QString::number(i) + ',' + prefix;
    t.LogLines[i] = prefix + t.LogLines[i];
  }
  return t.LogCount;
}

QString AcLogRow(int number, const QString& time, const AcRowTexts& texts, const IQTestState& s) {
  const ImpedanceFigures& z = s.Z;
  QStringList f;
  f << QString::number(number) << time << texts.Rref << texts.Freq;
  f << FormatF(z.Rs) << Theta3(z.Cs) << FormatF(z.Rp) << Theta3(z.Cp);
  for (const QString& a : texts.Adc) f << a;
  for (const QString& v : texts.IQ) f << v;
  f << FormatF(s.Y0) << FormatF(s.Y1) << FormatF(s.Y2);
  f << Theta3(s.Theta0) << Theta3(s.Theta1) << Theta3(s.Theta2);
  f << FormatF(z.Resd) << FormatF(z.Gain) << Theta3(s.DutTheta) << FormatF(z.Zm) << QString() << QString();
  return f.join(',');
}

void AppendAcRow(IQRunLogTable& t, const AcRowTexts& texts, const IQTestState& s, Clock& clock) {
  // The sample's time, before a roll-over puts the new file's stamp there.
  const QString time = t.RowTimeText;
  MakeRoom(t, clock);
  AppendLogRow(t, AcLogRow(t.LogCount + 1, time, texts, s), clock);
}

QString DcLogRow(const QString& adc1Text, int32_t average, const QString& dcGainText, double strip) {
  return QStringList{adc1Text, QString::number(average), dcGainText, FormatF(strip)}.join(',');
}

QString DcAdcLogRow(const DcAdcRowTexts& texts, const IQTestState& s, int32_t sample) {
  return QStringList{texts.Rref,
                     texts.Freq,
                     texts.I0,
                     texts.I1,
                     texts.Q0,
                     texts.Q1,
                     FormatF(s.Y0),
                     FormatF(s.Y1),
                     Theta3(s.Theta0),
                     Theta3(s.Theta1),
                     FormatF(s.Z.Resd),
                     FormatF(s.Z.Gain),
                     QString::number(sample)}
      .join(',');
}
