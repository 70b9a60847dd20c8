#pragma once
// The program-wide state: what the chip, the link and the windows share. One
// instance lives in the Program; nothing here is static.

#include <QString>
#include <cstdint>

#include "common/channel_records.h"
#include "common/field_descriptors.h"

constexpr int PacketSize = 64;
constexpr int XferBufSize = 513;

struct Globals {
  STND Channels[3];

  // The one command and reply buffer; builders set only leading bytes.
  uint8_t PacketBuf[PacketSize] = {};
  // Register transfer buffer indexed by register address.
  uint8_t XferBuf[XferBufSize] = {};

  // Link watchdog.
  uint32_t IdleTicks = 0;
  uint32_t ChartTicks = 0;
  uint8_t LiveChartFlag = 0;

  // Last capture.
  int SampleCount = 0;
  int IQSampleCount = 0;

  FieldDescriptors Fields;

  QString AppDir;       // program folder, ending in "/"
  QString IncludeDir;   // folder of "MxSel.INC"
  QString AppCaption;
  QString ProductName;
  int NPoints = 256;
  int ScaleDivisor = 1;
  // Outlier threshold of the interleaved ADC and temperature capture; only grows.
  int FilterLimit = 0;
  bool ReadDone = false;
  uint8_t RamBank = 0;
  uint8_t BitPage = 0;
};
