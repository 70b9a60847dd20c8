#include "sim/sim_bench.h"

#include "sim/sim_chip_registers.h"

void SetUpBenchBoard(SimBoard& board) {
  PowerOnMx7406(board.chip);
  board.boardName = "E7403V02";
  board.analog = std::make_shared<SimFrontEnd>();
}

namespace {
std::shared_ptr<SimFrontEnd> BenchFrontEnd(SimBoard& board) {
  SetUpBenchBoard(board);
  return std::static_pointer_cast<SimFrontEnd>(board.analog);
}
}  // namespace

SimBench::SimBench(Clock& clock)
    : serial(clock), frontEnd_(BenchFrontEnd(board)), frontEnd(*frontEnd_), iq(frontEnd.iq), body(frontEnd.body) {
  // The calibrator's output leads go to AI1.
  frontEnd.ai1Volts = [&calibrator = instruments.calibrator] { return calibrator.TerminalVolts(); };
}
