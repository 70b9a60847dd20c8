#pragma once
// I/Q impedance test window.

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QRadioButton;

class TIQForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TIQForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // The waveform generator's frequency, written into the T_Freq field.
  void SetFrequencyText(const QString& text);

  QRadioButton* rbACMode = nullptr;
  QRadioButton* rbDCMode = nullptr;

  // Chip definition: "#DCMODE" offers the DC modes, "#SIMPLEACMODE" the simple AC view.
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateChipDefinitionControls();
};
