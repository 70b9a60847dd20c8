#pragma once
// Op-amp block panel: the three op-amps and their switch matrices.

#include <vector>

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QLabel;

class TOPForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TOPForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();

  // A switch bank: closed and open glyphs and labels by bit.
  struct Bank {
    std::vector<QWidget*> on, off;
    std::vector<QLabel*> labels;
  };
  Bank Op1o, Op1oSmall, Op1p, Op1pSmall, Op1n, Op2n89, Op2net1, Op2n, Op2p, Sw, Op3n, Op3p;
  std::vector<QLabel*> Enop;  // pnlEnop1 .. pnlEnop3

  // Chip definition: banks and layouts by the "#OP0S" lines, covers by what was seen.
  void DefinitionOpened() override;
  void FieldLineRead(const FieldLine& line) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateChipDefinitionControls();
};
