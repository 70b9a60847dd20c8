// RealUsbServices and the transport on boards emulated below libusb and hidapi.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <hidapi.h>
#include <libusb.h>
#include <umockdev.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/globals.h"
#include "emulated_usb/emulated_boards.h"
#include "link/usb_transport.h"
#include "platform/real_usb.h"
#include "sim/sim_board.h"

namespace {
int hidEnumerations = 0;
}

// Counts the enumerations of HID devices the program asks hidapi for.
extern "C" hid_device_info* hid_enumerate(unsigned short vendor, unsigned short product) {
  using Enumerate = hid_device_info* (*)(unsigned short, unsigned short);
  static const auto real = reinterpret_cast<Enumerate>(dlsym(RTLD_NEXT, "hid_enumerate"));
  ++hidEnumerations;
  return real(vendor, product);
}

namespace {

using Bytes = std::vector<uint8_t>;
using Kind = EmulatedBoards::Kind;

class RealUsb : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(umockdev_in_mock_environment()) << "the emulated boards need umockdev-wrapper";
    board.recordPackets = true;
    usb = std::make_unique<RealUsbServices>();
  }

  // One command out and the reply into `reply` (`length` bytes asked for) on the
  // driver path, as the transport moves them.
  bool Exchange(Handle h, const Bytes& command, uint8_t* reply, size_t length, uint32_t& returned) {
    uint32_t pipe = 1, moved = 0;
    Bytes out = command;
    if (!usb->DeviceIoControl(h, IOCTL_BULK_WRITE, reinterpret_cast<uint8_t*>(&pipe), 4, out.data(), out.size(),
                              &moved))
      return false;
    pipe = 0;
    return usb->DeviceIoControl(h, IOCTL_BULK_READ, reinterpret_cast<uint8_t*>(&pipe), 4, reply, length, &returned);
  }
  // The board kind word of F9 02 through a fresh read.
  uint16_t BoardKindWord(Handle h) {
    uint8_t reply[8] = {};
    uint32_t n = 0;
    EXPECT_TRUE(Exchange(h, {0xF9, 0x02, 0x00, 0x00}, reply, sizeof reply, n));
    EXPECT_EQ(n, 8u);
    return static_cast<uint16_t>(reply[0] | reply[1] << 8);
  }

  SimBoard board;
  EmulatedBoards boards{board};
  std::unique_ptr<RealUsbServices> usb;
};

TEST_F(RealUsb, DriverBoardIsFoundWithItsEndpoints) {
  EXPECT_EQ(usb->OpenDriverDevice("Mxusb-0"), InvalidHandle);
  boards.Plug(Kind::Driver);
  EXPECT_EQ(usb->OpenDriverDevice("Mxusb-1"), InvalidHandle);
  Handle h = usb->OpenDriverDevice("Mxusb-0");
  ASSERT_TRUE(HandleValid(h));
  uint8_t info[340];
  uint32_t n = 0;
  ASSERT_TRUE(usb->DeviceIoControl(h, IOCTL_GET_DEVICE_DESCRIPTOR, info, 6, info, 6, &n));
  EXPECT_EQ(Bytes(info, info + 6), (Bytes{0x47, 0x05, 0x04, 0x10, 0x00, 0x01}));
  ASSERT_TRUE(usb->DeviceIoControl(h, IOCTL_GET_PIPE_INFO, nullptr, 0, info, sizeof info, &n));
  EXPECT_EQ(Bytes(info, info + 4), (Bytes{64, 0, 0x81, 2}));  // pipe 0: bulk IN
  EXPECT_EQ(Bytes(info + 20, info + 24), (Bytes{64, 0, 0x02, 2}));  // pipe 1: bulk OUT
  EXPECT_EQ(BoardKindWord(h), 0xFFFF);
  EXPECT_TRUE(usb->CloseHandle(h));
}

