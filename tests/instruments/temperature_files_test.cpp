// Texts and writers of the temperature test's result files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "instruments/meter_reading.h"
#include "instruments/temperature_files.h"

namespace {

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(TemperatureFiles, MeterReadingPattern) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {2.5, "2.5"},         {0.5, ".5"},         {0, ""},          {12, "12"},
      {-0.5, "-.5"},        {-3.25, "-3.25"},    {1.234567891234, "1.23456789"},
      {0.000000004, ""},    {100000.125, "100000.125"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMeterReading(c.value), c.text) << c.value;
}

TEST(TemperatureFiles, RowAndTitleTexts) {
  const double f[FigureCount] = {1000, 572.2, 0, 24, 1, 0, 23};
  EXPECT_EQ(FigureRow(2, f, 0), "2, 1000.00, 572.20, 0.00, 24.00, 1.00, 0.00, 23.00,0");
  EXPECT_EQ(FigureRow(7, f, 300).right(9), "23.00,300");
  EXPECT_EQ(MeterTitleLine(), ", , , Test #0, , , Test #1, , , Test #2, , , Test #3, , , Test #4, , , Test #5, , ");
  EXPECT_EQ(BTitleLines(), (QStringList{"Test #0, , , ",
                                        QString::fromUtf8(" ,平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), "
                                                          "RMS Noise(count), Noise Free, 比較值")}));
}

// Two steps, three modes, only channel 0 of the meters read.
struct Inputs {
  ResultMatrices figures;
  double temp[ResultStepSlots] = {};
  double hum[ResultStepSlots] = {};
  MeterMatrix meters[6];
  ResultFileInputs in;
  Inputs() {
    temp[1] = -40;
    hum[1] = 10;
    temp[2] = -30;
    hum[2] = 20;
    for (int s = 1; s <= 2; ++s)
      for (int m = 1; m <= 3; ++m) {
        const double f[FigureCount] = {10.0 * s + m, 1, 2, 3, 4, 5, 6};
        figures.SetFigures(s, m, f);
      }
    meters[0].SetReading(1, 2, 2.5);
    meters[0].SetUnitText(1, 2, "DC V");
    in.TempCount = 2;
    in.ModeCount = 3;
    in.Figures = &figures;
    in.StepTemp = temp;
    in.StepHumb = hum;
    in.GridTemp = temp;
    in.GridHumb = hum;
    for (int ch = 0; ch < 6; ++ch) in.Meters[ch] = &meters[ch];
    in.TempTitle = QString::fromUtf8("溫度");
    in.HumTitle = QString::fromUtf8("濕度");
  }
};

TEST(TemperatureFiles, SummaryHasTwoTitlesThenStepsAndModesInOrder) {
  Inputs d;
  const QStringList lines = SummaryLines(d.in);
  ASSERT_EQ(lines.size(), 2 + 6);
  EXPECT_EQ(lines[0], ", , , Test #0, , , ");
  EXPECT_EQ(lines[1], QString::fromUtf8("溫度, 濕度,  ,平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), "
                                        "RMS Noise(count), Noise Free, 比較值"));
  EXPECT_EQ(lines[3], "-40.00, 10.00, 2, 12.00, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00,0");
  const char* order[] = {"-40.00, 10.00, 1,", "-40.00, 10.00, 2,", "-40.00, 10.00, 3,",
                         "-30.00, 20.00, 1,", "-30.00, 20.00, 2,", "-30.00, 20.00, 3,"};
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(lines[2 + i].startsWith(order[i])) << lines[2 + i].toStdString();

  const QStringList b = BSnapshotLines(d.in);
  ASSERT_EQ(b.size(), 8);
  EXPECT_EQ(b[7], "3, 23.00, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00,0");
}

