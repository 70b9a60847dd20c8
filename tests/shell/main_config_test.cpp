// The text form of the main configuration file "MxADC.cfg".
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/text_encoding.h"
#include "shell/main_config.h"

namespace {

TEST(MainConfigText, FixedWidthsAndBooleans) {
  MainConfig c;
  c.ProductIndex = 0;
  c.LinkKind = 5;
  c.NPointIndex = -1;
  c.DmmCalValue = 500000;
  c.DmmCalReading = 50000;
  c.ConfigFlags[2] = true;
  QStringList l = FormatMainConfig("Cap", c);
  ASSERT_EQ(l.size(), 29);
  EXPECT_EQ(l[1], "   0   5   0   0   0");
  EXPECT_EQ(l[4], "TRUE");
  EXPECT_EQ(l[12], "  -1   0");
  EXPECT_EQ(l[16], "  500000   50000");
}

// Numbers as wide as their field, or wider, stay separate words, and the file reads
// back to the same values.
TEST(MainConfigText, WideNumbersReadBack) {
  MainConfig c;
  c.ProductIndex = 0;
  c.LinkKind = 25712;
  c.UartComIndex = 1234;
  c.NPointIndex = -100;
  c.DmmCalValue = 12345678;
  c.DmmCalReading = -2147483647;
  c.EGv = 999999;
  c.ChTemper = 1;
  const QStringList l = FormatMainConfig("Cap", c);
  EXPECT_EQ(l[1], "   0 25712 1234   0   0");
  EXPECT_EQ(l[12], " -100   0");
  EXPECT_EQ(l[16], " 12345678 -2147483647");
  EXPECT_EQ(l[25], " 999999     1");

  QTemporaryDir dir;
  const QString path = dir.filePath("MxADC.cfg");
  WriteTextLines(path, l);
  MainConfig back;
  ASSERT_TRUE(ReadMainConfig(path, "Cap", back, {}));
  EXPECT_EQ(back.LinkKind, 25712);
  EXPECT_EQ(back.UartComIndex, 1234);
  EXPECT_EQ(back.UartBaudIndex, 0);
  EXPECT_EQ(back.NPointIndex, -100);
  EXPECT_EQ(back.TXScale, 0);
  EXPECT_EQ(back.DmmCalValue, 12345678);
  EXPECT_EQ(back.DmmCalReading, -2147483647);
  EXPECT_EQ(back.EGv, 999999);
  EXPECT_EQ(back.ChTemper, 1);
  EXPECT_EQ(FormatMainConfig("Cap", back), l);
}

}  // namespace
