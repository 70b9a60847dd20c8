#pragma once
// The exchanges with the bench instruments over their serial ports: plain texts and
// CR-ended lines (calibrator), queries ended by CR LF (SCPI power supply), register
// frames of the chamber controller, and the meters' DLE STX .. DLE ETX frames.
//
// Every exchange blocks until its answer or its time limit, polling the port's count of
// waiting bytes and sleeping on the clock between polls; none processes window messages,
// none raises, and failures come back as False or a zero count. They work on the shared
// port records and buffers of InstrumentPorts; only a record's handle is used, and the
// ports are opened and configured elsewhere.

#include <QByteArray>
#include <cstdint>

#include "common/instrument_ports.h"

class Clock;
class SerialServices;

// Time limits and pauses, in milliseconds.
constexpr int ChamberReplyMs = 1000;    // chamber acknowledgement or register read
constexpr int TextPauseMs = 20;         // after each text written
constexpr int LineWaitMs = 500;         // a calibrator line
constexpr int QueryWaitMs = 500;        // a query's answer
constexpr int MeterReplyMs = 1000;      // first wait for a meter frame
constexpr int MeterResendPauseMs = 1000;
constexpr int MeterRetryMs = 500;       // wait after the resend, and for the rest of a frame
constexpr int MeterDrainPauseMs = 100;  // between the two drains before a request
constexpr int MeterGarblePauseMs = 50;  // before the drain after a broken frame
constexpr int MeterPowerStepMs = 100;   // each step of the RTS/DTR pulse
constexpr int SerialPollStepUs = 1000;  // sleep between two polls
constexpr int CalibratorProbeMs = 500;  // before the calibrator's answer to "*OPT"

constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t DLE = 0x10;

// Chamber registers.
constexpr uint16_t ChamberProcessValues = 0x0001;  // read 2: temperature, humidity (tenths)
constexpr uint16_t ChamberIdentification = 0x0010;
constexpr uint16_t ChamberOperation = 0x0101;      // 1 run, 4 stop
constexpr uint16_t ChamberSetPoints = 0x0102;      // temperature, humidity (tenths)
constexpr uint16_t ChamberSlopes = 0x0106;         // temperature, humidity (tenths)
constexpr uint16_t ChamberPreRun = 0x0200;         // written 0 before the run command
constexpr int ChamberAckLength = 11;
constexpr int ChamberReadLength(int count) { return 11 + 5 * count; }

constexpr int BryMenRequestLength = 8;
constexpr int BryMenFrameLength = 22;    // what the reading's decode needs
constexpr int BryMenMinFrameLength = 14; // waited for first

class SerialProtocols {
public:
  SerialProtocols(InstrumentPorts& ports, SerialServices& serial, Clock& clock);

  // Writes the text's bytes (at most ComBufSize) as they stand, then pauses 20 ms.
  void ComSendText(const DevcRS232& port, const QByteArray& text);
  // One CR-ended line within 500 ms, left at the start of ComTxBuf without its CR;
  // its length, 0 on time-out (or for a bare CR).
  int ComReadLine(const DevcRS232& port);
  // Drains the port, writes the text (at most 511 bytes) + CR LF, waits 500 ms and
  // returns in `reply` whatever waits then, CR LF included. False, with `reply`
  // unchanged, when nothing came.
  bool ComQuery(const DevcRS232& port, const QByteArray& text, QByteArray& reply);
  // Reads what waits on the port now (at most ComBufSize bytes) into ComRxBuf and
  // drops it.
  void ComDrain(const DevcRS232& port);

  // Register write frame on ChamberPort, values V1..V4 of which the first `count`
  // (1..4) are sent as 16-bit words; True when the chamber acknowledged with "OK".
  bool ChamberWrite(uint16_t address, uint8_t count, int v1, int v2 = 0, int v3 = 0, int v4 = 0);
  // Register read frame for `count` (1..4) words; True when the chamber accepted it
  // (STX at byte 0, "OK" at bytes 7..8) and the reply holds every value as four hex
  // digits. The answer stays in ComRxBuf: value i at bytes 10 + 5i .. 13 + 5i.
  bool ChamberRead(uint16_t address, uint8_t count);
  bool ChamberRun();
  bool ChamberStop();

  // The 8-byte meter request in ComTxBuf.
  void BuildBryMenRequest();
  // Requests one frame from meter channel 0..5 and collects it into BryMenBuf; True
  // when it came whole (DLE STX .. DLE ETX); `length` = bytes stored.
  bool BryMenReadFrame(int channel, int& length);
  // Pulses the channel's RTS and DTR, then reads one frame (its result is returned).
  bool BryMenPowerUp(int channel);

  // The Setup dialog's probes of an instrument on its port, the line already set.
  // The calibrator: "*OPT" and CR, then its answer line, collected and not judged.
  void ProbeCalibrator(const DevcRS232& port);
  // The power supply: DTR cleared around a drain, "SYST:REM", the safe settings
  // "VOLT 0.0", "CURR 0.0", "OUTP OFF", then "*IDN?"; true when the identity's own
  // answer (never an earlier one) is longer than 8 bytes and starts "HEWLETT-PACKARD".
  bool ProbePowerSupply(const DevcRS232& port);
  // The chamber on ChamberPort: its identification register read and accepted.
  bool ProbeChamber();
  // Meter channel 0..5: powered up, drained, then one whole frame.
  bool ProbeMeter(int channel);

private:
  // One look at the waiting count into ComStatus; with `retry` a failed look is made
  // once more. A failed look counts as nothing waiting.
  bool Poll(int handle, bool retry);
  // Polls (with retry) until `want` bytes wait or more than `limitMs` have passed;
  // true when the count was reached. The result of the last look is in last_poll_ok_.
  bool WaitForInput(int handle, int want, int limitMs);
  // Reads what the last poll reported waiting (bounded by `room`) into `into`.
  uint32_t ReadWaiting(int handle, uint8_t* into, uint32_t room);
  // Reads what waits into ComRxBuf and drops it.
  void Drain(int handle);
  void Write(int handle, const uint8_t* data, uint32_t count);
  // Sends the frame built in ComTxBuf and waits for `want` answer bytes into ComRxBuf;
  // the count read, or -1 when nothing came.
  int ChamberExchange(int frameLength, int want);
  int BuildChamberFrame(const char* command, uint16_t address, uint8_t count);

  InstrumentPorts& s_;
  SerialServices& serial_;
  Clock& clock_;
  bool last_poll_ok_ = false;
};
