// The simulated board's packet record, as a program and a test use the board.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "sim/sim_board.h"
#include "sim/sim_platform.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One command and its reply through the driver device, as the link sends them.
void Exchange(SimBoard& board, Handle h, Bytes command) {
  const uint8_t pipeOut[4] = {1, 0, 0, 0};
  const uint8_t pipeIn[4] = {0, 0, 0, 0};
  uint32_t moved = 0;
  ASSERT_TRUE(board.DeviceIoControl(h, IOCTL_BULK_WRITE, pipeOut, 4, command.data(), command.size(), &moved));
  uint8_t reply[64] = {};
  ASSERT_TRUE(board.DeviceIoControl(h, IOCTL_BULK_READ, pipeIn, 4, reply, sizeof reply, &moved));
}

// The program on the simulated board runs for hours of stream polls: a board not asked
// to record keeps none of them, and refuses to be read as if it had seen nothing.
TEST(SimBoardRecord, KeptOnlyWhileAsked) {
  SimBoard board;
  const Handle h = board.OpenDriverDevice("Mxusb-0");
  ASSERT_TRUE(HandleValid(h));
  const Bytes poll = {0xC4, 0x04};
  for (int i = 0; i < 1000; ++i) Exchange(board, h, poll);
  EXPECT_THROW(board.Log(), std::logic_error);
  EXPECT_THROW(board.Sent(), std::logic_error);

  board.recordPackets = true;
  EXPECT_TRUE(board.Log().empty());  // nothing of the polls before
  Exchange(board, h, poll);
  ASSERT_EQ(board.Log().size(), 2u);
  EXPECT_TRUE(board.Log()[0].toBoard);
  EXPECT_FALSE(board.Log()[1].toBoard);
  EXPECT_EQ(board.Sent(), std::vector<Bytes>{poll});

  board.recordPackets = false;
  Exchange(board, h, poll);
  board.recordPackets = true;
  EXPECT_EQ(board.Log().size(), 2u);
}

// The tests' surroundings record from the start.
TEST(SimBoardRecord, TheTestPlatformRecords) {
  SimPlatform sim;
  EXPECT_TRUE(sim.board.recordPackets);
  EXPECT_TRUE(sim.board.Sent().empty());
}

}  // namespace