// Whatever the length of the board's packet, the caller gets at most the bytes it
// asked for, the rest of its buffer untouched, and the next reply is the next command's.
TEST_F(RealUsb, DriverRepliesOfAnyLengthFitTheRead) {
  struct Case {
    const char* what;
    bool fullPackets;
    int emptyReplies;
    size_t delivered;
  } cases[] = {
      {"a packet as long as the reply", false, 0, 8},
      {"a whole 64-byte packet to an 8-byte read", true, 0, 8},
      {"a zero-length packet", false, 1, 0},
  };
  boards.Plug(Kind::Driver);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boards.fullPackets = c.fullPackets;
    boards.emptyReplies = c.emptyReplies;
    Handle h = usb->OpenDriverDevice("Mxusb-0");
    ASSERT_TRUE(HandleValid(h));
    uint8_t reply[16];
    std::memset(reply, 0xEE, sizeof reply);
    uint32_t n = 99;
    ASSERT_TRUE(Exchange(h, {0xF9, 0xAC}, reply, 8, n));  // the firmware's name
    EXPECT_EQ(n, c.delivered);
    EXPECT_EQ(std::string(reply, reply + n), std::string("Velmoran", c.delivered));
    EXPECT_EQ(Bytes(reply + n, reply + sizeof reply), Bytes(sizeof reply - n, 0xEE));
    EXPECT_EQ(BoardKindWord(h), 0xFFFF);
    EXPECT_EQ(boards.WaitingReplies(), 0u);
    usb->CloseHandle(h);
  }
}

// A reply that comes after the read gave up waits in the board; opening the device
// again reads it away, so the next command gets its own reply.
TEST_F(RealUsb, OpeningDrainsRepliesThatCameTooLate) {
  boards.Plug(Kind::Driver);
  Handle h = usb->OpenDriverDevice("Mxusb-0");
  ASSERT_TRUE(HandleValid(h));
  boards.lateReplies = 1;
  uint8_t reply[8] = {};
  uint32_t n = 0;
  EXPECT_FALSE(Exchange(h, {0xF9, 0xAC}, reply, sizeof reply, n));
  EXPECT_EQ(usb->GetLastError(), 121u);  // the semaphore time-out
  EXPECT_EQ(boards.WaitingReplies(), 1u);
  usb->CloseHandle(h);

  h = usb->OpenDriverDevice("Mxusb-0");
  ASSERT_TRUE(HandleValid(h));
  EXPECT_EQ(boards.WaitingReplies(), 0u);
  EXPECT_EQ(BoardKindWord(h), 0xFFFF);
  usb->CloseHandle(h);
}

