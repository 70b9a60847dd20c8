// The program folder's serial port map file read into a port map.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/serial_port_file.h"
#include "support/fifos_in_place.h"

TEST(LoadComPortMap, FileOverridesSomePorts) {
  QTemporaryDir dir;
  ComPortMap map;
  EXPECT_FALSE(LoadComPortMap(map, dir.path()));  // no file: defaults stay
  EXPECT_EQ(map.Path(3), "/dev/ttyS2");

  QFile f(dir.filePath("MxComPorts.cfg"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("COM3 /dev/ttyUSB0\r\n"
          "com4\t/dev/ttyUSB4");
  f.close();

  ASSERT_TRUE(LoadComPortMap(map, dir.path()));
  EXPECT_EQ(map.Path(3), "/dev/ttyUSB0");
  EXPECT_EQ(map.Path(4), "/dev/ttyUSB4");
  EXPECT_EQ(map.Path(5), "/dev/ttyS4");
}

// A map file that cannot be read, a folder or a FIFO in its place, leaves the
// map as it was; the FIFO is not waited on.
TEST(LoadComPortMap, UnreadableFileChangesNothing) {
  QTemporaryDir dir;
  const QString file = dir.filePath("MxComPorts.cfg");
  ComPortMap map;
  map.Set(3, "/dev/ttyUSB3");
  ASSERT_TRUE(QDir().mkdir(file));
  EXPECT_FALSE(LoadComPortMap(map, dir.path()));
  EXPECT_EQ(map.Path(3), "/dev/ttyUSB3");
  EXPECT_EQ(map.Path(4), "/dev/ttyS3");
  ASSERT_TRUE(QDir().rmdir(file));

  FifosInPlace fifo({file});
  ASSERT_TRUE(fifo.Made());
  EXPECT_FALSE(LoadComPortMap(map, dir.path()));
  EXPECT_EQ(map.Path(3), "/dev/ttyUSB3");
  EXPECT_FALSE(fifo.Freed());
}
