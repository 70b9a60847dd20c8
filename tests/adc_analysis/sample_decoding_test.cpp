#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "common/sample_decoding.h"

struct DecodeCase {
  uint32_t raw;
  bool adcFlag, tempFlag;
  int divisor;
  int32_t s, v;
};

TEST(SampleDecoding, TableOfStreamWords) {
  const DecodeCase cases[] = {
      // ADC capture, divisor 1: positive words halved, negative sign-extended and halved.
      {0x7FFFFF, true, false, 1, 4194303, 4194303},
      {0x800000, true, false, 1, -4194304, -4194304},
      {0xFFFFFF, true, false, 1, -1, -1},
      {0xFFFFFE, true, false, 1, -1, -1},
      {0x000001, true, false, 1, 0, 0},
      {0x000003, true, false, 1, 1, 1},
      // Divisor 128 (16 bits): truncation toward zero on both signs.
      {0x7FFFFF, true, false, 128, 4194303, 32767},
      {0x800000, true, false, 128, -4194304, -32768},
      {0xFFFFFF, true, false, 128, -1, 0},
      {0x123456, true, false, 128, 596523, 4660},
      {0xFFFE00, true, false, 128, -256, -2},
      {0xFFFD80, true, false, 128, -320, -2},
      // Temperature capture: 16-bit words stay whole and are never negative; a 24-bit
      // negative word is sign extended without halving.
      {0x8000, false, true, 1, 32768, 32768},
      {0xFFFF, false, true, 2, 65535, 32767},
      {0xFFFFFE, false, true, 1, -2, -2},
  };
  for (const auto& c : cases) {
    DecodedSample d = DecodeSample(c.raw, c.adcFlag, c.tempFlag, c.divisor);
    EXPECT_EQ(d.s, c.s) << std::hex << c.raw << " / " << std::dec << c.divisor;
    EXPECT_EQ(d.v, c.v) << std::hex << c.raw << " / " << std::dec << c.divisor;
  }
}

TEST(SampleDecoding, ModeTwoTakesTwoBytesAndIgnoresTheThird) {
  auto r = Reply({0x123456, 0x80FF01});
  EXPECT_EQ(RawSample(r.data(), 0, 3), 0x123456u);
  EXPECT_EQ(RawSample(r.data(), 0, 2), 0x1234u);
  EXPECT_EQ(RawSample(r.data(), 1, 2), 0x80FFu);
  EXPECT_EQ(DecodeSample(RawSample(r.data(), 1, 2), false, true, 1).v, 0x80FF);
}

TEST(SampleDecoding, IqWordsAreHalvedTwosComplement) {
  EXPECT_EQ(DecodeIqWord(0x000000), 0.0);
  EXPECT_EQ(DecodeIqWord(0x000001), 0.5);
  EXPECT_EQ(DecodeIqWord(0x000003), 1.5);
  EXPECT_EQ(DecodeIqWord(0x7FFFFF), 4194303.5);
  EXPECT_EQ(DecodeIqWord(0x800000), -4194304.0);
  EXPECT_EQ(DecodeIqWord(0xFFFFFE), -1.0);
  EXPECT_EQ(DecodeIqWord(0xFFFFFF), -0.5);
}
