// The simulated instruments as a program sees them through its serial ports.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/clock.h"
#include "sim/sim_serial.h"

namespace {

const QByteArray kStx(1, '\x02');

class SimInstrumentsTest : public ::testing::Test {
protected:
  template <class T>
  int OpenOn(T& instrument, int com) {
    EXPECT_TRUE(instrument.Ok());
    const int h = serial.Open(QString("COM%1").arg(com));
    EXPECT_TRUE(SerialHandleValid(h));
    return h;
  }
  // Writes the bytes, lets `ms` pass and returns what the instrument answered.
  QByteArray Exchange(int h, const QByteArray& bytes, int ms = 100) {
    uint32_t written = 0;
    serial.WriteFile(h, reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size()), written);
    clock.AdvanceUs(ms * 1000LL);
    uint32_t errors = 0;
    ComStat stat;
    serial.ClearCommError(h, errors, stat);
    QByteArray got(int(stat.InQue), '\0');
    uint32_t read = 0;
    serial.ReadFile(h, reinterpret_cast<uint8_t*>(got.data()), stat.InQue, read);
    return got.left(read);
  }
  QByteArray Chamber(int h, const QByteArray& frame, int ms = 100) { return Exchange(h, kStx + frame + "\r\n", ms); }

  FakeClock clock;
  SimSerial serial{clock};
};

}  // namespace

TEST_F(SimInstrumentsTest, ChamberProcessFollowsItsSetPointWhileRunning) {
  SimChamber& c = serial.Add<SimChamber>(1);
  const int h = OpenOn(c, 1);
  const QByteArray ack = kStx + "01WSD,OK\r\n";
  EXPECT_EQ(Chamber(h, "01WSD,02,0102,012C,01F4"), ack);  // 30.0 degrees, 50.0 %
  EXPECT_EQ(Chamber(h, "01WSD,02,0106,0014,0000"), ack);  // 2.0 degrees a minute
  auto minutes = [&](double m) { clock.AdvanceUs(int64_t(m * 60e6)); };
  minutes(1);
  EXPECT_EQ(Chamber(h, "01RSD,02,0001"), kStx + "01RSD,OK,00FA,01F4\r\n");  // stopped: still 25.0
  EXPECT_EQ(Chamber(h, "01WSD,01,0101,0001"), ack);
  EXPECT_TRUE(c.running);
  minutes(1);
  EXPECT_EQ(Chamber(h, "01RSD,02,0001"), kStx + "01RSD,OK,010E,01F4\r\n");  // 27.0 after a minute
  minutes(2);
  EXPECT_EQ(Chamber(h, "01RSD,01,0001"), kStx + "01RSD,OK,012C\r\n");  // holds at 30.0

  // Below zero the process value goes as a 16-bit two's complement.
  EXPECT_EQ(Chamber(h, "01WSD,02,0102,FF9C,01F4"), ack);  // -10.0 degrees
  minutes(30);
  EXPECT_EQ(Chamber(h, "01RSD,01,0001"), kStx + "01RSD,OK,FF9C\r\n");
  EXPECT_EQ(Chamber(h, "01WSD,01,0101,0004"), ack);
  EXPECT_FALSE(c.running);
}

TEST_F(SimInstrumentsTest, ChamberRefusesWhatIsNotItsFrame) {
  SimChamber& c = serial.Add<SimChamber>(1);
  const int h = OpenOn(c, 1);
  const struct {
    QByteArray frame;
    QByteArray answer;
  } cases[] = {
      {kStx + "01WSD,02,0102,012C\r\n", kStx + "01WSD,NG\r\n"},  // one value for a count of 2
      {kStx + "01WSD,01,01G2,0001\r\n", kStx + "01WSD,NG\r\n"},
      {kStx + "01RSD,1,0001\r\n", kStx + "01RSD,NG\r\n"},
      {kStx + "01XYZ,01,0001\r\n", kStx + "01XYZ,NG\r\n"},
      {kStx + "02RSD,01,0010\r\n", ""},  // another controller's address
      {"01RSD,01,0010\r\n", ""},         // no STX
  };
  for (const auto& k : cases) EXPECT_EQ(Exchange(h, k.frame), k.answer) << k.frame.toStdString();
  EXPECT_EQ(c.commands.size(), 6);
  EXPECT_EQ(c.Register(0x0102), 0);
}

