#pragma once
// DAC block panel: the two 12-bit DACs.

#include <vector>

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QComboBox;
class QLabel;

class TDACForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TDACForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();

  // A selector of four positions: glyph pairs, labels and its combo.
  struct Selector {
    std::vector<QWidget*> on, off;
    std::vector<QLabel*> labels;
    QComboBox* combo = nullptr;
  };
  Selector Dans, Daps, Daoe, Dans2, Daps2, Daoe2;

  // Chip definition: selectors and toggles by the "#DAC0S" lines, covers by what was seen.
  void FieldLineRead(const FieldLine& line) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateChipDefinitionControls();
};
