// The instrument exchanges against the bench's simulated instruments, over real ptys and
// the real termios layer, on a fake clock.
#include <gtest/gtest.h>

#include <functional>

#include "common/waits.h"
#include "link/serial_protocols.h"
#include "platform/clock.h"
#include "sim/sim_instrument_set.h"
#include "sim/sim_serial.h"

namespace {

QByteArray Buf(const uint8_t* buf, int n) { return QByteArray(reinterpret_cast<const char*>(buf), n); }
const QByteArray kStx(1, '\x02');
const QByteArray kMeterRequest("\x10\x02\x00\x00\x00\x00\x10\x03", 8);

class SerialProtocolsTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (SimInstrument* i : std::initializer_list<SimInstrument*>{&chamber, &calibrator, &power, &meter})
      ASSERT_TRUE(i->Ok());
    auto open = [this](int com) { return serial.Open("COM" + QString::number(com)); };
    ports.ChamberPort.Handle = open(SimInstrumentSet::ChamberCom);
    ports.FlukePort.Handle = open(SimInstrumentSet::CalibratorCom);
    ports.PowerPort.Handle = open(SimInstrumentSet::PowerCom);
    ports.BryMenPorts[2].Handle = open(SimInstrumentSet::VoltmeterCom);
    ASSERT_TRUE(SerialHandleValid(ports.ChamberPort.Handle));
    ASSERT_TRUE(SerialHandleValid(ports.BryMenPorts[2].Handle));
    Mark();
  }
  void Mark() { t0_ = clock.SteadyUs(); }
  int64_t Ms() { return (clock.SteadyUs() - t0_) / 1000; }
  // Lets `ms` pass and the instruments send what is due, as a later poll would.
  void Pass(int ms) {
    clock.AdvanceUs(ms * 1000LL);
    serial.ServeAll();
  }
  uint32_t Waiting(int h) {
    uint32_t errors = 0;
    ComStat stat;
    serial.ClearCommError(h, errors, stat);
    return stat.InQue;
  }

  FakeClock clock;
  SimSerial serial{clock};
  SimInstrumentSet bench{serial};
  SimChamber& chamber = bench.chamber;
  SimCalibrator& calibrator = bench.calibrator;
  SimPowerSupply& power = bench.power;
  SimMeter& meter = bench.voltmeter;
  InstrumentPorts ports;
  SerialProtocols io{ports, serial, clock};

private:
  int64_t t0_ = 0;
};

}  // namespace

// ---- chamber ----

