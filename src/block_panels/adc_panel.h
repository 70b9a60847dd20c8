#pragma once
// ADC block panel: the sigma-delta ADC's switches and settings over its block diagram.

#include <vector>

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class PlainControls;
class QComboBox;
class QLabel;

class TADCForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TADCForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();

  // A position selector: glyph pairs and labels by position, and its combo.
  struct Selector {
    std::vector<QWidget*> on, off;
    std::vector<QLabel*> labels;
    QComboBox* combo = nullptr;
  };
  Selector In1p, In1n, Vr1p, Vr1n;
  std::vector<QWidget*> Inx;  // INX00, INX01, INX10, INX11

  // Chip definition: the "#ADC0S" lines offer positions and enable controls.
  void FieldLineRead(const FieldLine& line) override;

private:
  void CreateChipDefinitionControls();
  Selector CreateSelector(PlainControls& c, const QString& name, int digits, const QString& labelPrefix,
                          int labelDigits);
  void ApplyInputSelectorLine(Selector& s, const FieldLine& line);
  void ApplyReferenceSelectorLine(Selector& s, const FieldLine& line);
  void EnableNamed(const char* const* names, int count);
};
