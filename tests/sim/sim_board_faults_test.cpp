// The simulated board's faults, armed by name: which commands of a run they hit and
// how, on a driver board and on a HID board.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/sim_board.h"

namespace {

using Kind = SimBoard::Kind;

constexpr int kCommands = 6;
constexpr int kRegisters = 8;  // read by each command

// Command i (1-based) reads registers 10h * i on; each holds a value of its own, none 0.
uint8_t Value(int command, int j) { return static_cast<uint8_t>(0x10 * command + j + 1); }

class BoardFaults : public ::testing::Test {
protected:
  void SetUp() override {
    board.chip.ImplementEveryBit();
    for (int i = 1; i <= kCommands + 1; ++i)
      for (int j = 0; j < kRegisters; ++j) board.chip.Poke(0x10 * i + j, Value(i, j));
    board.afterCommand = [this](const std::vector<uint8_t>&) { ++ran; };
  }
  void UseKind(Kind kind) {
    kind_ = kind;
    board.devices.clear();
    if (kind == Kind::Driver)
      board.AddDriverBoard(0);
    else
      board.AddHidBoard(0);
  }

  // Runs commands first..last as the link does: the device opened when it is not, one
  // packet out, one reply in, and the device closed after any failure (unless `reopen`
  // is false). One letter a command:
  //   .  its own reply, whole
  //   2  its own reply, cut to that many bytes (a HID report too: its count says so)
  //   w  its packet's transfer fails (error 31)    r  its reply's transfer fails
  //   t  the read times out (error 121)             u  no device (error 1167, or none found)
  //   p  an earlier command's reply comes
  std::string Run(int first = 1, int last = kCommands, bool reopen = true) {
    std::string out;
    for (int i = first; i <= last; ++i) {
      if (!HandleValid(h_) && !Open()) {
        out += 'u';
        continue;
      }
      const char c = Exchange(i);
      out += c;
      if (reopen && c != '.' && !(c >= '0' && c <= '9') && c != 'p') Close();
    }
    return out;
  }
  bool Open() {
    if (kind_ == Kind::Driver) {
      h_ = board.OpenDriverDevice("Mxusb-0");
    } else {
      uint8_t found = 0;
      h_ = board.Hid_GetDeviceH(found, 0);
    }
    return HandleValid(h_);
  }
  void Close() {
    if (HandleValid(h_)) board.CloseHandle(h_);
    h_ = InvalidHandle;
  }

  SimBoard board;
  int ran = 0;  // commands the firmware took

private:
  // The letter of a failed transfer: `failed` where the transfer itself failed.
  char Failure(char failed) {
    switch (board.GetLastError()) {
      case 31: return failed;
      case 121: return 't';
      case 1167: return 'u';
    }
    return '?';
  }
  char Exchange(int i) {
    uint8_t cmd[64] = {0xC4, 0x01, 0xA0, static_cast<uint8_t>(0x10 * i), kRegisters};
    uint8_t reply[65] = {};
    size_t got = 0;
    if (kind_ == Kind::Driver) {
      const uint8_t pipeOut[4] = {1, 0, 0, 0}, pipeIn[4] = {};
      uint32_t moved = 0;
      if (!board.DeviceIoControl(h_, IOCTL_BULK_WRITE, pipeOut, 4, cmd, sizeof cmd, &moved))
        return Failure('w');
      if (!board.DeviceIoControl(h_, IOCTL_BULK_READ, pipeIn, 4, reply + 1, 64, &moved))
        return Failure('r');
      got = moved;
    } else {
      uint8_t report[65] = {};
      std::copy(std::begin(cmd), std::end(cmd), report + 1);
      if (!board.WriteFile(h_, report, sizeof report)) return Failure('w');
      if (!board.ReadFile(h_, reply, sizeof reply, got)) return Failure('r');
      if (got < 1 || reply[0] != 0) return '?';
      --got;  // the report's id byte
    }
    const uint8_t* r = reply + 1;
    if (got > 1 && r[1] != Value(i, 0)) return 'p';
    for (size_t b = 1; b < got && b <= kRegisters; ++b)
      if (r[b] != Value(i, static_cast<int>(b) - 1)) return '?';
    if (got > 0 && r[0] != 0xFA) return '?';
    if (got > kRegisters) return '.';
    return static_cast<char>('0' + got);
  }