TEST_F(SerialProtocolsTest, ChamberFramesAreByteExact) {
  struct Case {
    std::function<bool(SerialProtocols&)> call;
    QByteArray frame;
    QByteArray reply;
  };
  chamber.temperature = -10.0;
  chamber.humidity = 55.5;
  const Case cases[] = {
      {[](SerialProtocols& p) { return p.ChamberWrite(0x0101, 1, 4); }, kStx + "01WSD,01,0101,0004\r\n",
       kStx + "01WSD,OK\r\n"},
      {[](SerialProtocols& p) { return p.ChamberWrite(0x0102, 2, 250, 600); },
       kStx + "01WSD,02,0102,00FA,0258\r\n", kStx + "01WSD,OK\r\n"},
      {[](SerialProtocols& p) { return p.ChamberWrite(0x0106, 4, -100, 0x1abc, 0x12345, 7); },
       kStx + "01WSD,04,0106,FF9C,1ABC,2345,0007\r\n", kStx + "01WSD,OK\r\n"},
      {[](SerialProtocols& p) { return p.ChamberRead(0x0010, 1); }, kStx + "01RSD,01,0010\r\n",
       kStx + "01RSD,OK,0001\r\n"},
      {[](SerialProtocols& p) { return p.ChamberRead(0x0001, 2); }, kStx + "01RSD,02,0001\r\n",
       kStx + "01RSD,OK,FF9C,022B\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frame.toStdString());
    Mark();
    EXPECT_TRUE(c.call(io));
    EXPECT_EQ(chamber.commands.back(), c.frame);
    EXPECT_EQ(Buf(ports.ComTxBuf, int(c.frame.size())), c.frame);
    EXPECT_EQ(Buf(ports.ComRxBuf, int(c.reply.size()) + 1), c.reply + '\0');
    EXPECT_LT(Ms(), 10);  // the whole answer came: no waiting out the time limit
  }
  EXPECT_EQ(chamber.commands.size(), 5);
  EXPECT_EQ(chamber.Register(0x0102), 250);
  EXPECT_EQ(chamber.Register(0x0103), 600);
  EXPECT_EQ(chamber.Register(0x0106), 0xFF9C);
  EXPECT_EQ(chamber.Register(0x0108), 0x2345);
  // Counts outside 1..4 send nothing.
  EXPECT_FALSE(io.ChamberWrite(0x0101, 0, 1));
  EXPECT_FALSE(io.ChamberRead(0x0001, 5));
  EXPECT_EQ(chamber.commands.size(), 5);
}

TEST_F(SerialProtocolsTest, ChamberRunAndStopFrames) {
  EXPECT_TRUE(io.ChamberRun());
  ASSERT_EQ(chamber.commands.size(), 2);
  EXPECT_EQ(chamber.commands[0], kStx + "01WSD,01,0200,0000\r\n");
  EXPECT_EQ(chamber.commands[1], kStx + "01WSD,01,0101,0001\r\n");
  EXPECT_TRUE(chamber.running);
  EXPECT_TRUE(io.ChamberStop());
  EXPECT_EQ(chamber.commands.last(), kStx + "01WSD,01,0101,0004\r\n");
  EXPECT_FALSE(chamber.running);

  // The run's result is the run command's.
  chamber.Script({kStx + "01WSD,OK\r\n", kStx + "01WSD,NG\r\n"});
  EXPECT_FALSE(io.ChamberRun());
}

TEST_F(SerialProtocolsTest, ChamberFaults) {
  struct Case {
    const char* name;
    std::function<void(SimChamber&)> fault;
    bool write;      // ChamberWrite's result
    bool read;       // ChamberRead's result
    int64_t waitMs;  // how long ChamberWrite took
  };
  const Case cases[] = {
      {"silent", [](SimChamber& c) { c.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn()); }, false, false, 1001},
      {"late within the limit", [](SimChamber& c) { c.delayMs = 900; }, true, true, 900},
      {"late beyond the limit", [](SimChamber& c) { c.delayMs = 1100; }, false, false, 1001},
      // Fewer bytes than expected: the full time is waited, then what came is judged;
      // a read without every value is no reading.
      {"short, OK in place", [](SimChamber& c) { c.Arm(InstrumentFault::Short, FaultSpan::FromNowOn({.bytes = 9})); },
       true, false, 1001},
      {"short, OK cut", [](SimChamber& c) { c.Arm(InstrumentFault::Short, FaultSpan::FromNowOn({.bytes = 8})); }, false,
       false, 1001},
      {"refused", [](SimChamber& c) { c.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn()); }, false, false, 5},
      {"no STX", [](SimChamber& c) { c.Script({"X01WSD,OK\r\n", "X01RSD,OK,0001\r\n"}); }, false, false, 5},
      {"noise in the value",
       [](SimChamber& c) { c.Script({kStx + "01WSD,OK\r\n", kStx + "01RSD,OK,0x1Z\r\n"}); }, true, false, 5},
  };
  int com = SimInstrumentSet::FirstFreeCom - 1;  // each case on a port of its own
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimChamber& ch = serial.Add<SimChamber>(++com);
    c.fault(ch);
    ports.ChamberPort.Handle = serial.Open(QString("COM%1").arg(com));
    ASSERT_TRUE(SerialHandleValid(ports.ChamberPort.Handle));
    Mark();
    EXPECT_EQ(io.ChamberWrite(0x0101, 1, 1), c.write);
    EXPECT_EQ(Ms(), c.waitMs);
    Pass(2000);  // a late answer lands now; the read below starts on a quiet line
    serial.ReadFile(ports.ChamberPort.Handle, ports.ComRxBuf, ComBufSize, ports.BytesRead);
    EXPECT_EQ(io.ChamberRead(0x0010, 1), c.read);
    serial.Close(ports.ChamberPort.Handle);
  }
}

TEST_F(SerialProtocolsTest, LateChamberReplyIsDroppedBeforeTheNextFrame) {
  chamber.delayMs = 1100;
  EXPECT_FALSE(io.ChamberWrite(0x0101, 1, 1));
  Pass(2000);  // the late "OK" of the write now waits on the line
  chamber.delayMs = 0;
  EXPECT_TRUE(io.ChamberRead(0x0010, 1));
  EXPECT_EQ(Buf(ports.ComRxBuf, 6), kStx + QByteArray("01RSD"));
}

