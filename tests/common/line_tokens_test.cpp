// The line record and its tokenizer.
#include <gtest/gtest.h>

#include "common/line_tokens.h"

namespace {

LineRec Cut(const QString& text) {
  LineRec r;
  r.Text = text;
  CutLIPara(r);
  return r;
}

TEST(LineTokens, WordsAndComment) {
  LineRec r = Cut("80H  ADCON ; the control register");
  EXPECT_EQ(LineToken(r, 1), "; the control register");
  EXPECT_EQ(r.TokenStart[1], 12);
  EXPECT_EQ(LineToken(r, 2), "");
  EXPECT_EQ(LineToken(r, 3), "");
  EXPECT_EQ(LineToken(r, 4), "80H");
  EXPECT_EQ(LineToken(r, 5), "ADCON");
  EXPECT_EQ(LineTokenCount(r), 2);
}

TEST(LineTokens, SeparatorsAndQuotes) {
  struct Case {
    const char* text;
    int count;
    const char* word1;
    const char* comment;
  };
  const Case cases[] = {
      {"; only a comment", 0, "", "; only a comment"},
      {"", 0, "", ""},
      {" \t ", 0, "", ""},
      {"\tA,B\tC", 2, "A,B", ""},
      {"X \"quoted; text", 1, "X", "\"quoted; text"},
      {"12;34", 1, "12", ";34"},
  };
  for (const Case& c : cases) {
    LineRec r = Cut(QString::fromLatin1(c.text));
    EXPECT_EQ(LineTokenCount(r), c.count) << c.text;
    EXPECT_EQ(LineWord(r, 1), QString::fromLatin1(c.word1)) << c.text;
    EXPECT_EQ(LineToken(r, 1), QString::fromLatin1(c.comment)) << c.text;
  }
}

TEST(LineTokens, LongLinesAreBounded) {
  // 40 words: only 29 slots exist; a line beyond 160 characters is cut.
  QString many;
  for (int i = 0; i < 40; ++i) many += QString("W%1 ").arg(i);
  LineRec r = Cut(many);
  EXPECT_EQ(LineTokenCount(r), 29);
  EXPECT_EQ(LineToken(r, 32), "W28");
  EXPECT_EQ(LineToken(r, 33), "");

  LineRec longLine;
  SetLineText(longLine, QString(200, 'A') + " B");
  EXPECT_EQ(longLine.Text.size(), 160);
  EXPECT_EQ(LineTokenCount(longLine), 1);
  EXPECT_EQ(LineToken(longLine, 4).size(), 160);
}

TEST(LineTokens, ResetAndSetSlots) {
  LineRec r = Cut("A B C");
  ResetLineRec(r);
  EXPECT_EQ(r.Text, "");
  EXPECT_EQ(LineTokenCount(r), 0);
  r.Text = "HELLO";
  SetLineToken(r, 4, 2, 3);
  SetLineToken(r, 0, 1, 1);   // ignored
  SetLineToken(r, 33, 1, 1);  // ignored
  EXPECT_EQ(LineToken(r, 4), "ELL");
  EXPECT_EQ(LineTokenCount(r), 1);
  // Re-tokenizing clears what an earlier line left.
  r = Cut("ONE TWO THREE");
  r.Text = "ONE";
  CutLIPara(r);
  EXPECT_EQ(LineTokenCount(r), 1);
}

TEST(LineTokens, UpperAsciiOnly) {
  EXPECT_EQ(UpperAscii(QString::fromUtf8("#regbit é z")), QString::fromUtf8("#REGBIT é Z"));
}

}  // namespace