// A packet went out only when the library reports every byte of it moved: a bulk
// transfer that completed or timed out after its last byte, a report hid_write wrote
// whole. The library calls give the codes and counts here; the boards are emulated
// only to be opened.
TEST_F(RealUsb, APacketWentOutOnlyWhenTheLibraryMovedEveryByte) {
  struct Bulk {
    const char* what;
    int rc;
    int moved;
    bool sent;
    uint32_t error;  // GetLastError after a failed write
  } bulk[] = {
      {"completed", 0, 8, true, 0},
      {"completed one byte short", 0, 7, false, 31},
      {"completed with nothing moved", 0, 0, false, 31},
      {"timed out after every byte", LIBUSB_ERROR_TIMEOUT, 8, true, 0},
      {"timed out part-way", LIBUSB_ERROR_TIMEOUT, 5, false, 121},
      {"timed out with nothing moved", LIBUSB_ERROR_TIMEOUT, 0, false, 121},
      {"stalled", LIBUSB_ERROR_PIPE, 0, false, 31},
      {"failed after every byte", LIBUSB_ERROR_IO, 8, false, 31},
      {"device gone after every byte", LIBUSB_ERROR_NO_DEVICE, 8, false, 31},
  };
  const Bulk* current = nullptr;
  int asked = -1;
  UsbOutCalls calls;
  calls.bulk = [&](libusb_device_handle*, unsigned char endpoint, unsigned char*, int length, int* transferred,
                   unsigned int timeoutMs) {
    EXPECT_EQ(endpoint, 0x02);
    EXPECT_EQ(timeoutMs, static_cast<unsigned>(UsbTransferTimeoutMs));
    asked = length;
    *transferred = current->moved;
    return current->rc;
  };
  usb = std::make_unique<RealUsbServices>(calls);
  boards.Plug(Kind::Driver);
  Handle h = usb->OpenDriverDevice("Mxusb-0");
  ASSERT_TRUE(HandleValid(h));
  for (const Bulk& c : bulk) {
    SCOPED_TRACE(c.what);
    current = &c;
    uint8_t packet[8] = {0xC4, 0x00, 0xA0, 0x20, 0x01, 0x00, 0x00, 0x5A};
    uint32_t pipe = 1, returned = 99;
    EXPECT_EQ(usb->DeviceIoControl(h, IOCTL_BULK_WRITE, reinterpret_cast<uint8_t*>(&pipe), 4, packet, sizeof packet,
                                   &returned),
              c.sent);
    EXPECT_EQ(asked, 8);
    EXPECT_EQ(returned, static_cast<uint32_t>(c.moved));
    if (!c.sent) {
      EXPECT_EQ(usb->GetLastError(), c.error);
    }
  }
  usb->CloseHandle(h);

  struct Hid {
    const char* what;
    int written;
    bool sent;
  } hid[] = {
      {"the whole report", 65, true},
      {"all but its last byte", 64, false},
      {"nothing", 0, false},
      {"an error", -1, false},
  };
  const Hid* now = nullptr;
  calls.hidWrite = [&](hid_device_*, const unsigned char*, size_t length) {
    EXPECT_EQ(length, 65u);
    return now->written;
  };
  usb = std::make_unique<RealUsbServices>(calls);
  boards.Plug(Kind::Hid);
  uint8_t found = 0;
  h = usb->Hid_GetDeviceH(found, 0);
  ASSERT_TRUE(found);
  for (const Hid& c : hid) {
    SCOPED_TRACE(c.what);
    now = &c;
    uint8_t report[65] = {0x00, 0xF9, 0xAC};
    EXPECT_EQ(usb->WriteFile(h, report, sizeof report), c.sent);
    if (!c.sent) {
      EXPECT_EQ(usb->GetLastError(), 31u);
    }
  }
  usb->CloseHandle(h);
}

// The same through the emulated endpoints: an OUT URB that completes short, or is
// never acknowledged and reports on the host's time-out what moved, and a hidraw write
// that takes part of the report. Only a packet that moved whole reached the firmware,
// and its reply is the next read's.
TEST_F(RealUsb, EmulatedPacketsThatDidNotMoveWholeDidNotGoOut) {
  struct Case {
    const char* what;
    Kind kind;
    int shortWrites;
    int unacknowledgedMoved;  // bytes the unacknowledged packet moved (-1 all; -2 acknowledged)
    bool sent;
    uint32_t error;
  } cases[] = {
      {"driver packet cut short", Kind::Driver, 1, -2, false, 31},
      {"driver packet unacknowledged, every byte moved", Kind::Driver, 0, -1, true, 0},
      {"driver packet unacknowledged, part moved", Kind::Driver, 0, 1, false, 121},
      {"driver packet unacknowledged, nothing moved", Kind::Driver, 0, 0, false, 121},
      {"HID report cut short", Kind::Hid, 1, -2, false, 31},
  };
  boards.Plug(Kind::Driver);
  boards.Plug(Kind::Hid);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    board.ClearLog();
    boards.shortWrites = c.shortWrites;
    boards.unacknowledgedWrites = c.unacknowledgedMoved == -2 ? 0 : 1;
    boards.unacknowledgedMoved = c.unacknowledgedMoved;
    uint8_t reply[65] = {};
    if (c.kind == Kind::Driver) {
      Handle h = usb->OpenDriverDevice("Mxusb-0");
      ASSERT_TRUE(HandleValid(h));
      uint8_t command[2] = {0xF9, 0xAC};
      uint32_t pipe = 1, n = 0;
      EXPECT_EQ(usb->DeviceIoControl(h, IOCTL_BULK_WRITE, reinterpret_cast<uint8_t*>(&pipe), 4, command,
                                     sizeof command, &n),
                c.sent);
      if (!c.sent) {
      EXPECT_EQ(usb->GetLastError(), c.error);
    }
      EXPECT_EQ(board.Sent().size(), c.sent ? 1u : 0u);
      EXPECT_EQ(boards.WaitingReplies(), c.sent ? 1u : 0u);
      if (c.sent) {
        pipe = 0;
        ASSERT_TRUE(usb->DeviceIoControl(h, IOCTL_BULK_READ, reinterpret_cast<uint8_t*>(&pipe), 4, reply, 8, &n));
        EXPECT_EQ(std::string(reply, reply + n), "Velmoran");
      }
      EXPECT_EQ(BoardKindWord(h), 0xFFFF);  // the next exchange is whole again
      usb->CloseHandle(h);
    } else {
      uint8_t found = 0;
      Handle h = usb->Hid_GetDeviceH(found, 0);
      ASSERT_TRUE(found);
      uint8_t report[65] = {0x00, 0xF9, 0xAC};
      EXPECT_EQ(usb->WriteFile(h, report, sizeof report), c.sent);
      if (!c.sent) {
      EXPECT_EQ(usb->GetLastError(), c.error);
    }
      EXPECT_TRUE(board.Sent().empty());
      size_t got = 0;
      EXPECT_FALSE(usb->ReadFile(h, reply, sizeof reply, got));  // no reply to a command never taken
      usb->CloseHandle(h);
    }
  }
}