TEST_F(SerialProtocolsTest, ShortChamberReadIsNoReadingAndLeavesTheRestZero) {
  std::fill(std::begin(ports.ComRxBuf), std::end(ports.ComRxBuf), 0xEE);
  chamber.Arm(InstrumentFault::Short, FaultSpan::FromNowOn({.bytes = 5}));
  EXPECT_FALSE(io.ChamberRead(0x0001, 2));  // the values are not in it
  EXPECT_EQ(Buf(ports.ComRxBuf, 6), kStx + QByteArray("01RS\0", 5));
  EXPECT_EQ(ports.ComRxBuf[ComBufSize - 1], 0);
}

// ---- texts and lines ----

TEST_F(SerialProtocolsTest, SendTextWritesTheBytesAsTheyStand) {
  io.ComSendText(ports.FlukePort, "OUT 600 mV ,0 Hz ");
  EXPECT_EQ(Ms(), 20);
  EXPECT_EQ(calibrator.received, "OUT 600 mV ,0 Hz ");
  EXPECT_TRUE(calibrator.commands.isEmpty());  // no terminator was added
  io.ComSendText(ports.FlukePort, "\r");
  EXPECT_EQ(calibrator.commands.last(), "OUT 600 mV ,0 Hz \r");
  EXPECT_EQ(calibrator.output, "600 mV ,0 Hz");

  Mark();
  io.ComSendText(ports.FlukePort, "");
  EXPECT_EQ(Ms(), 20);
  EXPECT_EQ(calibrator.received.size(), 18);

  // A text beyond the buffer is cut to it.
  io.ComSendText(ports.FlukePort, QByteArray(600, 'x'));
  EXPECT_EQ(calibrator.received.size(), 18 + ComBufSize);
}

