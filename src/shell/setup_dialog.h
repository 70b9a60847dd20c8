#pragma once
// The Setup dialog: product choice (which chip definition is parsed), the board's
// firmware name, the board UART and the instrument ports.

#include "common/line_tokens.h"
#include "common/number_text.h"
#include "shell/form.h"

class QCheckBox;
class QComboBox;

class TOption : public TDialogForm {
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

  QComboBox* CbSeluP = nullptr;
  QCheckBox* Photo = nullptr;
  bool AutoLoad = false;  // "#AUTOLOAD" in the chip definition
};
