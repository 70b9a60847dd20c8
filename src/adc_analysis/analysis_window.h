#pragma once
// ADC analysis window: the ENOB test.

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QCheckBox;
class QGroupBox;

class TAnxADC : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TAnxADC(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Restores the ADC preset registers ("Restore ADC").
  void ComFunChange();

  QCheckBox* ChangeADI = nullptr;  // "IQ Mode Result"
  QCheckBox* cbEKG = nullptr;      // "EKG"
  QGroupBox* gbECG = nullptr;      // "ECG"
  // Whether the chart's second series ("EKG") appears in the legend.
  bool Series2InLegend = false;

  // Chip definition: "#EKG" and "#CATCHIQ" offer the optional controls.
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateChipDefinitionControls();
};
