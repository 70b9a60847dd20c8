#include "link/serial_protocols.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/number_text.h"
#include "common/waits.h"
#include "platform/clock.h"
#include "platform/serial_services.h"

namespace {

// Position of `second` right after a DLE in bytes [from, to) of `buf`, or -1.
int FindDlePair(const uint8_t* buf, int from, int to, uint8_t second) {
  for (int i = std::max(from, 0); i + 1 < to; ++i)
    if (buf[i] == DLE && buf[i + 1] == second) return i;
  return -1;
}

}  // namespace

SerialProtocols::SerialProtocols(InstrumentPorts& ports, SerialServices& serial, Clock& clock)
    : s_(ports), serial_(serial), clock_(clock) {}

// ---- polls, reads and writes ----

bool SerialProtocols::Poll(int handle, bool retry) {
  bool ok = serial_.ClearCommError(handle, s_.ComErrors, s_.ComStatus);
  if (!ok && retry) ok = serial_.ClearCommError(handle, s_.ComErrors, s_.ComStatus);
  if (!ok) s_.ComStatus.InQue = 0;
  last_poll_ok_ = ok;
  return ok;
}

bool SerialProtocols::WaitForInput(int handle, int want, int limitMs) {
  const int64_t start = clock_.SteadyUs();
  const int64_t limitUs = static_cast<int64_t>(limitMs) * 1000;
  for (;;) {
    if (Poll(handle, true) && static_cast<int64_t>(s_.ComStatus.InQue) >= want) return true;
    if (clock_.SteadyUs() - start > limitUs) return false;
    clock_.SleepUs(SerialPollStepUs);
  }
}

uint32_t SerialProtocols::ReadWaiting(int handle, uint8_t* into, uint32_t room) {
  const uint32_t count = std::min(s_.ComStatus.InQue, room);
  s_.BytesRead = 0;
  if (count > 0) serial_.ReadFile(handle, into, count, s_.BytesRead);
  return std::min(s_.BytesRead, count);
}

void SerialProtocols::Drain(int handle) {
  if (Poll(handle, false) && s_.ComStatus.InQue > 0) ReadWaiting(handle, s_.ComRxBuf, ComBufSize);
}

void SerialProtocols::Write(int handle, const uint8_t* data, uint32_t count) {
  s_.BytesWritten = 0;
  if (count > 0) serial_.WriteFile(handle, data, count, s_.BytesWritten);
}

// ---- texts, lines and queries ----

void SerialProtocols::ComSendText(const DevcRS232& port, const QByteArray& text) {
  if (!SerialHandleValid(port.Handle)) return;
  const uint32_t n = static_cast<uint32_t>(std::min<qsizetype>(text.size(), ComBufSize));
  std::memcpy(s_.ComTxBuf, text.constData(), n);
  Write(port.Handle, s_.ComTxBuf, n);
  DelayMs(clock_, TextPauseMs);
}

int SerialProtocols::ComReadLine(const DevcRS232& port) {
  // A port that is not open fails at once, without waiting.
  if (!SerialHandleValid(port.Handle)) return 0;
  uint8_t line[ComBufSize];
  int length = 0;
  bool cr = false;
  const int64_t start = clock_.SteadyUs();
  for (;;) {
    if (Poll(port.Handle, false) && s_.ComStatus.InQue > 0) {
      const uint32_t n = ReadWaiting(port.Handle, s_.ComTxBuf, ComBufSize);
      for (uint32_t i = 0; i < n; ++i) {
        if (s_.ComTxBuf[i] == '\r') {
          cr = true;
          break;
        }
        // A line longer than the buffer keeps its first ComBufSize bytes.
        if (length < ComBufSize) line[length++] = s_.ComTxBuf[i];
      }
    }
    if (cr || clock_.SteadyUs() - start > static_cast<int64_t>(LineWaitMs) * 1000) break;
    clock_.SleepUs(SerialPollStepUs);
  }
  if (!cr) return 0;
  std::memcpy(s_.ComTxBuf, line, static_cast<size_t>(length));
  return length;
}

bool SerialProtocols::ComQuery(const DevcRS232& port, const QByteArray& text, QByteArray& reply) {
  if (!SerialHandleValid(port.Handle)) return false;
  Drain(port.Handle);
  const int n = static_cast<int>(std::min<qsizetype>(text.size(), ComBufSize - 2));
  std::memcpy(s_.ComTxBuf, text.constData(), static_cast<size_t>(n));
  s_.ComTxBuf[n] = '\r';
  s_.ComTxBuf[n + 1] = '\n';
  Write(port.Handle, s_.ComTxBuf, static_cast<uint32_t>(n + 2));
  DelayMs(clock_, QueryWaitMs);
  if (!Poll(port.Handle, false) || s_.ComStatus.InQue == 0) return false;
  const uint32_t got = ReadWaiting(port.Handle, s_.ComRxBuf, ComBufSize);
  reply = QByteArray(reinterpret_cast<const char*>(s_.ComRxBuf), static_cast<qsizetype>(got));
  return true;
}

