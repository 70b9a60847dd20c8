#pragma once
// The Setup dialog: product choice (which chip definition is parsed), the board's
// firmware name, the board UART and the instrument ports.

#include "common/line_tokens.h"
#include "common/number_text.h"
#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QCheckBox;
class QComboBox;
class QFrame;

class TOption : public TDialogForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TOption(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;

  // Shown modally by the main menu's "Setup" at the given screen point.
  void ShowSetup(int left, int top);
  // The Setup selectors take channel 0's settings, the link kind is forced to the
  // USB bridge and the chip definition is parsed again.
  void ChennalComChange();
  // The text of the product list item at an index (empty when out of range).
  QString ProductText(int index) const;

  // The shared number and line helpers, under the names the panels know them by.
  static QString IntToBin(int32_t value, int digits) { return ::IntToBin(value, digits); }
  static void CutLIPara(LineRec& rec) { ::CutLIPara(rec); }

  // The chip definition of the selected product (ChipDefinition::GetSELUP).
  bool GetSELUP();
  static uint16_t IsPseudo(const QString& word);
  // A product chosen in CbSeluP: the chip definition follows at once.
  void CbSeluPChange(int index);

  QComboBox* CbSeluP = nullptr;
  QCheckBox* Photo = nullptr;
  QFrame* PanelENG = nullptr;  // the instrument ports
  bool AutoLoad = false;       // "#AUTOLOAD" in the chip definition

  // Chip definition: "光耦合", the instrument rows and the auto-load flag.
  void ParseStarted() override;
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;

private:
  void CreateChipDefinitionControls();
};
