#pragma once
// The bench instruments' serial ports and the buffers their exchanges share: one set
// for all ports, overwritten by every exchange.

#include <cstdint>

#include "common/channel_records.h"
#include "platform/serial_services.h"

constexpr int ComBufSize = 513;
constexpr int BryMenChannelCount = 6;

struct InstrumentPorts {
  DevcRS232 ChamberPort;                      // temperature and humidity chamber
  DevcRS232 FlukePort;                        // calibrator
  DevcRS232 PowerPort;                        // SCPI power supply
  DevcRS232 BryMenPorts[BryMenChannelCount];  // one per meter channel

  uint8_t ComTxBuf[ComBufSize] = {};   // outgoing commands; also the line of the last line read
  uint8_t ComRxBuf[ComBufSize] = {};   // chamber and query replies, drained input
  uint8_t BryMenBuf[ComBufSize] = {};  // the last meter frame
  ComStat ComStatus;                   // queue counts of the last poll
  uint32_t ComErrors = 0;              // line errors of the last poll (not examined)
  uint32_t BytesWritten = 0;           // count of the last write (not examined)
  uint32_t BytesRead = 0;              // count of the last read
};
