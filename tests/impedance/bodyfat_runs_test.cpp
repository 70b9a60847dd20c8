// The body-fat test's file readers, limits and pacing, without the window.
#include <gtest/gtest.h>

#include "impedance/bodyfat_runs.h"
#include "impedance/bodyfat_settings.h"
#include "platform/clock.h"

namespace {

TEST(BodyFatFileReaders, MemoryFileColumnsGiveZeroWhereTheyHoldNoHexPair) {
  QStringList lines = {"unsigned char Bank0_Array[128]={",
                       "0x12,0x34,0xAB,0xcd,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0A,0x0B,0x0C,",
                       "0xG1,0x-2,-,0x33,",  // foreign characters, a "-" item, a short line
                       ""};
  for (int r = 3; r < 8; ++r) lines << "0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,";
  lines << "};" << "" << "unsigned char Bank1_Array[128]={"
        << "0xFE,0xDC,0xBA,0x98,0x76,0x54,0x32,0x10,0x01,0x23,0x45,0x67,0x89,0xAB,0xCD,0xEF,";  // ends early
  const RamFileImage image = ReadRamFileImage(lines);
  EXPECT_EQ(image.Bank0[0], 0x12);
  EXPECT_EQ(image.Bank0[1], 0x34);
  EXPECT_EQ(image.Bank0[3], 0xCD);
  EXPECT_EQ(image.Bank0[15], 0x0C);
  EXPECT_EQ(image.Bank0[16], 0x00);  // "G1"
  EXPECT_EQ(image.Bank0[17], 0x00);  // "-2"
  EXPECT_EQ(image.Bank0[18], 0x00);  // the "-" item shifts the columns
  EXPECT_EQ(image.Bank0[31], 0x00);  // beyond the short line
  EXPECT_EQ(image.Bank0[32], 0x00);  // the empty line
  EXPECT_EQ(image.Bank0[127], 0x11);
  EXPECT_EQ(image.Bank1[0], 0xFE);
  EXPECT_EQ(image.Bank1[15], 0xEF);
  EXPECT_EQ(image.Bank1[16], 0x00);  // past the end of the file
}

TEST(BodyFatFileReaders, RegisterFileValuesByLinePosition) {
  QStringList lines = {"001H 012H", "002H 1", "07FH 0A5H", "", "00EH", "; comment", "x 101B", "00FH 7FH ; note"};
  const auto values = ReadRegFileValues(lines);
  EXPECT_EQ(values[0], 0x12);
  EXPECT_EQ(values[1], 1);
  EXPECT_EQ(values[2], 0xA5);  // register 0Ch, whatever the line's address word
  EXPECT_EQ(AutoTestRegisters[2], 0x0C);
  EXPECT_FALSE(values[3]);  // an empty line
  EXPECT_FALSE(values[4]);  // no value word
  EXPECT_FALSE(values[5]);  // a comment
  EXPECT_EQ(values[6], 5);
  EXPECT_EQ(values[7], 0x7F);
  EXPECT_FALSE(values[8]);  // past the end
  EXPECT_EQ(AutoTestRegisters[34], 0x3E);
}

TEST(BodyFatLimits, SelectorsAndIntervals) {
  const BodyFatLimits a = BodyFatLimitsFrom(false, 3, 9, 11);
  EXPECT_FALSE(a.ByTime);
  EXPECT_EQ(a.Amount, 1000);
  EXPECT_EQ(a.Channels, 12);
  // A selector without a selection counts as its first item.
  const BodyFatLimits b = BodyFatLimitsFrom(true, -1, -1, -1);
  EXPECT_TRUE(b.ByTime);
  EXPECT_EQ(b.Seconds, 1);
  EXPECT_EQ(b.Amount, 100);
  EXPECT_EQ(b.Channels, 1);
  const int intervals[] = {100, 250, 500, 1000, 2000};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ScanIntervalOf(i, 7), intervals[i]);
  EXPECT_EQ(ScanIntervalOf(-1, 7), 7);
  EXPECT_EQ(ScanIntervalOf(5, 7), 7);
}

TEST(BodyFatPacing, SamplesKeepTheirPlaceAgainstTheChannelStart) {
  FakeClock clock;
  const int64_t t0 = clock.SteadyUs();
  EXPECT_EQ(PaceSample(clock, t0, 1, 250), 250'000);
  // A late sample is followed at once by the next one.
  clock.AdvanceUs(400'000);
  EXPECT_EQ(PaceSample(clock, t0, 2, 250), 650'000);
  EXPECT_EQ(PaceSample(clock, t0, 3, 250), 750'000);
}

}  // namespace
