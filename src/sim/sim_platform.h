#pragma once
// A complete simulated surrounding: the board, a fake clock and answered dialogs.

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "sim/sim_board.h"

struct SimPlatform {
  SimBoard board;
  FakeClock clock;
  ScriptedDialogs dialogs;
  Platform platform{&board, &clock, &dialogs, nullptr};
};