// A run that measured only mode 2 of step 1 after an earlier run had filled every cell.
TEST(TemperatureFiles, SummaryHoldsOnlyWhatTheRunMeasured) {
  Inputs d;
  d.figures.BeginRun();
  const double f[FigureCount] = {99, 1, 2, 3, 4, 5, 6};
  d.figures.SetFigures(1, 2, f);
  // The step grid's temperatures and humidities stand in the summary; step 2 was never
  // recorded.
  const double gridTemp[ResultStepSlots] = {0, -40, -30};
  const double gridHum[ResultStepSlots] = {0, 10, NoReading};  // a grid cell that is no number
  d.in.GridTemp = gridTemp;
  d.in.GridHumb = gridHum;
  d.temp[2] = d.hum[2] = 0;
  EXPECT_EQ(SummaryLines(d.in).mid(2), (QStringList{"-40.00, 10.00, 1, , , , , , , ,0",
                                                    "-40.00, 10.00, 2, 99.00, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00,0",
                                                    "-40.00, 10.00, 3, , , , , , , ,0",
                                                    "-30.00, , 1, , , , , , , ,0",
                                                    "-30.00, , 2, , , , , , , ,0",
                                                    "-30.00, , 3, , , , , , , ,0"}));
  // The snapshot keeps every cell, whichever run wrote it.
  const QStringList b = BSnapshotLines(d.in);
  EXPECT_EQ(b[2], "1, 11.00, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00,0");
  EXPECT_EQ(b[3], "2, 99.00, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00,0");
  EXPECT_EQ(b[7], "3, 23.00, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00,0");
  // The next run starts with none of it.
  d.figures.BeginRun();
  EXPECT_EQ(SummaryLines(d.in)[3], "-40.00, 10.00, 2, , , , , , , ,0");
}

TEST(TemperatureFiles, MeterRowsCarryEverySixChannels) {
  Inputs d;
  EXPECT_EQ(MeterRow(d.in, 1, 2), "-40.00, 10.00, , 2, 2.5, DC V, 2, , , 2, , , 2, , , 2, , , 2, , ");
  const QStringList lines = MeterSnapshotLines(d.in);
  ASSERT_EQ(lines.size(), 1 + 6);
  EXPECT_EQ(lines[0], MeterTitleLine());
  EXPECT_EQ(lines[6], "-30.00, 20.00, , 3, , , 3, , , 3, , , 3, , , 3, , , 3, , ");
}

TEST(TemperatureFiles, RawCaptureSixteenValuesALine) {
  const double results[FigureCount] = {1.5, 2, 3, 4, 5, 6, 7};
  for (int n : {256, 261}) {
    const QStringList lines = RawCaptureLines(n, [](int i) { return i - 3; }, results, 0);
    const int valueLines = (n + 15) / 16;
    ASSERT_EQ(lines.size(), valueLines + 2) << n;
    EXPECT_EQ(lines[0], "-3, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, ");
    EXPECT_EQ(lines[valueLines - 1].count(", "), n % 16 ? n % 16 : 16);
    EXPECT_EQ(lines[valueLines], QString::fromUtf8("平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), "
                                                   "RMS Noise(count), Noise Free, 比較值"));
    EXPECT_EQ(lines[valueLines + 1], "1.50,2.00,3.00,4.00,5.00,6.00,7.00,0");
  }
}

TEST(TemperatureFiles, MatricesAreBoundedAndHoldNoFigureUntilWritten) {
  ResultMatrices r;
  EXPECT_FALSE(IsReading(r.Figure(0, 30, 20001)));
  const double f[FigureCount] = {1, 2, 3, 4, 5, 6, 7};
  r.SetFigures(31, 1, f);      // beyond the steps: refused
  r.SetFigures(1, 20002, f);   // beyond the modes: refused
  EXPECT_EQ(r.HeldModes(), 0);
  // Room for the modes written so far, the figures in place whatever is added later.
  const double g[FigureCount] = {-1, -2, -3, -4, -5, -6, -7};
  r.SetFigures(2, 3, g);
  EXPECT_EQ(r.HeldModes(), 4);
  r.SetFigures(30, 1, f);
  EXPECT_EQ(r.HeldModes(), 4);
  r.SetFigures(30, 20001, f);
  EXPECT_EQ(r.HeldModes(), 20002);
  for (int k = 0; k < FigureCount; ++k) {
    EXPECT_EQ(r.Figure(k, 2, 3), -(k + 1));
    EXPECT_EQ(r.Figure(k, 30, 1), k + 1);
    EXPECT_FALSE(IsReading(r.Figure(k, 3, 2)));  // never written: no figure, not 0
    EXPECT_FALSE(IsReading(r.Figure(k, 2, 4)));
  }
  EXPECT_EQ(r.Figure(6, 30, 20001), 7);
  EXPECT_FALSE(IsReading(r.Figure(0, 31, 1)));
  EXPECT_FALSE(IsReading(r.Figure(7, 30, 20001)));
  EXPECT_FALSE(IsReading(r.Figure(0, -1, 0)));
}

