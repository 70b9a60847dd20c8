// The instruments' exchanges on the program's serial ports and port records.
#include <gtest/gtest.h>

#include "app/support/program_fixture.h"
#include "link/serial_protocols.h"
#include "sim/sim_serial.h"

namespace {

const QByteArray kStx(1, '\x02');

class ProgramSerialTest : public ProgramTest {};

// The bench's instruments answer on their own ports; every other port is absent,
// whatever the host has, so no device of the host is ever opened.
TEST_F(ProgramSerialTest, ProgramPortsReachTheBenchInstrumentsAndNothingElse) {
  StartProgram();
  InstrumentPorts& p = prog->G.Instruments;
  EXPECT_EQ(p.ChamberPort.Handle, InvalidSerialHandle);
  ASSERT_NE(prog->Plat.serial, nullptr);
  SerialServices& serial = *prog->Plat.serial;
  const SimInstrumentSet& bench = sim.instruments;
  const SimInstrument* at[ComPortCount + 1] = {};
  at[SimInstrumentSet::ChamberCom] = &bench.chamber;
  at[SimInstrumentSet::CalibratorCom] = &bench.calibrator;
  at[SimInstrumentSet::PowerCom] = &bench.power;
  at[SimInstrumentSet::VoltmeterCom] = &bench.voltmeter;
  at[SimInstrumentSet::ThermometerCom] = &bench.thermometer;
  for (int com = 1; com <= ComPortCount; ++com) {
    SCOPED_TRACE(com);
    const int h = serial.Open("COM" + QString::number(com));
    EXPECT_EQ(SerialHandleValid(h), at[com] != nullptr);
    if (SerialHandleValid(h)) {
      EXPECT_EQ(sim.serial.InstrumentOf(h), at[com]);
    }
    serial.Close(h);
  }

  p.ChamberPort.Handle = serial.Open("COM" + QString::number(SimInstrumentSet::ChamberCom));
  SerialProtocols io(p, serial, prog->clock());
  EXPECT_TRUE(io.ChamberRead(ChamberIdentification, 1));
  EXPECT_EQ(bench.chamber.commands.last(), kStx + "01RSD,01,0010\r\n");
}

}  // namespace
