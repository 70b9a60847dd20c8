// The I/Q test's settings file, its input rules and the DC runs' sample grouping.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "common/errors.h"
#include "common/settings_reader.h"
#include "impedance/dc_run_sampling.h"
#include "impedance/iq_test_settings.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

IQFormSettings FromText(const char* text, IQFormSettings s = {}) {
  PanelSettingsReader r = PanelSettingsReader::FromText(QString::fromLatin1(text));
  ReadIQFormSettings(r, s);
  return s;
}

TEST(IQFormSettingsFile, WritesTwentyOneLinesAndReadsThemBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath(IQFormSettingsFile);
  WriteIQFormSettings(path, IQFormSettings{});
  EXPECT_EQ(ReadAll(path),
            "0\r\n1\r\n0\r\n0\r\n2\r\n1\r\n0\r\n0\r\n0\r\n0.1\r\n1\r\n1\r\n0\r\n0800\r\n0800\r\n1\r\n0800\r\n0800\r\n"
            "1\r\n0800\r\n0800\r\n");

  IQFormSettings s;
  s.Mode = 4;
  s.AcLimit = 2;
  s.AcTime = 9;
  s.AcAmount = 3;
  s.ScanTime = 5;
  s.DcLimit = 0;
  s.DcTime = 7;
  s.DcAmount = 10;
  s.AverageCycle = 4;
  s.BiasTime = "2.5";
  s.ReactionTime = "120";
  s.ThresholdOn = 0;
  s.Threshold = "1500.5";
  s.Dabit[0][0] = "FFFF";
  s.Dabit[0][1] = "1";
  s.Dabit1On = 0;
  s.Dabit[1][0] = "";  // an empty edit is an empty line
  s.Dabit[1][1] = "abcd";
  s.Dabit2On = 1;
  s.Dabit[2][0] = "0800";
  s.Dabit[2][1] = "7FF";
  WriteIQFormSettings(path, s);
  EXPECT_EQ(IQFormSettingsLines(s).size(), 21);
  IQFormSettings back;
  ReadIQFormSettings(path, back);
  EXPECT_EQ(back, s);
}

TEST(IQFormSettingsFile, ReadingRules) {
  // Each field reads its own line: an empty line 1 keeps the mode's default and
  // moves nothing; the rest of a number's line is skipped; a text line is taken whole.
  IQFormSettings s = FromText("\r\n3 mode\r\n0\r\n1\r\n2\r\n3\r\n1\r\n2\r\n4\r\n 0.5 s\r\n7\r\n");
  EXPECT_EQ(s.Mode, 0);
  EXPECT_EQ(s.AcLimit, 3);
  EXPECT_EQ(s.AcTime, 0);
  EXPECT_EQ(s.DcAmount, 2);
  EXPECT_EQ(s.AverageCycle, 4);
  EXPECT_EQ(s.BiasTime, " 0.5 s");
  EXPECT_EQ(s.ReactionTime, "7");
  // Past the end of the file every field keeps its default.
  EXPECT_EQ(s.ThresholdOn, 1);
  EXPECT_EQ(s.Threshold, "0");
  EXPECT_EQ(s.Dabit[2][1], "0800");
  EXPECT_EQ(s.Dabit2On, 1);

  // LF alone ends a line too.
  EXPECT_EQ(FromText("1\n2\n").AcLimit, 2);

  // A line that is not a number costs only its own value: the field keeps what it
  // held, the lines before and after it are read, and the line is noted.
  IQFormSettings s2;
  s2.AcTime = 6;
  s2.ThresholdOn = 5;
  PanelSettingsReader bad = PanelSettingsReader::FromText(
      "3\r\n0\r\nx\r\n4\r\n5\r\n0\r\n2\r\n3\r\n2\r\n0.3\r\n2\r\non\r\n77\r\n0100\r\n0200\r\n0\r\n\r\nabcd\r\n1\r\n"
      "0500\r\n0600\r\n");
  ReadIQFormSettings(bad, s2);
  EXPECT_EQ(bad.Faults().BadLines, (QList<int>{3, 12}));
  EXPECT_FALSE(bad.Faults().Short());
  EXPECT_EQ(s2.Mode, 3);
  EXPECT_EQ(s2.AcLimit, 0);
  EXPECT_EQ(s2.AcTime, 6);
  EXPECT_EQ(s2.AcAmount, 4);
  EXPECT_EQ(s2.AverageCycle, 2);
  EXPECT_EQ(s2.ReactionTime, "2");
  EXPECT_EQ(s2.ThresholdOn, 5);
  EXPECT_EQ(s2.Threshold, "77");
  EXPECT_EQ(s2.Dabit1On, 0);
  EXPECT_EQ(s2.Dabit[1][0], "");
  EXPECT_EQ(s2.Dabit2On, 1);
  EXPECT_EQ(s2.Dabit[2][1], "0600");
  IQFormSettings untouched;
  untouched.Mode = 2;
  EXPECT_THROW(ReadIQFormSettings(QString("/nonexistent/" + IQFormSettingsFile), untouched), EInOutError);
  EXPECT_EQ(untouched.Mode, 2);
}

