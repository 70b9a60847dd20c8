#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/serial_port_map.h"
#include "support/fifos_in_place.h"

TEST(ComPortNumber, NamesOneToSixteen) {
  const std::pair<const char*, int> cases[] = {
      {"COM1", 1}, {"COM16", 16}, {"com7", 7}, {"COM0", 0},  {"COM17", 0}, {"COM01", 0},
      {"COM", 0},  {"LPT1", 0},   {"COM1 ", 0}, {"COMX", 0}, {"", 0}};
  for (const auto& [name, n] : cases) EXPECT_EQ(ComPortNumber(name), n) << name;
}

TEST(ComPortMap, DefaultsToTtyS) {
  ComPortMap map;
  EXPECT_EQ(map.Path("COM1"), "/dev/ttyS0");
  EXPECT_EQ(map.Path(16), "/dev/ttyS15");
  EXPECT_EQ(map.Path(17), "");
  EXPECT_EQ(map.Path("LPT1"), "");
}

TEST(ComPortMap, FileOverridesSomePorts) {
  QTemporaryDir dir;
  ComPortMap map;
  EXPECT_FALSE(map.Load(dir.path()));  // no file: defaults stay
  EXPECT_EQ(map.Path(3), "/dev/ttyS2");

  QFile f(dir.filePath("MxComPorts.cfg"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("COM3 /dev/ttyUSB0\r\n"
          "com4\t \t/dev/serial/by-id/usb adapter 1\r\n"
          "COM17 /dev/ttyUSB9\n"
          "COM5\n"
          "; COM6 /dev/ttyUSB6\n"
          "\n"
          "COM3 /dev/ttyUSB1");  // a later line wins; no line end at the end
  f.close();

  ASSERT_TRUE(map.Load(dir.path()));
  EXPECT_EQ(map.Path(3), "/dev/ttyUSB1");
  EXPECT_EQ(map.Path(4), "/dev/serial/by-id/usb adapter 1");
  EXPECT_EQ(map.Path(5), "/dev/ttyS4");
  EXPECT_EQ(map.Path(6), "/dev/ttyS5");
}

// A map file that cannot be read, a folder or a FIFO in its place, leaves the
// defaults; the FIFO is not waited on.
TEST(ComPortMap, UnreadableFileLeavesTheDefaults) {
  QTemporaryDir dir;
  const QString file = dir.filePath("MxComPorts.cfg");
  ComPortMap map;
  ASSERT_TRUE(QDir().mkdir(file));
  EXPECT_FALSE(map.Load(dir.path()));
  EXPECT_EQ(map.Path(3), "/dev/ttyS2");
  ASSERT_TRUE(QDir().rmdir(file));

  FifosInPlace fifo({file});
  ASSERT_TRUE(fifo.Made());
  EXPECT_FALSE(map.Load(dir.path()));
  EXPECT_EQ(map.Path(3), "/dev/ttyS2");
  EXPECT_FALSE(fifo.Freed());
}
