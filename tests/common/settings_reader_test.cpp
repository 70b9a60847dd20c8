// The reader of the plain-text settings files.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

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

TEST(PanelSettingsReader, EachFieldReadsItsOwnLine) {
  // Line 3 is empty, line 4 holds a word that is no integer, line 5 only blanks, line 6
  // a number too large for one: each keeps its own field, and the fields after them
  // still read their own lines. The last field lies past the end and keeps its value.
  PanelSettingsReader r =
      PanelSettingsReader::FromText("5 a\r\ntext line\r\n\r\n  x7 8\r\n \t \r\n99999999999\n\t-3\r\n\r\n");
  int a = -1, b = -1, c = -1, d = -1, e = -1, f = -1, g = -1;
  QString text = "old", empty = "old", past = "old";
  r.Int(a);
  r.Text(text);
  r.Int(b);
  r.Int(c);
  r.Int(d);
  r.Int(e);
  r.Int(f);
  r.Text(empty);  // line 8, empty: an empty text
  r.Int(g);
  r.Text(past);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(text, "text line");
  EXPECT_EQ((std::vector<int>{b, c, d, e}), (std::vector<int>{-1, -1, -1, -1}));
  EXPECT_EQ(f, -3);
  EXPECT_EQ(empty, "");
  EXPECT_EQ(g, -1);
  EXPECT_EQ(past, "old");
  EXPECT_EQ(r.Faults().BadLines, (QList<int>{3, 4, 5, 6}));
  EXPECT_EQ(r.Faults().Lines, 8);
  EXPECT_EQ(r.Faults().LastWanted, 10);
  EXPECT_TRUE(r.Faults().Short());

  // A whole file read, with or without a line end after its last line, is clean.
  for (const char* whole : {"1\n2", "1\r\n2\r\n"}) {
    PanelSettingsReader w = PanelSettingsReader::FromText(whole);
    int x = 0, y = 0;
    w.Int(x);
    w.Int(y);
    EXPECT_EQ(x * 10 + y, 12) << whole;
    EXPECT_TRUE(w.Faults().Clean()) << whole;
  }
  // An empty file holds no line; one line end alone is one empty line.
  EXPECT_EQ(PanelSettingsReader::FromText("").Faults().Lines, 0);
  EXPECT_EQ(PanelSettingsReader::FromText("\r\n").Faults().Lines, 1);
}

TEST(PanelSettingsReader, AByteOrderMarkIsPassedOver) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("set.txt");
  for (const QByteArray& content : {QByteArray("\xEF\xBB\xBF" "7\r\n8\r\n"), QByteArray("\xEF\xBB\xBF" "7\n8")}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    PanelSettingsReader r = PanelSettingsReader::Open(path);
    int a = 0, b = 0;
    r.Int(a);
    r.Int(b);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 8);
    EXPECT_TRUE(r.Faults().Clean());
  }
  EXPECT_THROW(PanelSettingsReader::Open(dir.path()), EInOutError);  // a folder
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

TEST(SettingsReader, OneMessageForBadLinesAndAShortFile) {
  struct Case {
    QList<int> bad;
    int lines, wanted;
    QString message;
  };
  const QString bad2 = "Invalid numeric format in line 2 of A.txt.\nThat setting keeps its default; the other lines are read.";
  const Case cases[] = {
      {{}, 21, 21, ""},
      {{}, 30, 21, ""},  // lines beyond the last field are not read
      {{2}, 21, 21, bad2},
      {{}, 20, 21, "A.txt ends after line 20: the setting of line 21 keeps its default."},
      {{}, 12, 89, "A.txt ends after line 12: the settings of lines 13 to 89 keep their defaults."},
      {{}, 0, 2, "A.txt is empty: every setting keeps its default."},
      {{2}, 3, 5, bad2 + "\nA.txt ends after line 3: the settings of lines 4 to 5 keep their defaults."},
  };
  for (const Case& c : cases) {
    SettingsFileFaults f;
    f.BadLines = c.bad;
    f.Lines = c.lines;
    f.LastWanted = c.wanted;
    EXPECT_EQ(f.Clean(), c.message.isEmpty());
    EXPECT_EQ(SettingsFileMessage("A.txt", f), c.message);
  }
  EXPECT_EQ(KeptUnreadText("A.txt"), "A.txt is kept as it is: it is not written at close.");
}

TEST(SettingsReader, FixedWidthIntegers) {
  EXPECT_EQ(IntW(0, 4) + IntW(5, 4), "   0   5");
  EXPECT_EQ(IntW(-1, 4), "  -1");
  EXPECT_EQ(IntW(123456, 4), "123456");
  EXPECT_EQ(IntW(7, 0), "7");
}
