#pragma once
// The simulated bench the program runs on with MX_BOARD=sim, and the tests alike: the
// evaluation board with the MX7406 on it, the fixture and the body on the chip's
// inputs, and the bench instruments on the serial ports (sim_instrument_set.h), the
// calibrator's output on AI1.

#include <memory>

#include "sim/sim_board.h"
#include "sim/sim_front_end.h"
#include "sim/sim_instrument_set.h"
#include "sim/sim_serial.h"

class Clock;

// The board as the bench has it: the chip's implemented bits and power-on values, the
// firmware with the clock counter ("E7403V02"), the oscillator's error left for the
// trim, and the analog inputs wired to the fixture and the body (a SimFrontEnd).
void SetUpBenchBoard(SimBoard& board);

class SimBench {
public:
  explicit SimBench(Clock& clock);

  SimBoard board;
  SimSerial serial;
  SimInstrumentSet instruments{serial};

private:
  std::shared_ptr<SimFrontEnd> frontEnd_;  // the board's inputs, set up by SetUpBenchBoard

public:
  // The board's inputs: the I/Q test's fixture and the body-fat subject.
  SimFrontEnd& frontEnd;
  SimIqNetwork& iq;
  SimBodyModel& body;
};