TEST_F(SerialProtocolsTest, ReadLineCases) {
  struct Case {
    const char* name;
    QByteArray answer;  // what the calibrator sends
    int splitAt;        // sent in two pieces, 50 ms apart
    int length;         // ComReadLine's result
    QByteArray line;    // start of ComTxBuf
    int64_t ms;         // time taken after the command (sent 20 ms before)
  };
  const Case cases[] = {
      {"two pieces", "OPER\r", 2, 4, "OPER", 35},
      {"bytes after the CR are dropped", "AB\rCD", 0, 2, "AB", 0},
      {"bare CR", "\r", 0, 0, "", 0},
      {"no CR", "OPER", 0, 0, "OPER", 501},
      {"silent", "", 0, 0, "", 501},
      {"longer than the buffer", QByteArray(600, 'y') + "\r", 0, ComBufSize, QByteArray(ComBufSize, 'y'), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    calibrator.ClearFaults();
    calibrator.Script({c.answer});
    if (c.answer.isEmpty()) calibrator.Arm(InstrumentFault::Silent);
    calibrator.Arm(InstrumentFault::Split, {.bytes = static_cast<size_t>(c.splitAt), .gapMs = 50});
    io.ComSendText(ports.FlukePort, "OPER");
    io.ComSendText(ports.FlukePort, "\r");
    Mark();
    EXPECT_EQ(io.ComReadLine(ports.FlukePort), c.length);
    EXPECT_EQ(Ms(), c.ms);
    EXPECT_EQ(Buf(ports.ComTxBuf, int(c.line.size())), c.line);
    Pass(100);
    serial.ReadFile(ports.FlukePort.Handle, ports.ComRxBuf, ComBufSize, ports.BytesRead);
  }
}

TEST_F(SerialProtocolsTest, CalibratorCommandsGetALine) {
  for (const char* command : {"*OPT", "STBY", "OPER", "RANGELCK ON"}) {
    io.ComSendText(ports.FlukePort, command);
    io.ComSendText(ports.FlukePort, "\r");
    DelayMs(clock, 500);
    const int n = io.ComReadLine(ports.FlukePort);
    EXPECT_GT(n, 0) << command;
  }
  EXPECT_TRUE(calibrator.operating);
  EXPECT_TRUE(calibrator.rangeLocked);
}

// ---- queries ----

TEST_F(SerialProtocolsTest, QueryReturnsWhatCameWithinTheWait) {
  QByteArray reply = "keep";
  EXPECT_TRUE(io.ComQuery(ports.PowerPort, "*IDN?", reply));
  EXPECT_EQ(reply, "HEWLETT-PACKARD,SIM-PSU,0,1.0\r\n");
  EXPECT_EQ(power.commands.last(), "*IDN?\r\n");
  EXPECT_EQ(Ms(), 500);

  // A setting gets no answer: False, the reply untouched.
  reply = "keep";
  EXPECT_FALSE(io.ComQuery(ports.PowerPort, "VOLT 0.0", reply));
  EXPECT_EQ(reply, "keep");
  EXPECT_EQ(power.volts, 0.0);

  // An empty text writes CR LF only.
  const qsizetype before = power.received.size();
  EXPECT_FALSE(io.ComQuery(ports.PowerPort, "", reply));
  EXPECT_EQ(power.received.mid(before), "\r\n");

  // A text beyond 511 bytes is cut, so that it fits the buffer with its CR LF.
  io.ComQuery(ports.PowerPort, QByteArray(600, 'z'), reply);
  EXPECT_EQ(power.commands.last(), QByteArray(511, 'z') + "\r\n");
}

TEST_F(SerialProtocolsTest, QueryDrainsWhatCameLate) {
  power.delayMs = 600;
  QByteArray reply = "keep";
  EXPECT_FALSE(io.ComQuery(ports.PowerPort, "*IDN?", reply));
  Pass(200);  // the late identity now waits in the port
  power.delayMs = 5;
  EXPECT_TRUE(io.ComQuery(ports.PowerPort, "VOLT?", reply));
  EXPECT_EQ(reply, "0.000\r\n");

  power.Arm(InstrumentFault::Wrong);
  EXPECT_TRUE(io.ComQuery(ports.PowerPort, "*IDN?", reply));
  EXPECT_FALSE(reply.startsWith("HEWLETT-PACKARD"));
  power.identity = "OTHER MAKER,PSU,1,2";
  EXPECT_TRUE(io.ComQuery(ports.PowerPort, "*IDN?", reply));
  EXPECT_EQ(reply, "OTHER MAKER,PSU,1,2\r\n");
}

// ---- meters ----

TEST_F(SerialProtocolsTest, MeterFrameComesWhole) {
  meter.reading = MeterReading{0x22, 0x00, '-', "1.23   ", '-', '2'};
  int length = 0;
  EXPECT_TRUE(io.BryMenReadFrame(2, length));
  EXPECT_EQ(length, BryMenFrameLength);
  EXPECT_EQ(Buf(ports.BryMenBuf, length), SimMeter::Frame(meter.reading));
  EXPECT_EQ(meter.commands, QList<QByteArray>{kMeterRequest});
  EXPECT_EQ(Buf(ports.ComTxBuf, 8), kMeterRequest);
  EXPECT_LT(Ms(), 10);
}

TEST_F(SerialProtocolsTest, MeterFaults) {
  struct Case {
    const char* name;
    std::function<void(SimMeter&)> fault;
    bool result;
    int length;  // -1: not set
    int requests;
    int64_t ms;
  };
  const Case cases[] = {
      // 1000 ms wait, 1000 ms pause, the resend, 500 ms wait.
      {"silent", [](SimMeter& m) { m.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn()); }, false, -1, 2, 2502},
      {"answers the resend", [](SimMeter& m) { m.Arm(InstrumentFault::Ignore); }, true, 22, 2, 2006},
      {"answers the resend too late", [](SimMeter& m) {
         m.Arm(InstrumentFault::Ignore);
         m.delayMs = 600;
       }, false, -1, 2, 2502},
      {"frame in two pieces", [](SimMeter& m) { m.Arm(InstrumentFault::Split, {.bytes = 14, .gapMs = 100}); }, true, 22,
       1, 105},
      {"DLE and ETX in different pieces",
       [](SimMeter& m) { m.Arm(InstrumentFault::Split, {.bytes = 21, .gapMs = 100}); }, true, 22, 1, 105},
      {"rest of the frame never comes", [](SimMeter& m) { m.Arm(InstrumentFault::Short, {.bytes = 14}); }, false, 14, 1,
       506},
      {"no DLE STX", [](SimMeter& m) { m.Arm(InstrumentFault::Wrong); }, false, 20, 1, 55},
      {"DLE ETX never comes after more", [](SimMeter& m) {
         m.Arm(InstrumentFault::Split, {.bytes = 14, .gapMs = 100});
         m.Script({SimMeter::Frame({}).left(20) + "xx"});
       },
       false, 22, 1, 155},
  };
  int com = SimInstrumentSet::FirstFreeCom - 1;  // each case on a port of its own
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimMeter& m = serial.Add<SimMeter>(++com);
    c.fault(m);
    ports.BryMenPorts[5].Handle = serial.Open(QString("COM%1").arg(com));
    Mark();
    int length = -1;
    EXPECT_EQ(io.BryMenReadFrame(5, length), c.result);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(m.requests, c.requests);
    EXPECT_EQ(Ms(), c.ms);
    if (c.result) {
      EXPECT_EQ(Buf(ports.BryMenBuf, 22), SimMeter::Frame(m.reading));
    }
    serial.Close(ports.BryMenPorts[5].Handle);
  }
}

