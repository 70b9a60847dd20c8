// Number text: the conversions the chip definition and the register files use.
#include <gtest/gtest.h>

#include "common/number_text.h"

namespace {

TEST(NumberText, PlainConversions) {
  struct Case {
    int32_t (*fn)(const QString&);
    const char* text;
    int32_t expected;
  };
  const Case cases[] = {
      {DecStrToInt, "123", 123},      {DecStrToInt, "-45", -45},       {DecStrToInt, "-", 0},
      {DecStrToInt, "1-2", 0},        {DecStrToInt, "+5", 0},          {DecStrToInt, "", 0},
      {DecStrToInt, "12a", 0},        {DecStrToInt, "4294967297", 1},  // wraps at 32 bits
      {HexStrToInt, "ff", 255},       {HexStrToInt, "0x10", 0},        {HexStrToInt, "1A2", 0x1A2},
      {HexStrToInt, "", 0},           {HexStrToInt, "-1", 0},          {HexStrToInt, "FFFFFFFF", -1},
      {BinStrToInt, "101", 5},        {BinStrToInt, "102", 0},         {BinStrToInt, "", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.fn(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(NumberText, ParseNumberAcceptsSignsAndSuffixes) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;  // 777 = untouched
  };
  const Case cases[] = {
      {"0FFH", true, 255}, {"1A2", true, 418}, {"-12", true, -12}, {"12D", true, 12},
      {"101B", true, 5},   {"+5", true, 5},    {"12B", true, 0},   {"7", true, 7},
      {"0ffh", true, 255}, {"-12d", true, -12},
      {"FFH", false, 777}, {"1F", false, 777}, {"-1AH", false, 777}, {"0x12", false, 777},
      {"", false, 777},    {"5-", false, 777}, {"1-2", false, 777},  {"-B", false, 777},
      {"12X", false, 777}, {"TS", false, 777},
  };
  for (const Case& c : cases) {
    int32_t v = 777;
    EXPECT_EQ(ParseNumber(QString::fromLatin1(c.text), v), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(NumberText, CharClasses) {
  EXPECT_EQ(CharClass('0'), 0);
  EXPECT_EQ(CharClass('9'), 0);
  EXPECT_EQ(CharClass('a'), 1);
  EXPECT_EQ(CharClass('Z'), 1);
  EXPECT_EQ(CharClass('-'), 2);
  EXPECT_EQ(CharClass(QChar(0x00E9)), 2);
}

TEST(NumberText, FormattedOutput) {
  EXPECT_EQ(IntToHexW(0xAB, 4), "00AB");
  EXPECT_EQ(IntToHexW(0x1234, 2), "1234");
  EXPECT_EQ(IntToHexW(0, 0), "0");
  EXPECT_EQ(IntToHexW(0xFFFF, 3), "FFFF");
  EXPECT_EQ(IntToDecW(7, 3), "007");
  EXPECT_EQ(IntToDecW(65535, 2), "65535");
  EXPECT_EQ(IntToHexNoPad(0), "0");
  EXPECT_EQ(IntToHexNoPad(0xFFFFFFFFu), "FFFFFFFF");
  EXPECT_EQ(IntToHexNoPad(static_cast<uint32_t>(-0x400000)), "FFC00000");
  EXPECT_EQ(IntToBin(5, 4), "0101");
  EXPECT_EQ(IntToBin(9, 3), "001");
  EXPECT_EQ(IntToBin(1, 0), "");
  EXPECT_EQ(IntToBin(1, -3), "");
  EXPECT_EQ(IntToBin(-1, 34), "0011111111111111111111111111111111");
}

}  // namespace