// A scan of the 128 HID indexes enumerates the system's HID devices once.
TEST_F(RealUsb, AScanEnumeratesHidDevicesOnce) {
  Globals g;
  UsbTransport t{*usb, g};
  Devc& d = g.Channels[0].Devc;
  struct Step {
    const char* what;
    void (EmulatedBoards::*change)(Kind);
    bool found;
  } steps[] = {
      {"no board", nullptr, false},
      {"a HID board", &EmulatedBoards::Plug, true},
      {"the board unplugged", &EmulatedBoards::Unplug, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    if (s.change) (boards.*s.change)(Kind::Hid);
    hidEnumerations = 0;
    EXPECT_EQ(t.OpenDevice(d), s.found);
    EXPECT_EQ(hidEnumerations, 1);
    EXPECT_EQ(d.Opened, s.found ? 1 : 0);
  }
}

TEST_F(RealUsb, HidBoardAnswersThroughHidraw) {
  boards.Plug(Kind::Hid);
  uint8_t found = 0;
  Handle h = usb->Hid_GetDeviceH(found, 0);
  ASSERT_TRUE(found);
  uint16_t in = 0, out = 0, attributes[3] = {};
  uint8_t scratch[256];
  ASSERT_TRUE(usb->Hid_Get_att(h, in, out, attributes, scratch));
  EXPECT_EQ(in, 65);
  EXPECT_EQ(out, 65);
  EXPECT_EQ(attributes[0], 0x04D8);
  EXPECT_EQ(attributes[1], 0x2008);
  EXPECT_EQ(attributes[2], 0x0727);
  uint8_t report[65] = {0x00, 0xF9, 0xAC};
  ASSERT_TRUE(usb->WriteFile(h, report, sizeof report));
  std::memset(report, 0xEE, sizeof report);
  size_t got = 0;
  ASSERT_TRUE(usb->ReadFile(h, report, sizeof report, got));
  EXPECT_EQ(got, 65u);
  EXPECT_EQ(report[0], 0x00);  // the report id of an unnumbered report
  EXPECT_EQ(std::string(report + 1, report + 9), "Velmoran");
  // A report the board cut short comes with the bytes it holds and their count.
  board.Arm(BoardFault::ShortReply, {.bytes = 3});
  report[1] = 0xF9;
  report[2] = 0xAC;
  ASSERT_TRUE(usb->WriteFile(h, report, sizeof report));
  std::memset(report, 0xEE, sizeof report);
  ASSERT_TRUE(usb->ReadFile(h, report, sizeof report, got));
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::string(report + 1, report + 4), "Vel");
  EXPECT_EQ(report[4], 0xEE);  // nothing is made up past them
  // Nothing more was sent: a read waits its time-out and fails.
  EXPECT_FALSE(usb->ReadFile(h, report, sizeof report, got));
  EXPECT_EQ(usb->GetLastError(), 121u);
  EXPECT_EQ(usb->Hid_GetDeviceH(found, 1), InvalidHandle);
  EXPECT_EQ(found, 0);
  usb->CloseHandle(h);
}

}  // namespace
