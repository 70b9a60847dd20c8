// The I/Q test's run logs: file names, row layouts, row times, roll-over, bytes on disk.
#include <gtest/gtest.h>

#include <QDir>
#include <cmath>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "impedance/impedance_math.h"
#include "impedance/run_logs.h"
#include "impedance_fixture.h"

namespace {

// The headers' Chinese words in Big5.
const QByteArray kCount = "\xB5\xA7\xBC\xC6";  // 筆數
const QByteArray kTime = "\xAE\xC9\xB6\xA1";   // 時間
const QByteArray kTheta = "\xA3\x4B";          // Θ

QDateTime Local(int h, int m, int s, int ms) { return QDateTime(QDate(2024, 5, 1), QTime(h, m, s, ms)); }

struct RunLogs : FileFixture {
  IQRunLogTable t;

  QStringList Logs() const { return QDir(dir.filePath("log")).entryList(QDir::Files, QDir::Name); }
};

TEST(RowTimes, TextsOfTheStampsAndRowTimes) {
  const std::pair<QDateTime, const char*> utc8[] = {
      {QDateTime(QDate(2024, 5, 1), QTime(17, 5, 0, 0), Qt::UTC), "2024-05-02 01:05:00:000"},
      {QDateTime(QDate(2024, 12, 31), QTime(20, 30, 45, 123), Qt::UTC), "2025-01-01 04:30:45:123"},
      {QDateTime(QDate(2024, 2, 28), QTime(16, 0, 0, 7), Qt::UTC), "2024-02-29 00:00:00:007"},
      {QDateTime(QDate(2024, 5, 1), QTime(9, 8, 7, 60), Qt::UTC), "2024-05-01 17:08:07:060"},
  };
  for (auto [t, text] : utc8) EXPECT_EQ(Utc8TimeText(t), text);
  EXPECT_EQ(FileStamp(Local(20, 30, 45, 999)), "20240501203045");
  EXPECT_EQ(FileStamp(Local(1, 2, 3, 0)), "20240501010203");
  EXPECT_EQ(FormatRowTime(Local(20, 30, 45, 123)), "20240501 20:30:45.123");
  EXPECT_EQ(FormatRowTime(Local(0, 0, 0, 5)), "20240501 00:00:00.005");
}

TEST(RowTimes, PacketRowsAreInterpolatedToTheNearestMillisecond) {
  const QDateTime prev = Local(9, 59, 59, 999), now = Local(10, 0, 0, 0);
  // 999.333 ms, 999.667 ms (less than half a millisecond before the second), 1000 ms.
  EXPECT_EQ(InterpolatedRowTime(prev, now, 3, 1), "20240501 09:59:59.999");
  EXPECT_EQ(InterpolatedRowTime(prev, now, 3, 2), "20240501 10:00:00.000");
  EXPECT_EQ(InterpolatedRowTime(prev, now, 3, 3), "20240501 10:00:00.000");
  // The date follows across midnight; without a previous packet the packet's own time.
  EXPECT_EQ(InterpolatedRowTime(QDateTime(QDate(2024, 4, 30), QTime(23, 59, 59, 900)), Local(0, 0, 0, 100), 2, 1),
            "20240501 00:00:00.000");
  EXPECT_EQ(InterpolatedRowTime(QDateTime(), now, 3, 1), "20240501 10:00:00.000");
}

TEST_F(RunLogs, AcLogFileIsByteExact) {
  StartRunLog(t, IQLogKind::AC, dir.path(), clock);
  EXPECT_EQ(t.LogFileName, dir.filePath("log/AC20260102030405.CSV"));
  EXPECT_EQ(t.RowTimeText, "20260102030405");
  clock.AdvanceUs(1'234'000);
  StampSampleTime(t, clock);
  const QString time = clock.UtcNow().toUTC().addSecs(8 * 3600).toString("yyyy-MM-dd HH:mm:ss:zzz");
  EXPECT_EQ(t.RowTimeText, time);

  IQTestState s;
  s.Y0 = s.Y1 = s.Y2 = 1000;
  s.Theta1 = 0.3;
  s.Theta2 = 3.14159265358979323846 / 6;
  s.DutTheta = s.Theta2 - s.Theta1;
  s.Z = ComputeImpedance({5100, 1000, s.Y0, s.Theta0, s.Y1, s.Y2, s.Theta2});
  AcRowTexts texts{"5100", "1000", {}, {"1000.00", "1000.00", "866.03", "0.00", "0.00", "500.00"}};
  texts.Adc.fill("000000");
  AppendAcRow(t, texts, s, clock);
  EXPECT_EQ(t.LogCount, 1);
  WriteLogFile(t, t.LogCount);

  const QByteArray header = kCount + "," + kTime +
                            ",Rref(OHM),Frequency(Hz),Rs(OHM),Cs(nF),Rp(OHM),Cp(nF),ADC1_0,ADC1_1,ADC1_2,ADC2_0,"
                            "ADC2_1,ADC2_2,ADC3_0,ADC3_1,ADC3_2,ADC4_0,ADC4_1,ADC4_2,I0,I1,I2,Q0,Q1,Q2,Y0,Y1,Y2,"
                            "Theta0,Theta1,Theta2,Resd(OHM),Gain,DUT" +
                            kTheta + ",Zm,,";
  const QByteArray row = "1," + time.toLatin1() +
                         ",5100,1000,4416.73,62.414,5888.97,15.603,000000,000000,000000,000000,000000,000000,000000,"
                         "000000,000000,000000,000000,000000,1000.00,1000.00,866.03,0.00,0.00,500.00,1000.00,1000.00,"
                         "1000.00,0.000,0.300,0.524,0.00,5100000.00,0.224,5100.00,,";
  EXPECT_EQ(Read(t.LogFileName), header + "\r\n" + row + "\r\n");
  EXPECT_EQ(header.count(',') + 1, 38);
  EXPECT_EQ(row.count(',') + 1, 38);
}

TEST_F(RunLogs, DcRowsTakeTheTimesOfTheirPackets) {
  StartRunLog(t, IQLogKind::DC, dir.path(), clock);
  EXPECT_EQ(t.LogFileName, dir.filePath("log/DC20260102030405.CSV"));
  // A packet of four groups: four rows over the 100 ms since the packet before.
  for (int k = 0; k < 4; ++k) AppendLogRow(t, DcLogRow("1000", 2000 + k, "10200000.00", 5100.0 / 3 * k), clock);
  int stamped = StampPacketRows(t, 0, Local(10, 0, 0, 0), Local(10, 0, 0, 100), 4, false);
  EXPECT_EQ(stamped, 4);
  // The next: eight samples taken, two rows, 200 ms later.
  for (int k = 0; k < 2; ++k) AppendLogRow(t, DcLogRow("1000", -7, "000000", -5100), clock);
  stamped = StampPacketRows(t, stamped, Local(10, 0, 0, 100), Local(10, 0, 0, 300), 8, false);
  EXPECT_EQ(stamped, 6);
  WriteLogFile(t, t.LogCount);

  EXPECT_EQ(Read(t.LogFileName), kTime +
                                     ",ADC1,ADC2,DC GAIN,Strip DC R(ohm)\r\n"
                                     "20240501 10:00:00.025,1000,2000,10200000.00,0.00\r\n"
                                     "20240501 10:00:00.050,1000,2001,10200000.00,1700.00\r\n"
                                     "20240501 10:00:00.075,1000,2002,10200000.00,3400.00\r\n"
                                     "20240501 10:00:00.100,1000,2003,10200000.00,5100.00\r\n"
                                     "20240501 10:00:00.275,1000,-7,000000,-5100.00\r\n"
                                     "20240501 10:00:00.300,1000,-7,000000,-5100.00\r\n");
}

TEST_F(RunLogs, DcAdcRowsTakeTheirNumbersAndTimes) {
  StartRunLog(t, IQLogKind::DC1, dir.path(), clock);
  EXPECT_EQ(t.LogFileName, dir.filePath("log/DC120260102030405.CSV"));
  IQTestState s;
  s.Y0 = 1000;
  s.Y1 = 2000.5;
  s.Theta0 = 0.0004;
  s.Theta1 = -0.1236;
  s.Z.Resd = 5100;
  s.Z.Gain = 10'200'000;
  const DcAdcRowTexts texts{"5100", "1000", "1000.00", "2000.50", "0.50", "-3.00"};
  AppendLogRow(t, DcAdcLogRow(texts, s, -42), clock);
  StampPacketRows(t, 0, Local(10, 0, 0, 0), Local(10, 0, 0, 250), 1, true);
  AppendLogRow(t, DcAdcLogRow(texts, s, 43), clock);
  StampPacketRows(t, 1, Local(10, 0, 0, 250), Local(10, 0, 0, 500), 1, true);
  WriteLogFile(t, t.LogCount);

  const QByteArray header = kCount + "," + kTime +
                            ",Rref(OHM),Frequency(Hz),I0,I1,Q0,Q1,Y0,Y1,Theta0,Theta1,Resd(OHM),Gain,ADC";
  const QByteArray rows =
      "1,20240501 10:00:00.250,5100,1000,1000.00,2000.50,0.50,-3.00,1000.00,2000.50,0.000,-0.124,5100.00,"
      "10200000.00,-42\r\n"
      "2,20240501 10:00:00.500,5100,1000,1000.00,2000.50,0.50,-3.00,1000.00,2000.50,0.000,-0.124,5100.00,"
      "10200000.00,43\r\n";
  EXPECT_EQ(Read(t.LogFileName), header + "\r\n" + rows);
  EXPECT_EQ(header.count(',') + 1, 15);
  EXPECT_EQ(rows.left(rows.indexOf('\r')).count(',') + 1, 15);
}

TEST_F(RunLogs, ContinuousRunRollsOverEveryThousandRows) {
  StartRunLog(t, IQLogKind::AC, dir.path(), clock);
  IQTestState s;
  AcRowTexts texts;
  std::vector<QString> names{t.LogFileName};
  for (int row = 1; row <= 2500; ++row) {
    clock.AdvanceUs(500'000);
    StampSampleTime(t, clock);
    AppendAcRow(t, texts, s, clock);
    if (t.LogCount >= LogRollOverRows) {
      RollOverLog(t, clock);
      names.push_back(t.LogFileName);
    }
  }
  WriteLogFile(t, t.LogCount);

  // Stamps of the moments each file was started: 500 s apart.
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[1], dir.filePath("log/AC20260102031225.CSV"));
  EXPECT_EQ(names[2], dir.filePath("log/AC20260102032045.CSV"));
  EXPECT_EQ(Logs().size(), 3);
  const int rows[] = {1000, 1000, 500};
  for (int f = 0; f < 3; ++f) {
    const QStringList lines = ReadTextLines(names[f]);
    ASSERT_EQ(lines.size(), rows[f] + 1) << f;
    EXPECT_EQ(lines[0], IQLogHeader(IQLogKind::AC));
    EXPECT_TRUE(lines[1].startsWith("1,"));
    EXPECT_TRUE(lines.last().startsWith(QString::number(rows[f]) + ","));
  }
}

TEST_F(RunLogs, FullTableRollsOverInsteadOfDroppingRows) {
  StartRunLog(t, IQLogKind::AC, dir.path(), clock);
  const QString first = t.LogFileName;
  IQTestState s;
  AcRowTexts texts;
  for (int row = 1; row <= IQRunLogTable::MaxRows + 1; ++row) {
    if (row == IQRunLogTable::MaxRows + 1) clock.AdvanceUs(2'000'000);
    t.RowTimeText = "time" + QString::number(row);
    AppendAcRow(t, texts, s, clock);
  }
  EXPECT_EQ(t.LogCount, 1);
  EXPECT_NE(t.LogFileName, first);
  WriteLogFile(t, t.LogCount);
  EXPECT_EQ(ReadTextLines(first).size(), IQRunLogTable::MaxRows + 1);
  const QStringList second = ReadTextLines(t.LogFileName);
  ASSERT_EQ(second.size(), 2);
  EXPECT_TRUE(second[1].startsWith("1,time1201,"));  // the sample's own time, not the stamp
}

TEST_F(RunLogs, LogsStartedWithinOneSecondKeepEveryRow) {
  IQTestState s;
  AcRowTexts texts;
  StartRunLog(t, IQLogKind::DC, dir.path(), clock);
  t.LogLines[1] = "1,first";
  t.LogCount = 1;
  RollOverLog(t, clock);  // no time passes: the new file gets a name of its own
  const QString second = t.LogFileName;
  EXPECT_EQ(second, dir.filePath("log/DC20260102030405_2.CSV"));
  t.LogLines[1] = "1,second";
  WriteLogFile(t, 1);
  EXPECT_EQ(ReadTextLines(dir.filePath("log/DC20260102030405.CSV"))[1], "1,first");
  EXPECT_EQ(ReadTextLines(second)[1], "1,second");
  // A new run in that same second does not replace them either.
  StartRunLog(t, IQLogKind::DC, dir.path(), clock);
  EXPECT_EQ(t.LogFileName, dir.filePath("log/DC20260102030405_3.CSV"));
}

TEST_F(RunLogs, NoRowsNoFileButTheFolderStands) {
  StartRunLog(t, IQLogKind::AC, dir.path() + "/", clock);
  EXPECT_EQ(t.LogFileName, dir.filePath("log/AC20260102030405.CSV"));
  WriteLogFile(t, 0);
  EXPECT_TRUE(QDir(dir.filePath("log")).exists());
  EXPECT_TRUE(Logs().isEmpty());
  // A count with an empty first row writes nothing either.
  WriteLogFile(t, 5);
  EXPECT_TRUE(Logs().isEmpty());
}

TEST_F(RunLogs, FolderThatCannotBeCreatedRaisesAtTheStart) {
  const QString missing = dir.filePath("gone");
  try {
    StartRunLog(t, IQLogKind::DC, missing, clock);
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Text(), "Cannot create " + missing + "/log");
  }
}

}  // namespace