  Kind kind_ = Kind::Driver;
  Handle h_ = InvalidHandle;
};

constexpr int Forever = FaultSpan::UntilCleared;

// Each fault armed after N, lasting M, over six commands: what each command gets, on
// either kind of board, and how many commands the firmware took.
TEST_F(BoardFaults, EachHitsTheCommandsItWasArmedFor) {
  struct Case {
    const char* what;
    BoardFault fault;
    FaultSpan span;
    const char* driver;
    const char* hid;
    int ran;
  };
  const Case cases[] = {
      // Failed transfers count transfers, two a command (fewer where the packet's failed).
      {"the first transfer", BoardFault::FailedTransfer, {}, "w.....", "w.....", 5},
      {"the fourth transfer", BoardFault::FailedTransfer, {.after = 3}, ".r....", ".r....", 6},
      {"three transfers from the second", BoardFault::FailedTransfer, {.after = 1, .count = 3}, "rww...", "rww...", 4},
      {"every transfer from the fifth", BoardFault::FailedTransfer, {.after = 4, .count = Forever}, "..wwww", "..wwww", 2},
      // Empty and short replies count commands; an empty HID report is no report.
      {"the third reply empty", BoardFault::EmptyReply, {.after = 2}, "..0...", "..t...", 6},
      {"two replies of two bytes", BoardFault::ShortReply, {.after = 1, .count = 2, .bytes = 2}, ".22...", ".22...", 6},
      {"every reply of five bytes", BoardFault::ShortReply, {.count = Forever, .bytes = 5}, "555555", "555555", 6},
      {"an empty short reply", BoardFault::ShortReply, {.after = 5, .bytes = 0}, ".....0", ".....t", 6},
      // Cut by its last byte: eight of the status byte and eight registers.
      {"the second reply without its last byte", BoardFault::ShortReply,
       {.after = 1, .bytes = FaultSpan::AllButLastByte}, ".8....", ".8....", 6},
      // The third command runs, then the board is gone and stays so.
      {"pulled out after the third", BoardFault::Unplugged, {.after = 2}, "..uuuu", "..uuuu", 3},
      {"pulled out, lasting one", BoardFault::Unplugged, {.after = 2, .count = 1}, "..uuuu", "..uuuu", 3},
      // Silence counts reads; the commands still run.
      {"two reads unanswered", BoardFault::Silent, {.after = 2, .count = 2}, "..tt..", "..tt..", 6},
      {"silent from now", BoardFault::Silent, {.count = Forever}, "tttttt", "tttttt", 6},
      // A late reply: its read times out, and the device opened again does not see it.
      {"the second reply late", BoardFault::LateReply, {.after = 1}, ".t....", ".t....", 6},
      {"every reply late", BoardFault::LateReply, {.count = Forever}, "tttttt", "tttttt", 6},
  };
  for (const Case& c : cases)
    for (Kind kind : {Kind::Driver, Kind::Hid}) {
      SCOPED_TRACE(testing::Message() << c.what << (kind == Kind::Driver ? ", driver" : ", HID"));
      board.ClearFaults();
      UseKind(kind);
      ran = 0;
      board.Arm(c.fault, c.span);
      EXPECT_EQ(Run(), kind == Kind::Driver ? c.driver : c.hid);
      EXPECT_EQ(ran, c.ran);
      Close();
    }
}

// Arming a fault again replaces how it was armed; an empty reply is a short reply of
// no bytes, so either replaces the other.
TEST_F(BoardFaults, ArmingAgainReplacesTheSpan) {
  board.Arm(BoardFault::FailedTransfer, {.after = 1});
  board.Arm(BoardFault::FailedTransfer, {.after = 5});
  board.Arm(BoardFault::EmptyReply, {.after = 0});
  board.Arm(BoardFault::ShortReply, {.after = 1, .bytes = 3});
  EXPECT_EQ(Run(), ".3r...");
}

// Faults armed together each count on their own.
TEST_F(BoardFaults, FaultsArmedTogetherCountApart) {
  board.Arm(BoardFault::ShortReply, {.after = 3, .bytes = 4});
  board.Arm(BoardFault::Silent, {.after = 1});
  board.Arm(BoardFault::FailedTransfer, {.after = 10});
  EXPECT_EQ(Run(), ".t.4.w");
}

// A late reply answers the next read on the same device, and every reply after it
// comes one command late, until the device is opened again.
TEST_F(BoardFaults, ALateReplyShiftsTheRepliesUntilTheDeviceIsOpenedAgain) {
  board.Arm(BoardFault::LateReply, {.after = 1});
  EXPECT_EQ(Run(1, 4, false), ".tpp");
  Close();
  EXPECT_EQ(Run(5, 6), "..");
}

// Clearing puts the board back: plugged in, every command answered whole.
TEST_F(BoardFaults, ClearingEndsEveryFault) {
  for (Kind kind : {Kind::Driver, Kind::Hid}) {
    SCOPED_TRACE(kind == Kind::Driver ? "driver" : "HID");
    UseKind(kind);
    board.Arm(BoardFault::Unplugged);
    EXPECT_EQ(Run(1, 2), "uu");
    board.Arm(BoardFault::FailedTransfer, {.count = Forever});
    board.Arm(BoardFault::ShortReply, {.count = Forever, .bytes = 1});
    board.Arm(BoardFault::Silent, {.count = Forever});
    board.Arm(BoardFault::LateReply, {.count = Forever});
    board.ClearFaults();
    EXPECT_EQ(Run(), "......");
    Close();
  }
}

}  // namespace