void SerialProtocols::ComDrain(const DevcRS232& port) { Drain(port.Handle); }

// ---- chamber ----

// STX "01" command "," count "," address, then the values and CR LF are added by the
// caller; returns the bytes written so far.
int SerialProtocols::BuildChamberFrame(const char* command, uint16_t address, uint8_t count) {
  QByteArray f;
  f.append(char(STX)).append("01").append(command).append(',');
  f.append(IntToDecW(count, 2).toLatin1()).append(',').append(IntToHexW(address, 4).toLatin1());
  std::memcpy(s_.ComTxBuf, f.constData(), static_cast<size_t>(f.size()));
  return static_cast<int>(f.size());
}

int SerialProtocols::ChamberExchange(int frameLength, int want) {
  const int h = s_.ChamberPort.Handle;
  if (!SerialHandleValid(h)) return -1;
  // What a late reply left on the line is dropped, so this reply is this frame's.
  Drain(h);
  Write(h, s_.ComTxBuf, static_cast<uint32_t>(frameLength));
  WaitForInput(h, want, ChamberReplyMs);
  if (!last_poll_ok_ || s_.ComStatus.InQue == 0) return -1;
  std::memset(s_.ComRxBuf, 0, sizeof s_.ComRxBuf);
  return static_cast<int>(ReadWaiting(h, s_.ComRxBuf, ComBufSize));
}

bool SerialProtocols::ChamberWrite(uint16_t address, uint8_t count, int v1, int v2, int v3, int v4) {
  if (count < 1 || count > 4) return false;
  const int values[4] = {v1, v2, v3, v4};
  int n = BuildChamberFrame("WSD", address, count);
  for (int i = 0; i < count; ++i) {
    s_.ComTxBuf[n++] = ',';
    // Low 16 bits: a negative value goes as its two's complement.
    const QByteArray hex = IntToHexW(static_cast<uint16_t>(values[i] & 0xFFFF), 4).toLatin1();
    std::memcpy(s_.ComTxBuf + n, hex.constData(), 4);
    n += 4;
  }
  s_.ComTxBuf[n++] = '\r';
  s_.ComTxBuf[n++] = '\n';
  if (ChamberExchange(n, ChamberAckLength) < 0) return false;
  return s_.ComRxBuf[0] == STX && s_.ComRxBuf[7] == 'O' && s_.ComRxBuf[8] == 'K';
}

bool SerialProtocols::ChamberRead(uint16_t address, uint8_t count) {
  if (count < 1 || count > 4) return false;
  int n = BuildChamberFrame("RSD", address, count);
  s_.ComTxBuf[n++] = '\r';
  s_.ComTxBuf[n++] = '\n';
  const int got = ChamberExchange(n, ChamberReadLength(count));
  // Only an accepted reply that holds every value is a reading: a refusal ("NG"), a
  // cut reply or line noise would otherwise be parsed from the zeroed buffer as 0.
  if (got < ChamberReadLength(count)) return false;
  const uint8_t* r = s_.ComRxBuf;
  if (r[0] != STX || r[7] != 'O' || r[8] != 'K') return false;
  for (int i = 0; i < count; ++i)
    for (int k = 10 + 5 * i; k < 14 + 5 * i; ++k)
      if (!std::isxdigit(r[k])) return false;
  return true;
}

bool SerialProtocols::ChamberRun() {
  ChamberWrite(ChamberPreRun, 1, 0);
  return ChamberWrite(ChamberOperation, 1, 1);
}

bool SerialProtocols::ChamberStop() { return ChamberWrite(ChamberOperation, 1, 4); }

// ---- meters ----

void SerialProtocols::BuildBryMenRequest() {
  const uint8_t command[3] = {0x00, 0x00, 0x00};
  const uint8_t check = command[0] ^ command[1] ^ command[2];
  const uint8_t request[BryMenRequestLength] = {DLE, STX, command[0], command[1], command[2], check, DLE, ETX};
  std::memcpy(s_.ComTxBuf, request, sizeof request);
}

