#pragma once
// A started Program with a small register map declared the way the chip definition
// declares it, and the board's packets as short texts.

#include <QStringList>
#include <string>

#include "support/program_fixture.h"

// "R 7F 1": a chip register read of one register from 7Fh; "W 7F 02": a write of
// one register; anything else as hex bytes.
std::string PacketText(const Bytes& p);

class ViewTest : public ProgramTest {
protected:
  void SetUp() override;
  // Opens the simulated board and clears its packet log.
  void Connect();
  std::vector<std::string> SentText() const;

  Globals& G() const { return prog->G; }
  // A bit register on page 0..5; bit names bit 7 first, "-" for an unused bit.
  void BitRegister(int page, int address, const QString& name, const QStringList& bits);
  void ByteRegister(int address, const QString& name, uint8_t mask = 0xFF);
  void WordRegister(int high, int low, const QString& name, uint8_t highMask = 0xFF, uint8_t lowMask = 0xFF);
  // "#RAMBANKn start end": the range's masks set and the bank shown.
  void RamBank(int bank, int start, int end);
  // The end of a parse: the register view's bit grid rebuilt.
  void Declared();
};
