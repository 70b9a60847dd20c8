#pragma once
// DAC block panel: the chip's two 12-bit DACs over their block diagram. For each DAC the
// reference and output multiplexers (combos matched by their code text), the enable, the
// reference-select toggle, the latch switch and the current 12-bit code. Glyph clicks
// write the position without touching the cached value; the refresh repaints.

#include <vector>

#include "block_panels/panel_kit.h"
#include "kit/form.h"
#include "link/chip_definition_listener.h"

class QComboBox;
class QLabel;
class QLineEdit;

class TDACForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TDACForm(Bench& program, QWidget* parent = nullptr);
  // Builds the selectors' arrays by name, shows every open glyph, assigns the handlers
  // and puts the window at Left 0, Top 0.
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow, shown or hidden.
  void DataUpdate();
  // The diagram at 1:1; a smaller window scrolls.
  QSize sizeHint() const override;

  // A selector of four positions: glyph pairs, labels and its combo (filled by FormCreate).
  struct Selector {
    std::vector<QWidget*> on, off;
    std::vector<QLabel*> labels;
    QComboBox* combo = nullptr;
  };
  Selector Dans, Daps, Daoe, Dans2, Daps2, Daoe2;
  QLineEdit *edtDabit = nullptr, *edtDabit2 = nullptr;

  // ---- Handlers (the control that was clicked as sender) ------------------------------
  void btnDansOnOffClick(QObject* sender);
  void btnDapsOnOffClick(QObject* sender);
  void btnDaoeOnOffClick(QObject* sender);
  void btnDans2OnOffClick(QObject* sender);
  void btnDaps2OnOffClick(QObject* sender);
  void btnDaoe2OnOffClick(QObject* sender);
  void cmbDansChange();
  void cmbDapsChange();
  void cmbDaoeChange();
  void cmbDans2Change();
  void cmbDaps2Change();
  void cmbDaoe2Change();
  void pnlEndaClick();
  void pnlEnda2Click();
  void pnlDadcsClick();
  void pnlDadcs2Click();
  void btnDalhOnOffClick(QObject* sender);
  void btnDalh2OnOffClick(QObject* sender);

  // Chip definition: selectors and toggles by the "#DAC0S" lines, covers by what was
  // seen; after the parse the combos show the cached values again.
  void FieldLineRead(const FieldLine& line) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  // A selector bound to its field: glyph pairs by position, the combo.
  struct BoundDacSelector {
    TRegField& field;
    PositionSelectorView view;
    Selector& names;
  };

  void CreateControls();
  void CreateHalf(const QString& suffix);
  void BuildSelector(BoundDacSelector& s, const QString& part, void (TDACForm::*handler)(QObject*),
                     void (TDACForm::*change)());
  TMx_UP* Up() const;

  void btnOnOffClick(QObject* sender, const BoundDacSelector& s);
  void cmbChange(const BoundDacSelector& s);
  void pnlClick(TRegField& field);
  void btnSwOnOffClick(QObject* sender, const GlyphPair& latch, TRegField& field);
  // Paints: the selector's glyphs and combo by code (labels untouched), a toggle, the
  // latch switch, a code display.
  void DACSwitch(const BoundDacSelector& s);
  void SelectorCode(const BoundDacSelector& s);
  void DACSwitch2(const GlyphPair& latch, int value);
  void DabitSwitch(QLineEdit* edit, const TRegField& high, const TRegField& low);

  FieldDescriptors& F;
  BoundDacSelector dans_, daps_, daoe_, dans2_, daps2_, daoe2_;
  GlyphPair dalh_, dalh2_;
  QAbstractButton *pnlEnda = nullptr, *pnlEnda2 = nullptr, *pnlDadcs = nullptr, *pnlDadcs2 = nullptr;
  QWidget* canvas_ = nullptr;
};
