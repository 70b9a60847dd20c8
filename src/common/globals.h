#pragma once
// The program-wide state: what the chip, the link and the windows share. One
// instance lives in the Program; nothing here is static.

#include <QString>
#include <cstdint>
#include <memory>

#include "common/channel_records.h"
#include "common/field_descriptors.h"
#include "common/impedance_state.h"
#include "common/instrument_ports.h"
#include "common/register_model.h"

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

  // Filled by the chip definition and never reset by it.
  FieldDescriptors Fields;
  QString AD1GNCaptions[CaptionCount];   // gain captions 0..7 of the "AD1GN" line
  QString VDDAXCaptions[CaptionCount];   // supply captions of the "VDDAX" line
  QString ClockTexts[ClockTextCount];    // "#ACTUALCLK": low and high trim ends per clock, in Hz
  TRegField IQRegLists[IQRegListCount][IQRegListSize];
  int IQRegCounts[IQRegListCount] = {};  // reset by every parse

  // Register model of the chip definition.
  uint8_t RegMask[RegModelSize] = {};     // implemented bits; 0 = not part of the chip
  uint8_t RegShown[RegModelSize] = {};    // value the views last displayed
  uint8_t RegChanged[RegModelSize] = {};  // 1 = changed since last displayed
  uint8_t RegIsBit[RegIsBitSize] = {};    // 1 = declared as a bit register
  uint16_t BitPageCount[BitPages + 1] = {};  // [1..6]: bit registers of "#REGBIT" .. "#REGBIT5"
  uint16_t ByteRegCount = 0;
  uint16_t WordRegCount = 0;
  RegRange Reg0Range;
  RegRange Reg1Range;
  RegRange RamBankRanges[RamBanks];       // Start = End: the bank does not exist
  // Created by TMx_BASE at start-up, destroyed by the main window's close.
  std::unique_ptr<TCRREGBitPtr> RegBitList;
  std::unique_ptr<TCRREGBytePtr> RegByteList;
  std::unique_ptr<TCRREGWordPtr> RegWordList;

  // Bench instrument ports and their exchange buffers.
  InstrumentPorts Instruments;

  // The I/Q test's and the body-fat test's calibrations, results and run logs.
  ImpedanceState Impedance;

  QString AppDir;       // program folder, ending in "/"
  QString IncludeDir;   // folder of "MxSel.INC"
  QString AppCaption;
  QString ProductName;
  int NPoints = 256;
  int ScaleDivisor = 1;
  // Outlier threshold of the interleaved ADC and temperature capture; only grows.
  int FilterLimit = 0;
  bool ReadDone = false;
  uint8_t RamBank = 0;   // memory view's bank 0..4
  uint8_t BitPage = 0;   // register view's bit page 0..5
};
