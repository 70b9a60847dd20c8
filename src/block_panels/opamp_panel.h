#pragma once
// Op-amp block panel: the three op-amps with their switch matrices over the block
// diagram. Every bank is a bit-mask field (bit i closes switch i), two feedback-resistor
// selectors and the three enables; the chip definition chooses between two layouts of
// OP1O and OP1P by their widths. Every register change repaints the panel (DataUpdate).

#include <vector>

#include "block_panels/panel_kit.h"
#include "kit/form.h"
#include "link/chip_definition_listener.h"

class QComboBox;
class QLabel;
struct OpampBank;

class TOPForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TOPForm(Bench& program, QWidget* parent = nullptr);
  // Builds the bank arrays by name, creates the small banks' labels, shows every open
  // glyph, assigns the click handlers and sets the cached values to 0.
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow, shown or hidden.
  void DataUpdate();
  // The diagram at 1:1; a smaller window scrolls.
  QSize sizeHint() const override;

  // A switch bank: closed and open glyphs and labels by bit (filled by FormCreate).
  struct Bank {
    std::vector<QWidget*> on, off;
    std::vector<QLabel*> labels;
  };
  Bank Op1o, Op1oSmall, Op1p, Op1pSmall, Op1n, Op2n89, Op2net1, Op2n, Op2p, Sw, Op3n, Op3p;
  std::vector<QAbstractButton*> Enop;  // pnlEnop1 .. pnlEnop3

  // ---- Handlers (the control that was clicked as sender) ------------------------------
  void btnOP1oOnOffClick(QObject* sender);
  void btnOP1oOnOff2Click(QObject* sender);
  void btnOP1pOnOffClick(QObject* sender);
  void btnOP1pOnOff2Click(QObject* sender);
  void btnOP1nOnOffClick(QObject* sender);
  void btnOP2n89OnOffClick(QObject* sender);
  void btnOP2net1OnOffClick(QObject* sender);
  void btnOP2nOnOffClick(QObject* sender);
  void btnOP2pOnOffClick(QObject* sender);
  void btnSWOnOffClick(QObject* sender);
  void btnOP3nOnOffClick(QObject* sender);
  void btnOP3pOnOffClick(QObject* sender);
  void cmbRfbChange();
  void cmbRfb2Change();
  void pnlEnopClick(QObject* sender);

  // Chip definition: banks and layouts by the "#OP0S" lines, covers by what was seen;
  // after the parse the two variant banks show the shadow again in their layout.
  void DefinitionOpened() override;
  void FieldLineRead(const FieldLine& line) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateControls();
  void CreateBank(QWidget* parent, const OpampBank& bank, QPoint origin);
  void CreateSmallBankCards();
  // FormCreate: a bank's view and its arrays, by name.
  void BuildBank(BoundBank& bound, Bank& names, const OpampBank& bank, std::vector<QLabel*> labels = {});
  std::vector<QLabel*> CreateSmallBankLabels(QWidget* card, const OpampBank& bank, int left, int top, int step);
  void ConnectBank(const BoundBank& bound, void (TOPForm::*handler)(QObject*));

  TMx_UP* Up() const;
  // The bank click shared by every bank handler: the closed glyph of bit i clears the
  // bit, the open glyph sets it, written at once; the cached value is not touched.
  void btnOnOffClick(QObject* sender, const BoundBank& bank);
  // The variant banks painted in the layout the chip definition chose.
  void PaintOp1o();
  void PaintOp1p();
  // Feedback resistor caption and combo from the cached value.
  void RfbSwitch(TRegField& field, QComboBox* combo, QLabel* caption);
  void RfbChange(TRegField& field, QComboBox* combo);
  void ENOPSwitch();

  FieldDescriptors& F;
  BoundBank op1o_, op1oSmall_, op1p_, op1pSmall_, op1n_, op2n89_, op2net1_, op2n_, op2p_, sw_, op3n_, op3p_;
  QWidget* canvas_ = nullptr;
  QWidget *pnlOp1os = nullptr, *pnlOp1ps = nullptr;
  QComboBox *cmbRfb = nullptr, *cmbRfb2 = nullptr;
  QLabel *lblRfb = nullptr, *lblRfb2 = nullptr;
};