bool SerialProtocols::BryMenReadFrame(int channel, int& length) {
  if (channel < 0 || channel >= BryMenChannelCount) return false;
  const int h = s_.BryMenPorts[channel].Handle;
  if (!SerialHandleValid(h)) return false;

  // A quiet line first: what waits now, and what follows within 100 ms, is dropped.
  if (Poll(h, false) && s_.ComStatus.InQue > 0) {
    ReadWaiting(h, s_.ComRxBuf, ComBufSize);
    DelayMs(clock_, MeterDrainPauseMs);
    Drain(h);
  }

  BuildBryMenRequest();
  Write(h, s_.ComTxBuf, BryMenRequestLength);
  uint32_t n = 0;
  if (!WaitForInput(h, BryMenMinFrameLength, MeterReplyMs)) {
    // The first request went unanswered: ask once more (the request is still in ComTxBuf).
    if (last_poll_ok_ && s_.ComStatus.InQue > 0) ReadWaiting(h, s_.ComRxBuf, ComBufSize);
    DelayMs(clock_, MeterResendPauseMs);
    Write(h, s_.ComTxBuf, BryMenRequestLength);
    const bool reached = WaitForInput(h, BryMenMinFrameLength, MeterRetryMs);
    if (last_poll_ok_ && s_.ComStatus.InQue > 0) n = ReadWaiting(h, s_.ComRxBuf, ComBufSize);
    if (!reached) return false;
  } else if (last_poll_ok_ && s_.ComStatus.InQue > 0) {
    n = ReadWaiting(h, s_.ComRxBuf, ComBufSize);
  }

  std::memcpy(s_.BryMenBuf, s_.ComRxBuf, n);
  length = static_cast<int>(n);
  const bool start = FindDlePair(s_.BryMenBuf, 0, static_cast<int>(n), STX) >= 0;
  const bool end = FindDlePair(s_.BryMenBuf, 0, static_cast<int>(n), ETX) >= 0;

  if (start && !end) {
    // The frame is still coming: wait for the rest of it.
    const bool reached = WaitForInput(h, BryMenFrameLength - static_cast<int>(n), MeterRetryMs);
    uint32_t m = 0;
    if (last_poll_ok_ && s_.ComStatus.InQue > 0) m = ReadWaiting(h, s_.ComRxBuf, ComBufSize);
    if (!reached) return false;
    m = std::min<uint32_t>(m, ComBufSize - n);
    std::memcpy(s_.BryMenBuf + n, s_.ComRxBuf, m);
    length = static_cast<int>(n + m);
    // From the last old byte on, so that a DLE ETX split between the reads is found.
    if (FindDlePair(s_.BryMenBuf, static_cast<int>(n) - 1, length, ETX) >= 0) return true;
  } else if (start && end) {
    return true;
  }
  // A broken frame: let the line fall quiet, then drop what came after it.
  DelayMs(clock_, MeterGarblePauseMs);
  Drain(h);
  return false;
}

bool SerialProtocols::BryMenPowerUp(int channel) {
  if (channel < 0 || channel >= BryMenChannelCount) return false;
  const int h = s_.BryMenPorts[channel].Handle;
  if (!SerialHandleValid(h)) return false;
  const uint32_t steps[3][2] = {{SETRTS, SETDTR}, {CLRRTS, CLRDTR}, {SETRTS, SETDTR}};
  for (const auto& step : steps) {
    serial_.EscapeCommFunction(h, step[0]);
    serial_.EscapeCommFunction(h, step[1]);
    DelayMs(clock_, MeterPowerStepMs);
  }
  int scratch = 0;
  return BryMenReadFrame(channel, scratch);
}

// ---- Setup's probes ----

void SerialProtocols::ProbeCalibrator(const DevcRS232& port) {
  ComDrain(port);
  ComSendText(port, "*OPT");
  ComSendText(port, "\r");
  DelayMs(clock_, CalibratorProbeMs);
  ComReadLine(port);
}

bool SerialProtocols::ProbePowerSupply(const DevcRS232& port) {
  serial_.EscapeCommFunction(port.Handle, CLRDTR);
  ComDrain(port);
  serial_.EscapeCommFunction(port.Handle, SETDTR);
  static const char remote[] = "SYST:REM\r\n";
  Write(port.Handle, reinterpret_cast<const uint8_t*>(remote), sizeof remote - 1);
  QByteArray reply;
  for (const char* setting : {"VOLT 0.0", "CURR 0.0", "OUTP OFF"}) ComQuery(port, setting, reply);
  QByteArray identity;
  return ComQuery(port, "*IDN?", identity) && identity.size() > 8 && identity.startsWith("HEWLETT-PACKARD");
}

bool SerialProtocols::ProbeChamber() { return ChamberRead(ChamberIdentification, 1); }

bool SerialProtocols::ProbeMeter(int channel) {
  if (channel < 0 || channel >= BryMenChannelCount) return false;
  BryMenPowerUp(channel);
  ComDrain(s_.BryMenPorts[channel]);
  int length = 0;
  return BryMenReadFrame(channel, length);
}
