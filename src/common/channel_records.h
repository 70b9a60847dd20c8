#pragma once
// The channel records: the register shadow, the board link and room for results.

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "common/channel_figures.h"
#include "platform/serial_services.h"
#include "platform/usb_services.h"

// One 20-byte pipe record of the board's USB driver; byte 2 is the endpoint address,
// bit 7 set = IN (device to host).
struct PipeRecord {
  uint8_t bytes[20] = {};
  uint8_t EndpointAddress() const { return bytes[2]; }
};

// The USB device record of a channel.
struct Devc {
  ::Handle Handle = InvalidHandle;
  QString DeviceName;
  uint16_t VendorId = 0;
  uint16_t ProductId = 0;
  uint16_t VersionId = 0;
  PipeRecord Pipes[4];
  uint8_t Opened = 0;
};

// A serial port record: the board UART, the instrument ports and the meter channels.
struct DevcRS232 {
  int Handle = InvalidSerialHandle;  // -1 when closed (never 0, which is standard input)
  QString PortName;                  // "COM1" .. "COM16"
  uint8_t Connected = 0;
  uint32_t BaudRate = 9600;
  uint8_t Parity = NoParity;         // 0 none, 1 odd, 2 even
  uint8_t StopBits = OneStopBit;     // 0 one stop bit, 2 two stop bits
  uint8_t ByteSize = 8;
};

constexpr int ChannelSampleCount = 65536;
constexpr int RegShadowSize = 1024;
// Register 7Fh: its bit 0 picks the RAM bank (0 or 1) the chip's 80h..FFh reach.
constexpr int BankRegister = 0x7F;
// Register 0Dh: the generator's control (bit 0 run, bits 3:1 divider, bit 4 set with the run bit).
constexpr int GeneratorControlRegister = 0x0D;
constexpr uint16_t LinkKindUsb = 5;

// The channel record. Index 0 is the board's ADC channel; 1 (ADI) and 2 (ADQ) hold
// the I and Q results of I/Q captures.
struct STND {
  uint16_t ProductIndex = 0;
  // The figures of the channel's last capture, by Figure; none before the first
  // capture and after one that kept no value.
  FigureValues ChannelResults = FigureValues::None();
  // Per-channel sample storage; nothing in the program uses it, so it stays empty.
  std::array<std::vector<double>, 3> SampleArrays;
  uint8_t RegShadow[RegShadowSize] = {};
  uint16_t LinkKind = 0;
  uint32_t UartBaudIndex = 0;
  uint32_t UartComIndex = 0;
  uint32_t UartParityIndex = 0;
  DevcRS232 UartPort;
  struct Devc Devc;
};
