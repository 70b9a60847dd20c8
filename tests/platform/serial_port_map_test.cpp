#include <gtest/gtest.h>

#include "platform/serial_port_map.h"

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

TEST(ComPortMap, LinesOverrideSomePorts) {
  ComPortMap map;
  map.Apply("COM3 /dev/ttyUSB0\r\n"
            "com4\t \t/dev/serial/by-id/usb adapter 1\r\n"
            "COM17 /dev/ttyUSB9\n"
            "COM5\n"
            "; COM6 /dev/ttyUSB6\n"
            "\n"
            "COM3 /dev/ttyUSB1");  // a later line wins; no line end at the end
  EXPECT_EQ(map.Path(3), "/dev/ttyUSB1");
  EXPECT_EQ(map.Path(4), "/dev/serial/by-id/usb adapter 1");
  EXPECT_EQ(map.Path(5), "/dev/ttyS4");
  EXPECT_EQ(map.Path(6), "/dev/ttyS5");
}
