#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "common/figure_text.h"
#include "adc_analysis/value_grid_model.h"

namespace {

TEST(ValueGrid, TextsAndNumbersOfEachForm) {
  ValueGrid grid;
  grid.SetInteger(0, -4194304);
  grid.SetFixed(1, 123.456);
  grid.SetGeneral(2, 12.5);
  grid.SetGeneral(3, 100);
  grid.SetGeneral(4, 0.5 / 65536);
  EXPECT_EQ(grid.Text(0), "-4194304");
  EXPECT_EQ(grid.Text(1), "123.46");
  EXPECT_EQ(grid.Text(2), "12.5");
  EXPECT_EQ(grid.Text(3), "100");
  EXPECT_EQ(grid.Text(4), "7.62939453125E-6");
  EXPECT_EQ(grid.Text(5), "");
  // Read back as the text reads.
  EXPECT_EQ(*grid.Number(0), -4194304);
  EXPECT_EQ(*grid.Number(1), 123.46);
  EXPECT_EQ(*grid.Number(4), 0.5 / 65536);
  EXPECT_FALSE(grid.Number(5));
  EXPECT_EQ(grid.LongestText(4), "-4194304");
  EXPECT_EQ(grid.LongestText(5), "7.62939453125E-6");
  EXPECT_EQ(grid.LongestText(1 << 30), "7.62939453125E-6");  // bounded by the store

  grid.Clear(0, 2);
  EXPECT_EQ(grid.Text(0), "");
  EXPECT_EQ(grid.Text(2), "12.5");
  // Positions outside the store are ignored.
  grid.SetInteger(-1, 5);
  grid.SetInteger(ValueGrid::MaxPositions, 5);
  EXPECT_EQ(grid.Text(ValueGrid::MaxPositions), "");
  grid.SetInteger(ValueGrid::MaxPositions - 1, 5);
  EXPECT_EQ(grid.Text(ValueGrid::MaxPositions - 1), "5");
}

TEST(ValueGrid, CellsAndLabels) {
  ValueGrid grid;
  grid.SetShape(5, ValueGrid::Labels::Plain);
  grid.SetInteger(17, 42);
  grid.SetInteger(80, 7);  // beyond the last row: kept, not shown
  EXPECT_EQ(grid.CellText(1, 0), "00");
  EXPECT_EQ(grid.CellText(16, 0), "0F");
  EXPECT_EQ(grid.CellText(0, 1), "0000");
  EXPECT_EQ(grid.CellText(0, 4), "0003");
  EXPECT_EQ(grid.CellText(2, 2), "42");
  EXPECT_EQ(grid.CellText(1, 6), "7");

  grid.SetShape(2 * 8193 + 1, ValueGrid::Labels::IQ);
  EXPECT_EQ(grid.CellText(0, 1), "ADI:0000");
  EXPECT_EQ(grid.CellText(0, 8193), "ADI:2000");
  EXPECT_EQ(grid.CellText(0, 8194), "ADQ:0000");
  EXPECT_EQ(grid.CellText(0, 16386), "ADQ:2000");
}

TEST(ValueGrid, ModelFollowsTheStore) {
  ValueGrid grid;
  grid.SetShape(3, ValueGrid::Labels::Plain);
  ValueGridModel model(grid);
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.columnCount(), 17);
  int changed = 0, reset = 0;
  std::pair<int, int> rows;  // the rows the last change named
  QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& a, const QModelIndex& b) {
    ++changed;
    rows = {a.row(), b.row()};
    EXPECT_EQ(a.column(), 0);
    EXPECT_EQ(b.column(), 16);
  });
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++reset; });

  grid.SetInteger(16, -9);
  model.Refresh();
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(rows, std::make_pair(2, 2));  // position 16: row 2 only
  EXPECT_EQ(model.index(2, 1).data().toString(), "-9");
  EXPECT_EQ(model.index(0, 3).data().toString(), "02");
  // The labels are the headers too, and values stand right-aligned.
  EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "02");
  EXPECT_EQ(model.headerData(2, Qt::Vertical).toString(), "0001");
  EXPECT_EQ(model.index(2, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);
  model.Refresh();
  EXPECT_EQ(changed, 1);  // nothing new
  // The changes since the last refresh, by row; none for rows beyond those shown.
  struct Case {
    std::function<void()> change;
    int changes;
    std::pair<int, int> rows;
  };
  const Case cases[] = {
      {[&] { grid.SetInteger(3, 1); }, 2, {1, 1}},
      {[&] { grid.SetInteger(20, 1), grid.SetInteger(5, 2); }, 3, {1, 2}},
      {[&] { grid.SetInteger(40, 1); }, 3, {1, 2}},  // row 3 is not shown
      {[&] { grid.Clear(0, 100); }, 4, {1, 2}},
      {[&] { grid.SetInteger(31, 1), grid.SetInteger(500, 1); }, 5, {2, 2}},
  };
  for (const Case& c : cases) {
    c.change();
    model.Refresh();
    EXPECT_EQ(changed, c.changes);
    EXPECT_EQ(rows, c.rows);
  }

  grid.SetShape(9, ValueGrid::Labels::IQ);
  model.Refresh();
  EXPECT_EQ(reset, 1);
  EXPECT_EQ(model.rowCount(), 9);
  EXPECT_EQ(model.index(5, 0).data().toString(), "ADQ:0000");
}

TEST(FigureText, FormatsAndReadings) {
  EXPECT_EQ(FormatF(1234), "1234.00");
  EXPECT_EQ(FormatF(-0.0), "0.00");
  EXPECT_EQ(FormatF(572.20458984375), "572.20");
  EXPECT_EQ(FormatGeneral(-0.5), "-0.5");
  EXPECT_EQ(FormatGeneral(4194303.5), "4194303.5");
  EXPECT_EQ(FormatGeneral(1e15), "1E15");
  EXPECT_EQ(FormatGeneral(0.0001), "0.0001");
  EXPECT_EQ(*ReadReal(" 2.4"), 2.4);
  EXPECT_FALSE(ReadReal("2,4"));
  EXPECT_FALSE(ReadReal("nan"));
  EXPECT_FALSE(ReadReal("1e400"));
  EXPECT_EQ(*ReadInteger("480"), 480);
  EXPECT_FALSE(ReadInteger("48x"));
}

}  // namespace
