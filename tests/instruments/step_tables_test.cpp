// The step grids' counting rules and the step-table file lines, without windows.
#include <gtest/gtest.h>

#include <iterator>

#include "instruments/step_tables.h"

namespace {

TextGrid RegisterGrid(int modes) {
  TextGrid g(5, 5);
  g.FixedRows = 0;
  LayOutRegisterGrid(g, modes);
  return g;
}

}  // namespace

TEST(StepTables, ModeCountReadsLeadingDigits) {
  struct Case {
    const char* text;
    int n;
    const char* after;
  };
  const Case cases[] = {
      {"1000", 1000, "1000"}, {"20000", 20000, "20000"}, {"12x", 12, "12x"},  {"0", 48, "48"},
      {"20001", 48, "48"},    {"abc", 48, "48"},         {"", 48, "48"},      {"-5", 48, "48"},
      {"99999999999", 48, "48"}, {" 5", 48, "48"},       {"+7", 7, "+7"},
  };
  for (const Case& c : cases) {
    QString text = c.text;
    EXPECT_EQ(ModeCountOf(text), c.n) << c.text;
    EXPECT_EQ(text, QString(c.after)) << c.text;
  }
  EXPECT_EQ(LeadingDecimal("-12ab"), -12);
  EXPECT_EQ(LeadingDecimal("x12"), 0);
}

TEST(StepTables, LayoutsTitleAndSizeTheGrids) {
  TextGrid g = RegisterGrid(5);
  EXPECT_EQ(g.ColCount(), 13);
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.Cell(0, 0), "Address");
  EXPECT_EQ(g.Cell(11, 0), "Delay");
  EXPECT_EQ(g.Cell(12, 0), "ACM");
  EXPECT_EQ(g.Cell(0, 5), "Value-5");
  EXPECT_EQ(g.ColWidth(0), 60);
  EXPECT_EQ(g.ColWidth(10), 22);
  EXPECT_EQ(g.ColWidth(11), 40);
  EXPECT_EQ(g.ColWidth(12), 50);

  TextGrid f(3, 2);
  f.SetCell(2, 1, "kept");
  LayOutInstrumentGrid(f, 49);
  EXPECT_EQ(f.RowCount(), 49);
  EXPECT_EQ(f.Cell(0, 0), QString::fromUtf8("序號"));
  EXPECT_EQ(f.Cell(2, 0), QString::fromUtf8("輸入值"));
  EXPECT_EQ(f.Cell(0, 48), "48");
  EXPECT_EQ(f.Cell(2, 1), "kept");
  EXPECT_EQ(f.TotalWidth(), 298);
  // Shrinking drops the cells outside the grid.
  f.SetCell(2, 40, "gone");
  f.SetRowCount(10);
  f.SetRowCount(49);
  EXPECT_EQ(f.Cell(2, 40), "");
  EXPECT_EQ(f.Cell(5, 5), "");
}

TEST(StepTables, EditingRulesFollowFixedRowsAndColumns) {
  TextGrid reg = RegisterGrid(3);
  EXPECT_FALSE(reg.CellEditable(0, 1));  // titles "Value-m"
  EXPECT_TRUE(reg.CellEditable(1, 0));   // addresses
  EXPECT_TRUE(reg.CellEditable(12, 3));
  EXPECT_FALSE(reg.CellEditable(13, 0));
  TextGrid f(3, 49);
  EXPECT_FALSE(f.CellEditable(1, 0));
  EXPECT_FALSE(f.CellEditable(0, 5));
  EXPECT_TRUE(f.CellEditable(2, 48));
  f.Editable = false;
  EXPECT_FALSE(f.CellEditable(2, 48));
}

TEST(StepTables, CountsRegisterColumnsAndModesInUse) {
  TextGrid g = RegisterGrid(8);
  g.SetCell(1, 0, "3C");
  g.SetCell(2, 0, "3D");
  g.SetCell(4, 0, "40");
  EXPECT_EQ(RegisterColumnsForRun(g), 2);
  EXPECT_EQ(RegisterColumnsForSave(g), 2);
  // Register 0 ends the count when saving, not for a run; so do 10000h and "xy".
  for (const char* head : {"00", "0", "10000", "xy"}) {
    g.SetCell(1, 0, head);
    EXPECT_EQ(RegisterColumnsForRun(g), 2) << head;
    EXPECT_EQ(RegisterColumnsForSave(g), 0) << head;
  }
  for (int c = 1; c <= 10; ++c) g.SetCell(c, 0, "1");
  EXPECT_EQ(RegisterColumnsForRun(g), 10);

  for (int r = 1; r <= 4; ++r) g.SetCell(1, r, r == 3 ? " g0" : "1");
  g.SetCell(1, 6, "5");
  EXPECT_EQ(ModesInUse(g, 8), 4);
  EXPECT_EQ(ModesInUse(g, 2), 2);
  g.SetCell(1, 2, "xyz");
  EXPECT_EQ(ModesInUse(g, 8), 1);
}