TEST_F(SerialProtocolsTest, MeterReadStartsAndEndsOnAQuietLine) {
  // Stale bytes, the second piece 50 ms after the first: both are dropped before the request.
  meter.Script({"stale bytes"});
  meter.Arm(InstrumentFault::Split, FaultSpan::FromNowOn({.bytes = 5, .gapMs = 50}));
  io.ComSendText(ports.BryMenPorts[2], kMeterRequest);
  Pass(10);
  meter.ClearFaults();
  int length = 0;
  EXPECT_TRUE(io.BryMenReadFrame(2, length));
  EXPECT_EQ(length, 22);
  EXPECT_EQ(Buf(ports.BryMenBuf, 22), SimMeter::Frame(meter.reading));

  // A broken frame whose tail comes within the 50 ms pause is dropped with it.
  meter.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn());
  meter.Arm(InstrumentFault::Split, FaultSpan::FromNowOn({.bytes = 14, .gapMs = 20}));
  EXPECT_FALSE(io.BryMenReadFrame(2, length));
  EXPECT_EQ(Waiting(ports.BryMenPorts[2].Handle), 0u);
  meter.ClearFaults();
  EXPECT_TRUE(io.BryMenReadFrame(2, length));
  EXPECT_EQ(length, 22);
}

TEST_F(SerialProtocolsTest, MeterChannelOutOfRange) {
  int length = 7;
  EXPECT_FALSE(io.BryMenReadFrame(-1, length));
  EXPECT_FALSE(io.BryMenReadFrame(BryMenChannelCount, length));
  EXPECT_FALSE(io.BryMenPowerUp(BryMenChannelCount));
  EXPECT_EQ(length, 7);
  EXPECT_EQ(Ms(), 0);
  // A channel whose port is not open fails at once, with no wait.
  EXPECT_FALSE(io.BryMenReadFrame(0, length));
  EXPECT_FALSE(io.BryMenPowerUp(0));
  EXPECT_EQ(Ms(), 0);
}

TEST_F(SerialProtocolsTest, PortsThatAreNotOpenFailAtOnce) {
  DevcRS232 closed;  // handle -1
  QByteArray reply;
  io.ComSendText(closed, "STBY\r");
  EXPECT_EQ(io.ComReadLine(closed), 0);
  EXPECT_FALSE(io.ComQuery(closed, "*IDN?", reply));
  ports.ChamberPort = closed;
  EXPECT_FALSE(io.ChamberWrite(0x66, 1, 5));
  EXPECT_FALSE(io.ChamberRead(0x64, 1));
  EXPECT_EQ(Ms(), 0);
}

TEST_F(SerialProtocolsTest, MeterPowerUpPulsesRtsAndDtr) {
  EXPECT_TRUE(io.BryMenPowerUp(2));
  const int64_t t = meter.lineChanges.first().us;
  const std::pair<int64_t, uint32_t> want[] = {{0, SETRTS},      {0, SETDTR},      {100, CLRRTS},
                                               {100, CLRDTR},    {200, SETRTS},    {200, SETDTR}};
  ASSERT_EQ(meter.lineChanges.size(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ((meter.lineChanges[i].us - t) / 1000, want[i].first) << i;
    EXPECT_EQ(meter.lineChanges[i].function, want[i].second) << i;
  }
  EXPECT_TRUE(meter.rts && meter.dtr);
  EXPECT_EQ(meter.requests, 1);  // the one frame read, 300 ms after the first step
  EXPECT_GE(Ms(), 300);
}
