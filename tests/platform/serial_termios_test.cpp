// The termios serial layer on pseudo-terminals standing in for serial devices.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <termios.h>

#include "platform/serial_termios.h"
#include "sim/sim_pty.h"

namespace {

class TermiosSerial : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    serial.PortMap().Set(5, pty.SlavePath());
  }
  SimPty pty;
  TermiosSerialServices serial;
};

}  // namespace

TEST_F(TermiosSerial, OpenIsUnshared) {
  const int h = serial.Open("COM5");
  ASSERT_TRUE(SerialHandleValid(h));
  EXPECT_EQ(serial.Open("COM5"), InvalidSerialHandle);

  // The same device under another name, or through another service, is refused too.
  serial.PortMap().Set(6, pty.SlavePath());
  EXPECT_EQ(serial.Open("COM6"), InvalidSerialHandle);
  TermiosSerialServices other;
  other.PortMap().Set(1, pty.SlavePath());
  EXPECT_EQ(other.Open("COM1"), InvalidSerialHandle);

  EXPECT_TRUE(serial.Close(h));
  EXPECT_FALSE(serial.Close(h));
  const int again = serial.Open("COM5");
  EXPECT_TRUE(SerialHandleValid(again));
  EXPECT_NE(again, 0);
}

TEST_F(TermiosSerial, AbsentOrForeignDevicesAreNotFound) {
  QTemporaryDir dir;
  serial.PortMap().Set(1, dir.filePath("no-such-device"));
  serial.PortMap().Set(2, "/dev/null");  // opens, but is not a serial device
  serial.PortMap().Set(3, "");
  for (const char* name : {"COM1", "COM2", "COM3", "COM17", "LPT1"})
    EXPECT_EQ(serial.Open(name), InvalidSerialHandle) << name;
}

TEST_F(TermiosSerial, PortMapLinesReachTheDevice) {
  TermiosSerialServices fromLines;
  fromLines.PortMap().Apply("COM9 " + QFile::encodeName(pty.SlavePath()) + "\r\n");
  const int h = fromLines.Open("COM9");
  ASSERT_TRUE(SerialHandleValid(h));
  uint32_t written = 0;
  EXPECT_TRUE(fromLines.WriteFile(h, reinterpret_cast<const uint8_t*>("ping"), 4, written));
  EXPECT_EQ(pty.Read(4), "ping");
}

TEST_F(TermiosSerial, LineSettingsAreWrittenAndReadBack) {
  const int h = serial.Open("COM5");
  ASSERT_TRUE(SerialHandleValid(h));
  for (uint32_t baud : {300u, 600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u})
    for (uint8_t stop : {OneStopBit, TwoStopBits}) {
      // A pty keeps the rate and stop bits; it carries no parity (see the termios test below).
      const LineSettings want{baud, 8, NoParity, stop};
      ASSERT_TRUE(serial.SetCommState(h, want));
      LineSettings got{0, 0, 9, 9};
      ASSERT_TRUE(serial.GetCommState(h, got));
      EXPECT_EQ(got, want) << baud << " " << int(stop);
    }

  const LineSettings before{9600, 8, NoParity, TwoStopBits};
  ASSERT_TRUE(serial.SetCommState(h, before));
  const LineSettings refused[] = {{110, 8, 0, 0}, {230400, 8, 0, 0}, {0, 8, 0, 0},
                                  {9600, 7, 0, 0}, {9600, 8, 3, 0},  {9600, 8, 0, 1}};
  for (const auto& s : refused) EXPECT_FALSE(serial.SetCommState(h, s)) << s.BaudRate;
  LineSettings got;
  ASSERT_TRUE(serial.GetCommState(h, got));
  EXPECT_EQ(got, before);

  EXPECT_FALSE(serial.SetCommState(InvalidSerialHandle, before));
  EXPECT_FALSE(serial.GetCommState(0, got));
}

TEST(TermiosLineSettings, ParityAndRawMode) {
  for (uint8_t parity : {NoParity, OddParity, EvenParity}) {
    termios t{};
    t.c_lflag = ICANON | ECHO;
    t.c_oflag = OPOST;
    t.c_iflag = ICRNL;
    const LineSettings want{19200, 8, parity, TwoStopBits};
    ASSERT_TRUE(ApplyLineSettings(t, want));
    EXPECT_EQ(ReadLineSettings(t), want);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & ICRNL, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
  }
}

TEST_F(TermiosSerial, BytesWaitingReadAndWrite) {
  const int h = serial.Open("COM5");
  ASSERT_TRUE(SerialHandleValid(h));
  uint32_t errors = 1;
  ComStat stat;
  ASSERT_TRUE(serial.ClearCommError(h, errors, stat));
  EXPECT_EQ(stat.InQue, 0u);
  EXPECT_EQ(errors, 0u);

  ASSERT_EQ(pty.Write(QByteArray("\x10\x02\r\nabc", 7)), 7);
  ASSERT_TRUE(serial.ClearCommError(h, errors, stat));
  EXPECT_EQ(stat.InQue, 7u);  // raw: nothing translated or held back for a line end

  uint8_t buf[16] = {};
  uint32_t read = 0;
  ASSERT_TRUE(serial.ReadFile(h, buf, 4, read));
  EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buf), read), QByteArray("\x10\x02\r\n", 4));
  // Asking for more than waits takes what waits, without waiting.
  ASSERT_TRUE(serial.ReadFile(h, buf, 16, read));
  EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buf), read), "abc");
  ASSERT_TRUE(serial.ReadFile(h, buf, 16, read));
  EXPECT_EQ(read, 0u);

  uint32_t written = 0;
  ASSERT_TRUE(serial.WriteFile(h, reinterpret_cast<const uint8_t*>("\n\rX"), 3, written));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(pty.Read(3), "\n\rX");

  EXPECT_FALSE(serial.ClearCommError(InvalidSerialHandle, errors, stat));
  EXPECT_EQ(stat.InQue, 0u);
  EXPECT_FALSE(serial.ReadFile(0, buf, 1, read));
  EXPECT_FALSE(serial.WriteFile(12345, buf, 1, written));
  EXPECT_FALSE(serial.EscapeCommFunction(h, 7));
  EXPECT_FALSE(serial.EscapeCommFunction(InvalidSerialHandle, SETRTS));
}
