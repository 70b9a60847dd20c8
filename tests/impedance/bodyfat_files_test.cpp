// The body-fat test's channel logs and averages file.
#include <gtest/gtest.h>

#include <QFile>

#include "common/figure_text.h"
#include "impedance/bodyfat_files.h"
#include "impedance/impedance_math.h"
#include "impedance_fixture.h"
#include "platform/clock.h"

namespace {

struct BodyFatFiles : FileFixture {
  BodyFatState s;
};

const std::array<QString, 8> kCalibration = {"000000", "000000", "000000", "000000",
                                             "3.00",   "4.00",   "5.00",   "0.927295"};

TEST_F(BodyFatFiles, ChannelLogWithItsAveragesLineIsByteExact) {
  const QString name = BodyFatLogName(dir.path(), 12, clock.LocalNow());
  EXPECT_EQ(name, dir.filePath("ACReg12-20260102030405.CSV"));

  const BodyFatCalibration cal = BodyFatCalibrationFrom({3, 4, 5, 0}, 1000);
  s.LogLines[0] = BodyFatLogHeader();
  const IQResult samples[] = {{-3, 4, 5, 0}, {6, 8, 10, 0}};
  for (int k = 0; k < 2; ++k) {
    const BodyFatSample m = BodyFatSampleFrom(samples[k], cal);
    const std::array<QString, 8> sample = {"000000", "000000", "000000", "000000",
                                           FormatF(samples[k].I), FormatF(samples[k].Q), FormatF(samples[k].Y),
                                           FormatFixed(m.Theta, 6)};
    s.LogLines[k + 1] = BodyFatLogRow(k + 1, "2026-01-02 11:04:05:000", "1000", "1000",
                                      ReadoutColumns(kCalibration), ReadoutColumns(sample), FormatF(cal.Gain),
                                      m.DutPhase, m.Impedance);
  }
  const double sums[4] = {6, 8, 3, 12};
  const BodyFatAverages avg = ChannelAverages(sums, 2);
  WriteRunCsv(s, 2, name, AveragesLine(avg));

  const QByteArray header =
      "\xB5\xA7\xBC\xC6,\xAE\xC9\xB6\xA1,Rref(OHM),Frequency(Hz),ADC1_0,ADC2_0,ADC3_0,ADC4_0,I0,Q0,Y0,Theta0,ADC1_1,"
      "ADC2_1,ADC3_1,ADC4_1,I1,Q1,Y1,Theta1,Gain,DUT\xA3\x4B,IMP";
  const QByteArray averages = "Average,,,,,,,,3.00,4.00,,,,,,,1.50,6.00";
  EXPECT_EQ(Read(name), header + "\r\n" +
                            "1,2026-01-02 11:04:05:000,1000,1000,000000,000000,000000,000000,3.00,4.00,5.00,0.927295,"
                            "000000,000000,000000,000000,-3.00,4.00,5.00,-0.927295,200.00,-1.85459043600322,1000\r\n"
                            "2,2026-01-02 11:04:05:000,1000,1000,000000,000000,000000,000000,3.00,4.00,5.00,0.927295,"
                            "000000,000000,000000,000000,6.00,8.00,10.00,0.927295,200.00,0,2000\r\n" +
                            averages + "\r\n");
  // The averages stand under the header's I0, Q0, I1 and Q1.
  const QList<QByteArray> h = header.split(','), a = averages.split(',');
  ASSERT_EQ(a.size(), 18);
  EXPECT_EQ(h[8] + h[9] + h[16] + h[17], "I0Q0I1Q1");
  EXPECT_EQ(a[8] + a[9] + a[16] + a[17], "3.004.001.506.00");

  // The same channel started again within that second gets a name of its own.
  EXPECT_EQ(BodyFatLogName(dir.path(), 12, clock.LocalNow()), dir.filePath("ACReg12-20260102030405_2.CSV"));
  EXPECT_EQ(BodyFatLogName(dir.path(), 1, clock.LocalNow()), dir.filePath("ACReg1-20260102030405.CSV"));
}

TEST_F(BodyFatFiles, NoFirstRowNoFileAndNoSamplesNoAverage) {
  s.LogLines[0] = BodyFatLogHeader();
  const QString name = dir.filePath("ACReg1-x.CSV");
  WriteRunCsv(s, 3, name, "Average");
  EXPECT_FALSE(QFile::exists(name));
  const double sums[4] = {};
  ExpectMathError([&] { ChannelAverages(sums, 0); }, kFloatInvalid);
}

TEST_F(BodyFatFiles, AveragesFileListsEveryChannelMeasured) {
  StoreChannelAverages(s, {1.5, -2.25, 100, 0.004});
  StoreChannelAverages(s, {0, 0, -1, 1});
  EXPECT_EQ(s.AverageCount, 2);
  clock.AdvanceUs(61'000'000);
  const QString name = WriteAverageFile(s, dir.path(), clock);
  EXPECT_EQ(name, dir.filePath("MxAverage20260102030506.CSV"));
  EXPECT_EQ(Read(name),
            "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n"
            "1,1.50,-2.25,100.00,0.00\r\n"
            "2,0.00,0.00,-1.00,1.00\r\n");
  // A second file within the same second keeps the first.
  s.AverageCount = 1;
  EXPECT_EQ(WriteAverageFile(s, dir.path(), clock), dir.filePath("MxAverage20260102030506_2.CSV"));
  EXPECT_EQ(Read(dir.filePath("MxAverage20260102030506_2.CSV")),
            "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n"
            "1,1.50,-2.25,100.00,0.00\r\n");
  EXPECT_EQ(Read(name).count('\n'), 3);
}

}  // namespace