TEST(StepTables, CommandTableLinesAreFixedWidth) {
  TextGrid f(3, 49);
  f.SetCell(1, 3, "1");
  f.SetCell(2, 3, "OUT 100 mV ,0 Hz ");
  f.SetCell(1, 4, "0");
  f.SetCell(2, 4, "STBY");
  f.SetCell(1, 5, "A");
  f.SetCell(2, 5, "OPER");
  f.SetCell(1, 6, "12345");
  f.SetCell(2, 6, "x");
  f.SetCell(1, 7, "1 ");  // not a hex number: not enabled
  f.SetCell(1, 48, "2");
  EXPECT_EQ(CommandTableLines(f, 47), (QStringList{"   1OUT 100 mV ,0 Hz ", "   AOPER", "12345x"}));
  EXPECT_EQ(CommandTableLines(f, 48).last(), "   2");
}

TEST(StepTables, CommandLoadersFillRowsInFileOrder) {
  const QStringList lines = {"   1OUT 1 V", "   0STBY", "   AOPER", "  2", "", " x 3 ok", "   4more"};
  TextGrid f(3, 49);
  f.SetCell(1, 9, "7");
  f.SetCell(2, 9, "old");
  LoadCommandTable(lines, f, 48, CommandKeyRule::SkipZeroKey);
  EXPECT_EQ(f.Cell(1, 1), "1");
  EXPECT_EQ(f.Cell(2, 1), "OUT 1 V");
  EXPECT_EQ(f.Cell(1, 2), "2");
  EXPECT_EQ(f.Cell(2, 2), "");
  EXPECT_EQ(f.Cell(1, 3), "3");
  EXPECT_EQ(f.Cell(2, 3), " ok");
  EXPECT_EQ(f.Cell(1, 4), "4");
  EXPECT_EQ(f.Cell(1, 9), "");  // cleared
  EXPECT_EQ(f.Cell(2, 9), "");

  LoadCommandTable(lines, f, 48, CommandKeyRule::TakeEveryLine);
  const char* keys[] = {"1", "0", "A", "2", "", "3", "4"};
  for (int r = 1; r <= 7; ++r) EXPECT_EQ(f.Cell(1, r), QString(keys[r - 1])) << r;
  EXPECT_EQ(f.Cell(2, 2), "STBY");

  // Lines beyond the mode count are not placed.
  LoadCommandTable(lines, f, 2, CommandKeyRule::TakeEveryLine);
  EXPECT_EQ(f.Cell(1, 2), "0");
  EXPECT_EQ(f.Cell(1, 3), "A");  // row 3 lies beyond the two modes and is left alone
}

TEST(StepTables, RegisterDelayAndAcmLines) {
  TextGrid g = RegisterGrid(5);
  g.SetCell(1, 0, "3C");
  g.SetCell(2, 0, "3D");
  g.SetCell(4, 0, "7F");
  g.SetCell(1, 1, "1");
  g.SetCell(2, 1, "FF");
  g.SetCell(1, 2, "12345");
  g.SetCell(11, 1, "20");
  g.SetCell(12, 1, "2.4");
  g.SetCell(11, 2, "1234567");
  const QStringList reg = RegisterTableLines(g, 2, 2);
  ASSERT_EQ(reg.size(), 3);
  EXPECT_EQ(reg[0], "  3C  3D" + QString(32, ' '));
  EXPECT_EQ(reg[1], "   1  FF" + QString(32, ' '));
  EXPECT_EQ(reg[2], "12345    " + QString(32, ' '));
  EXPECT_EQ(RegisterTableLines(g, 0, 0), QStringList{QString(40, ' ')});
  EXPECT_EQ(DelayTableLines(g, 2), (QStringList{"    20", "1234567"}));  // a longer text is written whole
  EXPECT_EQ(ColumnTableLines(g, 12, 3), (QStringList{"   2.4", "      ", "      "}));
}

