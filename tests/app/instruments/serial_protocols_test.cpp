// The instruments' exchanges on the program's serial ports and port records.
#include <gtest/gtest.h>

#include "app/support/program_fixture.h"
#include "link/serial_protocols.h"
#include "sim/sim_serial.h"

namespace {

const QByteArray kStx(1, '\x02');

class ProgramSerialTest : public ProgramTest {};

TEST_F(ProgramSerialTest, ProgramPortsReachTheSimulatedInstruments) {
  SimChamber& ch = sim.serial.Add<SimChamber>(2);
  StartProgram();
  InstrumentPorts& p = prog->G.Instruments;
  EXPECT_EQ(p.ChamberPort.Handle, InvalidSerialHandle);
  ASSERT_NE(prog->Plat.serial, nullptr);
  p.ChamberPort.Handle = prog->Plat.serial->Open("COM2");
  SerialProtocols io(p, *prog->Plat.serial, prog->clock());
  EXPECT_TRUE(io.ChamberRead(ChamberIdentification, 1));
  EXPECT_EQ(ch.commands.last(), kStx + "01RSD,01,0010\r\n");
  // Ports without an instrument are absent, whatever the host has.
  EXPECT_EQ(prog->Plat.serial->Open("COM1"), InvalidSerialHandle);
}

}  // namespace