class ResultStreams : public ::testing::Test {
protected:
  QString Path(const char* name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(ResultStreams, BigFiveLinesWithCrLfReplacingAnOldFile) {
  QFile old(Path("a.csv"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("an older and longer content\r\n");
  old.close();
  WriteResultFile(Path("a.csv"), {}, {QString::fromUtf8("溫度, ℃"), "x"});
  EXPECT_EQ(Read(Path("a.csv")), EncodeBig5(QString::fromUtf8("溫度, ℃")) + "\r\nx\r\n");
}

TEST_F(ResultStreams, FileHeldOpenTakesTheFallbackAndStaysWhole) {
  ResultStream held;
  EXPECT_EQ(held.Create(Path("B.CSV")), Path("B.CSV"));
  held.WriteLine("row so far");

  // A second create of the same name, here or in another program that locks, fails.
  EXPECT_EQ(WriteResultFile(Path("B.CSV"), Path("OVER.CSV"), {"snapshot"}), Path("OVER.CSV"));
  EXPECT_EQ(Read(Path("OVER.CSV")), "snapshot\r\n");
  EXPECT_EQ(Read(Path("B.CSV")), "row so far\r\n");  // not truncated by the failed create

  // Both held: the file error; without a fallback as well.
  ResultStream over;
  over.Create(Path("OVER.CSV"));
  EXPECT_THROW(WriteResultFile(Path("B.CSV"), Path("OVER.CSV"), {"x"}), EInOutError);
  EXPECT_THROW(WriteResultFile(Path("B.CSV"), {}, {"x"}), EInOutError);

  // Closed, the name is free again.
  held.Close();
  held.Close();  // closing a closed stream does nothing
  EXPECT_EQ(WriteResultFile(Path("B.CSV"), Path("OVER.CSV"), {"new"}), Path("B.CSV"));
  EXPECT_EQ(Read(Path("B.CSV")), "new\r\n");
}

// A folder stands for any file that cannot be written (read-only, a permission the
// tests may have as root); a FIFO, with or without a reader, is no result file and
// must not hold the run.
TEST_F(ResultStreams, NameThatCannotBeCreatedTakesTheFallback) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("R.CSV"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("P.CSV")).constData(), 0644), 0);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("Q.CSV")).constData(), 0644), 0);
  const int reader = ::open(QFile::encodeName(Path("Q.CSV")).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const char* name : {"R.CSV", "P.CSV", "Q.CSV"}) {
    SCOPED_TRACE(name);
    QFile::remove(Path("F.CSV"));
    EXPECT_EQ(WriteResultFile(Path(name), Path("F.CSV"), {"y"}), Path("F.CSV"));
    EXPECT_EQ(Read(Path("F.CSV")), "y\r\n");
    EXPECT_THROW(WriteResultFile(Path(name), {}, {"y"}), EInOutError);
  }
  char byte;
  EXPECT_LE(::read(reader, &byte, 1), 0);  // nothing went into the FIFO
  ::close(reader);
}

TEST_F(ResultStreams, WritingAClosedStreamIsAFileError) {
  ResultStream s;
  EXPECT_THROW(s.WriteLine("x"), EInOutError);
}

}  // namespace