TEST_F(SimInstrumentsTest, CalibratorAnswersEachCommandWithALine) {
  SimCalibrator& cal = serial.Add<SimCalibrator>(2);
  const int h = OpenOn(cal, 2);
  EXPECT_EQ(Exchange(h, "*OPT\r"), "0\r");
  EXPECT_EQ(Exchange(h, "OPER\r"), "OK\r");
  EXPECT_TRUE(cal.operating);
  EXPECT_EQ(Exchange(h, "OUT 100 mV ,0 Hz \r"), "OK\r");
  EXPECT_EQ(cal.output, "100 mV ,0 Hz");
  EXPECT_EQ(Exchange(h, "RANGELCK ON\r"), "OK\r");
  EXPECT_TRUE(cal.rangeLocked);
  EXPECT_EQ(Exchange(h, "STBY"), "");  // nothing before the CR
  EXPECT_EQ(Exchange(h, "\r"), "OK\r");
  EXPECT_FALSE(cal.operating);
  EXPECT_EQ(Exchange(h, "BOGUS\r"), "ERR\r");
  cal.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn());
  EXPECT_EQ(Exchange(h, "*OPT\r"), "ERR\r");
}

// An instrument's misbehaviours armed by name: each counts the answers (or commands)
// it names from where it starts for as long as it lasts, and ClearFaults ends them.
TEST_F(SimInstrumentsTest, InstrumentFaultsHitTheAnswersOfTheirSpan) {
  SimCalibrator& cal = serial.Add<SimCalibrator>(2);
  const int h = OpenOn(cal, 2);
  auto answers = [&](int n) {
    QList<QByteArray> out;
    for (int i = 0; i < n; ++i) out << Exchange(h, "*OPT\r");
    return out;
  };
  cal.Arm(InstrumentFault::Ignore, {.after = 1, .count = 2});
  EXPECT_EQ(answers(4), (QList<QByteArray>{"0\r", "", "", "0\r"}));
  cal.Arm(InstrumentFault::Short, {.after = 1, .bytes = 0});
  cal.Script({"A\r", "B\r"}, 2);
  EXPECT_EQ(answers(5), (QList<QByteArray>{"0\r", "", "A\r", "B\r", "0\r"}));
  cal.Arm(InstrumentFault::Wrong, {.count = 2});
  cal.Arm(InstrumentFault::Silent, {.after = 3, .count = FaultSpan::UntilCleared});
  EXPECT_EQ(answers(5), (QList<QByteArray>{"ERR\r", "ERR\r", "0\r", "", ""}));
  cal.ClearFaults();
  EXPECT_EQ(answers(1), QList<QByteArray>{"0\r"});
}

// An OUT whose argument is no output is refused as an unknown command is, and the
// output stays as the last good OUT set it (a letter O for a zero among them).
TEST_F(SimInstrumentsTest, CalibratorRefusesAMalformedOutAndKeepsItsOutput) {
  SimCalibrator& cal = serial.Add<SimCalibrator>(2);
  const int h = OpenOn(cal, 2);
  EXPECT_EQ(Exchange(h, "OPER\r"), "OK\r");
  EXPECT_EQ(Exchange(h, "OUT 200 mV ,0 Hz\r"), "OK\r");
  for (const char* command : {"OUT 2OO mV ,0 Hz", "OUT 200 mV ,O Hz", "OUT V", "OUT", "OUT 200 mV ,0 Hz ,0 Hz",
                              "OUT 200 mV 0 Hz", "OUT 1 V, 2 V", "OUT 1 kOHM, 0 Hz", "OUT 200 mX"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Exchange(h, QByteArray(command) + "\r"), "ERR\r");
    EXPECT_EQ(cal.output, "200 mV ,0 Hz");
    EXPECT_DOUBLE_EQ(cal.TerminalVolts(), 0.2);
  }
}

