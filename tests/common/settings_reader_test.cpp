// The reader of the plain-text settings files.
#include <gtest/gtest.h>

#include "common/errors.h"
#include "common/settings_reader.h"

TEST(SettingsReader, NumbersWordsTextsAndTheEnd) {
  SettingsReader r = SettingsReader::FromText("  12 -7 rest of line\r\n\r\n  42\r\nsome text \r\nTrue\r\n");
  EXPECT_EQ(r.ReadInt(), 12);
  EXPECT_EQ(r.ReadInt(), -7);
  r.SkipLine();
  EXPECT_EQ(r.ReadInt(), 42);  // blank lines are skipped looking for a number
  r.SkipLine();
  EXPECT_EQ(r.ReadText(), "some text ");
  EXPECT_TRUE(r.ReadBoolLine());
  EXPECT_TRUE(r.Eof());
  EXPECT_EQ(r.ReadInt(), 0);
  EXPECT_EQ(r.ReadText(), "");
}

TEST(SettingsReader, AWordThatIsNotAnIntegerRaisesTheInputError) {
  for (const char* text : {"12x", "0x10", "1.5", "abc"}) {
    SettingsReader r = SettingsReader::FromText(text);
    EXPECT_THROW(r.ReadInt(), EInOutError) << text;
  }
  EXPECT_THROW(SettingsReader::Open("/nonexistent/file.txt"), EInOutError);
}

TEST(SettingsReader, FixedWidthIntegers) {
  EXPECT_EQ(IntW(0, 4) + IntW(5, 4), "   0   5");
  EXPECT_EQ(IntW(-1, 4), "  -1");
  EXPECT_EQ(IntW(123456, 4), "123456");
  EXPECT_EQ(IntW(7, 0), "7");
}
