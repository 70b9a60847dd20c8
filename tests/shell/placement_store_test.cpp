// The window placement store: its file, and placements applied at the next start.
#include <gtest/gtest.h>

#include <QFile>
#include <vector>

#include "shell/placement_store.h"

namespace {

struct FakeWindow {
  QRect rect{10, 20, 300, 200};
  uint8_t state = 0;
  bool visible = false;
  int shows = 0;
  TRestoreWin::Window Bind(const QString& name) {
    TRestoreWin::Window w;
    w.name = name;
    w.bounds = [this] { return rect; };
    w.setBounds = [this](const QRect& r, bool) { rect = r; };
    w.state = [this] { return state; };
    w.setState = [this](uint8_t s) { state = s; };
    w.showing = [this] { return visible; };
    w.show = [this] { ++shows; };
    return w;
  }
};

TEST(PlacementStore, FileFormatRoundTrip) {
  TRestoreWin store("/nonexistent/prog");
  FakeWindow a, b;
  a.rect = QRect(1, 2, 640, 480);
  a.state = 2;  // maximized
  a.visible = true;
  b.rect = QRect(-5, 7, 100, 50);
  store.RecordForm(a.Bind("MainPanel"));
  store.RecordForm(b.Bind("Mx_Reg2"));
  EXPECT_EQ(store.Serialize(),
            "1.10\r\n2\r\nMainPanel\r\n    1    2  640  480    1    1\r\n"
            "Mx_Reg2\r\n   -5    7  100   50    0    0\r\n");
  TRestoreWin again("/nonexistent/prog");
  again.Parse(store.Serialize());
  ASSERT_EQ(again.PlacementCount(), 2);
  EXPECT_EQ(again.PlacementTable[0].WindowState, 2);
  EXPECT_EQ(again.PlacementTable[0].Shown, 1);
  EXPECT_EQ(again.PlacementTable[1].Left, -5);
  EXPECT_EQ(store.PlacementFile(), "/nonexistent/prog.wst");
  store.ExtName = "";
  EXPECT_EQ(store.PlacementFile(), "/nonexistent/prog.wst");
}

TEST(PlacementStore, WideAndNegativeNumbersStaySeparate) {
  // Numbers that fill the five places or more get a blank before them; the others
  // keep the right-aligned form.
  TRestoreWin store("/x");
  FakeWindow a;
  a.rect = QRect(-1920, -1080, 10428, 768);
  store.RecordForm(a.Bind("MainPanel"));
  EXPECT_EQ(store.Serialize(), "1.10\r\n1\r\nMainPanel\r\n -1920 -1080 10428  768    0    0\r\n");

  const QRect cases[] = {{-1920, -1080, 1920, 1080}, {10428, 20000, 99999, 12345}, {-9999, 9999, -10000, 0},
                         {-1000000, -2000000, 1000000, 2000000}, {0, 0, 0, 0}};
  TRestoreWin written("/x");
  std::vector<FakeWindow> windows(std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    windows[i].rect = cases[i];
    windows[i].state = static_cast<uint8_t>(i % 3);
    windows[i].visible = i % 2;
    written.RecordForm(windows[i].Bind(QString("W%1").arg(i)));
  }
  TRestoreWin read("/x");
  read.Parse(written.Serialize());
  ASSERT_EQ(read.PlacementCount(), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const TRestoreWin::Node& n = read.PlacementTable[static_cast<int>(i)];
    EXPECT_EQ(n.Left, cases[i].left()) << i;
    EXPECT_EQ(n.Top, cases[i].top()) << i;
    EXPECT_EQ(n.Width, cases[i].width()) << i;
    EXPECT_EQ(n.Height, cases[i].height()) << i;
    EXPECT_EQ(n.WindowState, i % 3) << i;
    EXPECT_EQ(n.Shown, i % 2) << i;
  }
}

TEST(PlacementStore, BadFilesAreReadAsFarAsTheyGo) {
  struct Case {
    const char* what;
    QByteArray content;
    int entries;
  };
  QByteArray many = "1.10\r\n55\r\n";
  for (int i = 0; i < 55; ++i) many += "W" + QByteArray::number(i) + "\r\n 0 0 10 10 0 0\r\n";
  const Case cases[] = {
      {"wrong version", "1.11\r\n1\r\nA\r\n 1 2 3 4 0 0\r\n", 0},
      {"count above the capacity", many, 40},
      {"short file", "1.10\r\n3\r\nA\r\n 1 2 3 4 0 0\r\nB\r\n", 1},
      {"not a number", "1.10\r\n2\r\nA\r\n 1 x 3 4 0 0\r\nB\r\n 1 2 3 4 0 0\r\n", 0},
      {"empty", "", 0},
  };
  for (const Case& c : cases) {
    TRestoreWin store("/x");
    store.Parse(c.content);
    EXPECT_EQ(store.PlacementCount(), c.entries) << c.what;
  }
}

TEST(PlacementStore, ApplyHonoursPositionModeSizeAndScreen) {
  TRestoreWin store("/x");
  store.ScreenSize = [] { return QSize(800, 600); };
  store.Parse("1.10\r\n3\r\nA\r\n  900  100 1000  200    0    1\r\nB\r\n   30   40   50   60    1    0\r\n"
              "C\r\n    5    5    5    5    0    0\r\n");
  FakeWindow a, b, c;
  auto wa = a.Bind("A");
  auto wb = b.Bind("B");
  auto wc = c.Bind("C");
  wc.designedPosition = false;
  store.ApplyToForm(wa);
  EXPECT_EQ(a.rect, QRect(0, 100, 800, 200));  // fitted to the screen
  EXPECT_EQ(a.shows, 1);
  store.ApplyToForm(wb);
  EXPECT_EQ(b.state, 2);  // state 1 in the file is maximized
  EXPECT_EQ(b.rect, QRect(30, 40, 50, 60));
  EXPECT_EQ(b.shows, 0);
  store.ApplyToForm(wc);
  EXPECT_EQ(c.rect, QRect(10, 20, 300, 200));  // keeps the toolkit's placement
  // Entries of windows that no longer exist are written again.
  store.Windows = {wa};
  EXPECT_TRUE(store.Serialize().contains("\r\nC\r\n"));
}

}  // namespace
