#pragma once
// A complete simulated surrounding: the board, a fake clock, answered dialogs and the
// serial ports with the bench's instruments (sim_instrument_set.h) and whatever other
// simulated instruments a test adds to them.

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "sim/sim_board.h"
#include "sim/sim_instrument_set.h"
#include "sim/sim_serial.h"

struct SimPlatform {
  // Tests read back the packets that crossed.
  SimPlatform() { board.recordPackets = true; }

  SimBoard board;
  FakeClock clock;
  ScriptedDialogs dialogs;
  SimSerial serial{clock};
  SimInstrumentSet instruments{serial};
  Platform platform{&board, &clock, &dialogs, &serial};
};