TEST(IQFormInputs, ScanTableKeysAndRanges) {
  const int intervals[] = {0, 100, 250, 500, 1000, 2000};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ScanIntervalMs(i, 77), intervals[i]);
  EXPECT_EQ(ScanIntervalMs(-1, 77), 77);
  EXPECT_EQ(ScanIntervalMs(6, 77), 77);

  for (QChar c : QString("0123456789ABCDEFabcdef\b")) EXPECT_TRUE(HexKeyAccepted(c)) << c.toLatin1();
  for (QChar c : QString("Gg-. x")) EXPECT_FALSE(HexKeyAccepted(c)) << c.toLatin1();
  EXPECT_TRUE(DecimalKeyAccepted('.', "12"));
  EXPECT_FALSE(DecimalKeyAccepted('.', "1.2"));
  EXPECT_TRUE(DecimalKeyAccepted('7', "1.2"));
  EXPECT_TRUE(DecimalKeyAccepted('\b', "1.2"));
  for (QChar c : QString("-eE,a ")) EXPECT_FALSE(DecimalKeyAccepted(c, "")) << c.toLatin1();

  struct Case {
    const InputRange& range;
    double value;
    const char* text;  // nullptr: in range
  };
  const Case cases[] = {{BiasTimeRange(), 12, "10"},       {BiasTimeRange(), 10, nullptr},
                        {BiasTimeRange(), 0, nullptr},     {BiasTimeRange(), -0.1, "0"},
                        {ReactionTimeRange(), 0.5, "1"},   {ReactionTimeRange(), 1, nullptr},
                        {ReactionTimeRange(), 3e8, "200000000"}, {ReactionTimeRange(), 2e8, nullptr}};
  for (const Case& c : cases) {
    const std::optional<QString> t = OutOfRangeText(c.range, c.value);
    if (c.text)
      EXPECT_EQ(t.value_or("in range"), c.text) << c.value;
    else
      EXPECT_FALSE(t.has_value()) << c.value;
  }
  EXPECT_EQ(BiasTimeRange().Message, "Input is out of range, value is between 0~10");
  EXPECT_EQ(ReactionTimeRange().Message, "Input is out of range, value is between 1~200000000");
}

TEST(IQFormInputs, RunLimitsOfTheLists) {
  auto is = [](RunLimit l, RunLimitKind k, int v) { return l.Kind == k && (k == RunLimitKind::Continuous || l.Value == v); };
  EXPECT_TRUE(is(AcRunLimit(true, 0, false, 4), RunLimitKind::Amount, 100));
  EXPECT_TRUE(is(AcRunLimit(true, 9, true, 4), RunLimitKind::Amount, 1000));
  EXPECT_TRUE(is(AcRunLimit(false, 9, true, 4), RunLimitKind::Time, 5));
  EXPECT_TRUE(is(AcRunLimit(false, 9, false, 4), RunLimitKind::Continuous, 0));
  EXPECT_TRUE(is(DcRunLimit(true, 0, false, 0), RunLimitKind::Amount, 1));
  EXPECT_TRUE(is(DcRunLimit(true, 1, false, 0), RunLimitKind::Amount, 100));
  EXPECT_TRUE(is(DcRunLimit(true, 10, false, 0), RunLimitKind::Amount, 1000));
  EXPECT_TRUE(is(DcRunLimit(false, 10, true, 9), RunLimitKind::Time, 10));
}