TEST(StepTables, DelayLinesHoldTheWaitOfTheRunAndLoadBackAsIt) {
  struct Case {
    const char* cell;
    int wait;  // whole seconds a run waits for the cell
    const char* line;
    const char* loaded;
  };
  const Case cases[] = {
      {"20", 20, "    20", "20"},      {"1.5", 1, "     1", "1"},       {"-5", 0, "     0", "0"},
      {" 7", 0, "     0", "0"},        {"", 0, "     0", "0"},          {"+3", 3, "     3", "3"},
      {"15 s", 15, "    15", "15"},    {"A", 0, "     0", "0"},         {"999999", 999999, "999999", "999999"},
  };
  const int n = static_cast<int>(std::size(cases));
  TextGrid g = RegisterGrid(n);
  QStringList lines;
  for (int m = 1; m <= n; ++m) {
    g.SetCell(DelayColumn, m, cases[m - 1].cell);
    lines << cases[m - 1].line;
  }
  EXPECT_EQ(DelayTableLines(g, n), lines);
  for (const Case& c : cases) {
    EXPECT_EQ(DelaySecondsOf(c.cell), c.wait) << c.cell;
    EXPECT_EQ(DelayLineText(c.line), QString(c.loaded)) << c.cell;
  }
}

TEST(StepTables, ReadsRegisterDelayAndAcmLines) {
  EXPECT_EQ(RegisterLineFields("  3C  3Dzz  1"),
            (QStringList{"3C", "3D", "", "1", "", "", "", "", "", ""}));
  EXPECT_EQ(RegisterLineFields("").size(), 10);
  EXPECT_EQ(RegisterLineFields("0x1g").first(), "01");

  struct Text {
    const char* line;
    const char* out;
  };
  // A "Delay.txt" line reads as a run reads a "Delay" cell: leading whole seconds, a
  // negative wait none; lines an earlier version wrote from the cells themselves too.
  for (const Text& t : {Text{"    20", "20"}, {"     5", "5"}, {"  1A  ", "1"}, {"   A5", "0"}, {"", "0"},
                        {"   20 junk 99", "20"}, {"   1.5", "1"}, {"    -5", "0"}, {"   2,5", "2"},
                        {"\t 9", "9"}, {"1234567", "1234567"}, {"    +3", "3"}})
    EXPECT_EQ(DelayLineText(t.line), QString(t.out)) << t.line;
  for (const Text& t : {Text{"  2.50", "2.5"}, {"   2.4", "2.4"}, {"3.3V", "3.3"}, {"     3", "3"},
                        {" 1.000", "1"}, {"abc", ""}, {"", ""}, {"1.2.3", ""}, {"  2.5 junk", "2.5"}})
    EXPECT_EQ(AcmLineText(t.line), QString(t.out)) << t.line;
}

TEST(StepTables, RegisterTableLoadsRowsAndKeepsCellsWithoutHex) {
  TextGrid g = RegisterGrid(3);
  g.SetCell(3, 0, "50");
  g.SetCell(4, 0, "51");
  std::vector<int> done;
  LoadRegisterTable({"  3C  3D", "   1   2", "   3    ", "   5   6", "   7   8"}, g, 3,
                    [&](int line) { done.push_back(line); });
  EXPECT_EQ(g.Cell(1, 0), "3C");
  EXPECT_EQ(g.Cell(3, 0), "50");  // a field without a hex digit keeps its cell
  EXPECT_EQ(g.Cell(2, 2), "");
  EXPECT_EQ(g.Cell(1, 3), "5");
  EXPECT_EQ(g.Cell(0, 3), "Value-3");
  EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));  // line 0 and three mode lines, the fourth not read
  EXPECT_EQ(RegisterColumnsForRun(g), 4);

  PlaceColumn({"20", "5"}, g, 11, 3, 3, DefaultDelayText);
  EXPECT_EQ(g.Cell(11, 1), "20");
  EXPECT_EQ(g.Cell(11, 3), "15");
  PlaceColumn({"", "2.5", "1", "9"}, g, 12, 3, 1, DefaultAcmText);
  EXPECT_EQ(g.Cell(12, 1), "2.4");  // a line that is no number takes the default
  EXPECT_EQ(g.Cell(12, 3), "1");
}
