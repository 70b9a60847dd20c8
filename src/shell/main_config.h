#pragma once
// The main configuration file "MxADC.cfg": a caption line and 16 numbered blocks of
// settings carried from one run into the next. This is the file's text form; the
// main window gathers the values from its windows and applies them back.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

struct MainConfig {
  // block 0
  int ProductIndex = 0;
  int LinkKind = 0;
  int UartComIndex = 0;
  int UartBaudIndex = 0;
  int UartParityIndex = 0;
  // block 1
  bool ConfigFlags[6] = {};
  // block 2
  int BitPage = 0;
  int RamBank = 0;
  // block 3
  int OutMode = 0;
  int OutBits = 0;
  // block 4
  int NPointIndex = 0;
  int TXScale = 0;
  bool MovingDiffMode = false;
  // block 5
  int CFunADC = 0;
  // block 6
  int CLPT = 0;
  // block 7
  int DmmCalValue = 0;
  int DmmCalReading = 0;
  // block 8
  uint8_t AdcPresetScale[6] = {};
  uint8_t AdcPresetDmm[6] = {};
  // block 9
  int ComFun = 0;
  int ADShift = 0;
  // block 10
  int Photo = 0;
  // block 11
  QString EREFV;
  // block 12
  int CMAVR = 0;
  // block 13
  int CHFULL = 0;
  // block 14
  int EGv = 0;
  int ChTemper = 0;
  // block 15
  bool ChangeADI = false;
  bool cbEKG = false;
  bool updateChart = false;
};

constexpr int MainConfigBlocks = 16;

// The 29 lines of the file for a caption and values.
QStringList FormatMainConfig(const QString& caption, const MainConfig& c);

// Reads the file block by block into `c`, calling `applyBlock(n)` as soon as block n
// has been read. Returns false (nothing applied) when line 1 differs from `caption`.
// A number that does not parse raises EInOutError; the blocks before it stay applied.
bool ReadMainConfig(const QString& path, const QString& caption, MainConfig& c,
                    const std::function<void(int block)>& applyBlock);