// Samples in packets of `size`: what each take gives, in order.
std::vector<DcTake> TakePackets(DcGrouping& g, const std::vector<int32_t>& samples, int size,
                                std::vector<int32_t>* averages = nullptr) {
  std::vector<DcTake> out;
  for (size_t start = 0; start < samples.size(); start += size) {
    const int n = static_cast<int>(std::min<size_t>(size, samples.size() - start));
    for (int j = 0; j < n; ++j) {
      const DcTakeResult r = g.Take(samples[start + j], n - j);
      out.push_back(r.What);
      if (r.What == DcTake::Group && averages) averages->push_back(r.Average);
      if (r.What == DcTake::DropPacket || r.What == DcTake::ZeroGroup) break;
    }
  }
  return out;
}

TEST(DcRunSampling, SettlingPacketsAreDroppedWhole) {
  using T = DcTake;
  {
    // 21 a packet: the first packet goes, samples count from the second.
    DcGrouping g(1, false, 0);
    std::vector<int32_t> s(42, 5);
    const std::vector<T> got = TakePackets(g, s, 21);
    EXPECT_EQ(got.front(), T::DropPacket);
    EXPECT_EQ(got.size(), 1u + 21u);
    EXPECT_EQ(g.Seen, 42);
    EXPECT_EQ(g.K, 21);
  }
  {
    // 5 a packet: 5, 10 and 15 seen, then samples are taken.
    DcGrouping g(1, false, 0);
    std::vector<int32_t> s(20, 5);
    const std::vector<T> got = TakePackets(g, s, 5);
    EXPECT_EQ(got, (std::vector<T>{T::DropPacket, T::DropPacket, T::DropPacket, T::Group, T::Group, T::Group,
                                   T::Group, T::Group}));
  }
}

TEST(DcRunSampling, ThresholdHoldsTheFirstGroupUntilACompletingSampleReachesIt) {
  using T = DcTake;
  DcGrouping g(4, true, 1000);
  // The settling packet, then rising samples: 10, 20, 30 summed, 900 and 999 below
  // the threshold, 1000 completes the first group; then groups without a test.
  std::vector<int32_t> s(21, 0);
  for (int32_t v : {10, 20, 30, 900, 999, 1000, 1, 1, 1, 5}) s.push_back(v);
  std::vector<int32_t> averages;
  const std::vector<T> got = TakePackets(g, s, 21, &averages);
  EXPECT_EQ(got, (std::vector<T>{T::DropPacket, T::Summed, T::Summed, T::Summed, T::BelowThreshold,
                                 T::BelowThreshold, T::Group, T::Summed, T::Summed, T::Summed, T::Group}));
  EXPECT_EQ(averages, (std::vector<int32_t>{(10 + 20 + 30 + 1000) / 4, (1 + 1 + 1 + 5) / 4}));

  // Without the threshold the first completed group marks it reached; each group end
  // tested until then restarts the run clock.
  DcGrouping plain(2, false, 0);
  EXPECT_EQ(plain.Take(0, 13).What, T::DropPacket);
  EXPECT_FALSE(plain.Take(3, 2).RestartClock);
  const DcTakeResult first = plain.Take(4, 1);
  EXPECT_TRUE(first.RestartClock);
  EXPECT_EQ(first.Average, 3);
  plain.Take(1, 2);
  EXPECT_FALSE(plain.Take(1, 1).RestartClock);
}

TEST(DcRunSampling, AGroupAveragingZeroIsNoRow) {
  DcGrouping g(2, false, 0);
  g.Take(0, 13);  // settling
  EXPECT_EQ(g.Take(1, 3).What, DcTake::Summed);
  const DcTakeResult r = g.Take(-1, 2);  // (1 - 1) / 2 = 0
  EXPECT_EQ(r.What, DcTake::ZeroGroup);
  EXPECT_EQ(g.K, 2);
  EXPECT_EQ(g.Seen, 15);
  // The next group starts empty: two fresh samples make it.
  EXPECT_EQ(g.Take(9, 5).What, DcTake::Summed);
  const DcTakeResult next = g.Take(5, 4);
  EXPECT_EQ(next.What, DcTake::Group);
  EXPECT_EQ(next.Average, 7);
  // Truncation toward zero: (-3 + 0) / 2 = -1.
  g.Take(-3, 4);
  const DcTakeResult neg = g.Take(0, 3);
  EXPECT_EQ(neg.Average, -1);
}

}  // namespace