// What reaches the output terminals: the last OUT's DC voltage while operating.
TEST_F(SimInstrumentsTest, CalibratorTerminalsCarryTheLastDcVoltageWhileOperating) {
  SimCalibrator& cal = serial.Add<SimCalibrator>(2);
  const int h = OpenOn(cal, 2);
  struct Case {
    const char* command;
    double volts;
  };
  const Case cases[] = {
      {"OUT 100 mV ,0 Hz", 0.1},   {"OUT 600 mV ,0 Hz", 0.6}, {"OUT 1 V", 1.0},        {"OUT 1.5V", 1.5},
      {"OUT -250 uV", -250e-6},    {"out 2 v, 0 hz", 2.0},    {"OUT 1 V, 1 kHz", 0.0},  // AC
      {"OUT 10 mA", 0.0},          {"OUT 1 kOHM", 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Exchange(h, "STBY\r");
    Exchange(h, QByteArray(c.command) + "\r");
    EXPECT_EQ(cal.TerminalVolts(), 0.0);  // standby
    Exchange(h, "OPER\r");
    EXPECT_DOUBLE_EQ(cal.TerminalVolts(), c.volts);
  }
}

TEST_F(SimInstrumentsTest, PowerSupplyAnswersQueriesOnly) {
  SimPowerSupply& ps = serial.Add<SimPowerSupply>(3);
  const int h = OpenOn(ps, 3);
  EXPECT_EQ(Exchange(h, "SYST:REM\r\n"), "");
  EXPECT_TRUE(ps.remote);
  EXPECT_EQ(Exchange(h, "*idn?\r\n"), "HEWLETT-PACKARD,SIM-PSU,0,1.0\r\n");
  EXPECT_EQ(Exchange(h, "VOLT 5.5\r\n"), "");
  EXPECT_EQ(Exchange(h, "VOLT?\r\n"), "5.500\r\n");
  EXPECT_EQ(Exchange(h, "OUTP ON\r\n"), "");
  EXPECT_EQ(Exchange(h, "OUTP?\r\n"), "1\r\n");
  EXPECT_EQ(Exchange(h, "VOLT abc\r\n"), "");
  EXPECT_EQ(Exchange(h, "FOO\r\n"), "");
  EXPECT_EQ(ps.errors, 2);
  EXPECT_EQ(ps.volts, 5.5);
}

TEST_F(SimInstrumentsTest, MeterFramesFollowTheScriptedReadings) {
  SimMeter& m = serial.Add<SimMeter>(4);
  const int h = OpenOn(m, 4);
  const QByteArray request("\x10\x02\x00\x00\x00\x00\x10\x03", 8);

  const QByteArray f = SimMeter::Frame({0x82, 0x08, '-', "12.34", '-', '3'});
  ASSERT_EQ(f.size(), 22);
  EXPECT_EQ(f.left(2), "\x10\x02");
  EXPECT_EQ(uint8_t(f[4]), 0x82);
  EXPECT_EQ(uint8_t(f[5]), 0x08);
  EXPECT_EQ(f.mid(8, 8), "-12.34  ");
  EXPECT_EQ(f.mid(17, 2), "-3");
  EXPECT_EQ(f.right(2), "\x10\x03");

  m.readings = {{0x06, 0, ' ', "1.0000 ", '+', '0'}, {0x06, 0, ' ', "2.0000 ", '+', '0'}};
  EXPECT_EQ(Exchange(h, request).mid(9, 6), "1.0000");
  EXPECT_EQ(Exchange(h, request).mid(9, 6), "2.0000");
  EXPECT_EQ(Exchange(h, request).mid(9, 6), "2.0000");  // the last one stays

  // Not a request (wrong check byte): no answer.
  EXPECT_EQ(Exchange(h, QByteArray("\x10\x02\x01\x00\x00\x00\x10\x03", 8)), "");
  EXPECT_EQ(m.requests, 3);
  m.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn());
  EXPECT_EQ(Exchange(h, request).left(2), QByteArray(2, '\0'));
}

TEST_F(SimInstrumentsTest, PortsWithoutAnInstrumentAreAbsent) {
  for (int n = 1; n <= ComPortCount; ++n)
    EXPECT_EQ(serial.Open(QString("COM%1").arg(n)), InvalidSerialHandle) << n;
  SimMeter& m = serial.Add<SimMeter>(16);
  const int h = OpenOn(m, 16);
  EXPECT_TRUE(serial.EscapeCommFunction(h, SETDTR));
  EXPECT_TRUE(m.dtr && !m.rts);
  EXPECT_FALSE(serial.EscapeCommFunction(h, 9));
  EXPECT_EQ(m.lineChanges.size(), 1);
}

// A second instrument on a taken port is refused; the first stays reached there.
TEST_F(SimInstrumentsTest, ATakenPortTakesNoOtherInstrument) {
  SimChamber& c = serial.Add<SimChamber>(1);
  EXPECT_THROW(serial.Add<SimChamber>(1), std::logic_error);
  EXPECT_THROW(serial.Add<SimMeter>(1), std::logic_error);
  const int h = OpenOn(c, 1);
  EXPECT_EQ(Chamber(h, "01RSD,02,0001"), kStx + "01RSD,OK,00FA,01F4\r\n");
  EXPECT_EQ(c.received, kStx + "01RSD,02,0001\r\n");
}
