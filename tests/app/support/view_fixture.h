#pragma once
// A started Program without the shipped files, a chip definition of the test's own,
// and the board's packets as short texts.

#include <QByteArray>
#include <string>

#include "app/support/program_fixture.h"
#include "support/board_faults.h"  // PacketText

class TStringGrid;

// Mouse and keys on a grid cell as the user gives them.
void GridPress(TStringGrid* grid, int col, int row, Qt::MouseButton button = Qt::LeftButton);
void GridDoubleClick(TStringGrid* grid, int col, int row);
// Types into the grid's current cell: "\r" Enter, "\t" Tab, "\b" Backspace.
void GridType(TStringGrid* grid, const QString& keys);

class ViewTest : public ProgramTest {
protected:
  void SetUp() override;
  // Makes `definition` the one product's include file and parses it.
  void Define(const QByteArray& definition);
  // Opens the simulated board and clears its packet log.
  void Connect();
  std::vector<std::string> SentText() const;

  Globals& G() const { return prog->G; }
  uint8_t& Shadow(int address) const { return prog->G.Channels[0].RegShadow[address]; }
};
