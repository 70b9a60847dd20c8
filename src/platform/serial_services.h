#pragma once
// The serial ports as the program sees them: "COM1" .. "COM16" opened unshared, line
// settings written and read back, the count of bytes waiting, reads of what waits,
// synchronous writes, and the RTS and DTR lines. The real implementation works on
// termios devices (serial_termios.h); tests may put any other behind this interface.

#include <QString>
#include <cstdint>

// A port handle; -1 when closed. 0 is never handed out either (it would be standard
// input), so a handle counts as valid when it is neither.
constexpr int InvalidSerialHandle = -1;
inline bool SerialHandleValid(int h) { return h != InvalidSerialHandle && h != 0; }

// Parity and stop-bit codes, as the port records hold them.
constexpr uint8_t NoParity = 0;
constexpr uint8_t OddParity = 1;
constexpr uint8_t EvenParity = 2;
constexpr uint8_t OneStopBit = 0;
constexpr uint8_t TwoStopBits = 2;

// Line functions of EscapeCommFunction.
constexpr uint32_t SETRTS = 3;
constexpr uint32_t CLRRTS = 4;
constexpr uint32_t SETDTR = 5;
constexpr uint32_t CLRDTR = 6;

// Line settings of a port. Accepted: baud 300, 600, 1200, 2400, 4800, 9600, 19200,
// 38400, 57600 or 115200; 8 data bits; parity none, odd or even; one or two stop bits.
struct LineSettings {
  uint32_t BaudRate = 9600;
  uint8_t ByteSize = 8;
  uint8_t Parity = NoParity;
  uint8_t StopBits = OneStopBit;
  bool operator==(const LineSettings&) const = default;
};

// Queue counts of a port.
struct ComStat {
  uint32_t InQue = 0;   // bytes received and not yet read
  uint32_t OutQue = 0;  // bytes written and not yet sent
};

class SerialServices {
public:
  virtual ~SerialServices() = default;

  // Opens "COM1" .. "COM16" for reading and writing, unshared, in raw mode with its
  // present line settings. InvalidSerialHandle when the name is not a port, the port
  // is absent or not a serial device, or it is open already (here or elsewhere).
  virtual int Open(const QString& portName) = 0;
  virtual bool Close(int h) = 0;

  virtual bool GetCommState(int h, LineSettings& settings) = 0;
  // False, with the port unchanged, for settings outside those accepted above.
  virtual bool SetCommState(int h, const LineSettings& settings) = 0;

  // Fills the queue counts; errors receives the line errors seen (0 when none). On
  // failure the counts are zero.
  virtual bool ClearCommError(int h, uint32_t& errors, ComStat& stat) = 0;
  // Reads up to `count` waiting bytes without waiting for more; `read` receives how many came.
  virtual bool ReadFile(int h, uint8_t* data, uint32_t count, uint32_t& read) = 0;
  // Writes all bytes, waiting (with a time-out) while the driver's queue is full.
  virtual bool WriteFile(int h, const uint8_t* data, uint32_t count, uint32_t& written) = 0;
  // SETRTS, CLRRTS, SETDTR or CLRDTR.
  virtual bool EscapeCommFunction(int h, uint32_t function) = 0;
};
