#pragma once
// A complete simulated surrounding: the board, a fake clock, answered dialogs and the
// serial ports with whatever simulated instruments a test adds to them.

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "sim/sim_board.h"
#include "sim/sim_serial.h"

struct SimPlatform {
  SimBoard board;
  FakeClock clock;
  ScriptedDialogs dialogs;
  SimSerial serial{clock};
  Platform platform{&board, &clock, &dialogs, &serial};
};
