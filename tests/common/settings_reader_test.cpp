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

TEST(SettingsReader, ANumberThatDoesNotReadCostsOnlyItsOwnField) {
  // Line 3 is blank (passed over), line 4 holds a word that is no integer, line 6 a
  // number too large for one; each keeps its field, the rest of its line is skipped and
  // the reading goes on.
  SettingsReader r = SettingsReader::FromText("5 a\r\ntext line\r\n\r\n  x7 8\r\n9\r\n99999999999\n-3");
  int a = -1, b = -1, c = -1, d = -1, e = -1, f = -1;
  r.ReadIntLine(a);
  EXPECT_EQ(r.ReadText(), "text line");
  r.ReadIntLine(b);
  r.ReadIntLine(c);
  r.ReadIntLine(d);
  r.ReadIntLine(e);
  r.ReadIntLine(f);  // past the end: 0, as any number there
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 9);
  EXPECT_EQ(d, -1);
  EXPECT_EQ(e, -3);
  EXPECT_EQ(f, 0);
  EXPECT_EQ(r.BadLines(), (QList<int>{4, 6}));
  EXPECT_EQ(SettingsReader::FromText("1\n2\n").BadLines(), QList<int>{});
}

TEST(SettingsReader, TheMessageNamesTheFileAndItsBadLines) {
  EXPECT_EQ(BadNumberLinesMessage("A.txt", {}), "");
  EXPECT_EQ(BadNumberLinesMessage("A.txt", {7}),
            "Invalid numeric format in line 7 of A.txt.\nThat setting keeps its default; the other lines are read.");
  EXPECT_EQ(BadNumberLinesMessage("A.txt", {2, 4, 5}),
            "Invalid numeric format in lines 2, 4 and 5 of A.txt.\n"
            "Those settings keep their defaults; the other lines are read.");
  EXPECT_EQ(BadNumberLinesMessage("A.txt", {1, 2}).section('\n', 0, 0),
            "Invalid numeric format in lines 1 and 2 of A.txt.");
  // Beyond five lines the rest are counted.
  EXPECT_EQ(BadNumberLinesMessage("A.txt", {1, 2, 3, 4, 5, 6, 9, 12}).section('\n', 0, 0),
            "Invalid numeric format in lines 1, 2, 3, 4, 5 and 3 more of A.txt.");
}

TEST(SettingsReader, FixedWidthIntegers) {
  EXPECT_EQ(IntW(0, 4) + IntW(5, 4), "   0   5");
  EXPECT_EQ(IntW(-1, 4), "  -1");
  EXPECT_EQ(IntW(123456, 4), "123456");
  EXPECT_EQ(IntW(7, 0), "7");
}