namespace {

// The firmware's misbehaviours, armed by name: where each starts and how long it lasts,
// counted in what it names, and ClearFaults ends them.
class FirmwareFaults : public ::testing::Test {
protected:
  void SetUp() override {
    board.recordPackets = true;
    h = board.OpenDriverDevice("Mxusb-0");
    ASSERT_TRUE(HandleValid(h));
  }
  // One command and its reply's first `n` bytes.
  std::vector<uint8_t> Exchange(std::vector<uint8_t> command, size_t n = 2) {
    const uint8_t pipeOut[4] = {1, 0, 0, 0}, pipeIn[4] = {};
    uint32_t moved = 0;
    EXPECT_TRUE(board.DeviceIoControl(h, IOCTL_BULK_WRITE, pipeOut, 4, command.data(), command.size(), &moved));
    uint8_t reply[64] = {};
    EXPECT_TRUE(board.DeviceIoControl(h, IOCTL_BULK_READ, pipeIn, 4, reply, sizeof reply, &moved));
    return std::vector<uint8_t>(reply, reply + n);
  }
  // Starts an I/Q conversion and counts the reads of 0Fh until its bit 2 is clear
  // (at most `limit`).
  int BusyReadsOfAConversion(int limit = 20) {
    Exchange({0xC4, 0x00, 0xA0, 0x0F, 0x01, 0x00, 0x00, 0x04});
    int reads = 0;
    while (reads < limit && (Exchange({0xC4, 0x01, 0xA0, 0x0F, 0x01})[1] & 0x04)) ++reads;
    return reads;
  }
  SimBoard board;
  Handle h = InvalidHandle;
};

TEST_F(FirmwareFaults, EachHitsWhatItNamesForItsSpan) {
  // Unarmed: one read with the bit set.
  EXPECT_EQ(BusyReadsOfAConversion(), 1);
  // The second and third conversions from now take three reads, the rest one again.
  board.Arm(FirmwareFault::IqBusy, {.after = 1, .count = 2, .reads = 3});
  std::vector<int> reads;
  for (int i = 0; i < 4; ++i) reads.push_back(BusyReadsOfAConversion());
  EXPECT_EQ(reads, (std::vector<int>{1, 3, 3, 1}));
  // A conversion that never ends, then cleared.
  board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  EXPECT_EQ(BusyReadsOfAConversion(), 20);
  board.ClearFaults();
  EXPECT_EQ(BusyReadsOfAConversion(), 1);

  // A bad status counts commands: the second and third replies carry 00h.
  board.Arm(FirmwareFault::BadStatus, {.after = 1, .count = 2, .status = 0x00});
  std::vector<int> status;
  for (int i = 0; i < 4; ++i) status.push_back(Exchange({0xC4, 0x01, 0xA0, 0x20, 0x01})[0]);
  EXPECT_EQ(status, (std::vector<int>{0xFA, 0x00, 0x00, 0xFA}));
}

}  // namespace
