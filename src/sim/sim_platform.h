#pragma once
// A complete simulated surrounding: the bench (its board set up as `make run` has it,
// the bench's instruments on the serial ports and whatever other simulated instruments
// a test adds to them), a fake clock and answered dialogs.

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "sim/sim_bench.h"

struct SimPlatform {
  // Tests read back the packets that crossed.
  SimPlatform() { board.recordPackets = true; }

  FakeClock clock;
  SimBench bench{clock};
  SimBoard& board = bench.board;
  ScriptedDialogs dialogs;
  SimSerial& serial = bench.serial;
  SimInstrumentSet& instruments = bench.instruments;
  Platform platform{&board, &clock, &dialogs, &serial};
};
