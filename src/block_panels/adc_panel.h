#pragma once
// ADC block panel: the sigma-delta ADC's switches and settings over its block diagram,
// and a read-out of the last ADC and I/Q results. Every control lies at its spot of the
// diagram (adc_spots.h), shows a register field from the shadow and writes it through
// the register API; every register change repaints the panel (DataUpdate).

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "block_panels/adc_captions.h"
#include "block_panels/panel_kit.h"
#include "kit/form.h"
#include "link/chip_definition_listener.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

class TADCForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TADCForm(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow, shown or hidden.
  void DataUpdate();
  // The diagram at 1:1; a smaller window scrolls.
  QSize sizeHint() const override;

  // Read-out format (OutHex, OutDec) and width index 0..15 (8..23 bits). The main
  // configuration restores both: their items selected in TXADCOMD and TXADCObit (an
  // index out of range selects nothing), then TXADCObitChange.
  void RestoreOutFormat(uint8_t mode, uint8_t bits);
  uint8_t OutMode = OutHex;
  uint8_t OutBits = InitialOutBits;
  QComboBox* TXADCOMD = nullptr;
  QComboBox* TXADCObit = nullptr;
  void TXADCOMDChange();
  void TXADCObitChange();

  // A position selector: glyph pairs and labels by position, and its combo.
  struct Selector {
    std::vector<QWidget*> on, off;
    std::vector<QLabel*> labels;
    QComboBox* combo = nullptr;
  };
  Selector In1p, In1n, Vr1p, Vr1n;
  std::vector<QWidget*> Inx;  // INX00, INX01, INX10, INX11

  // ---- Handlers (the control that was clicked as sender) ------------------------------
  void IN1PonoffClick(QObject* sender);
  void IN1NonoffClick(QObject* sender);
  void VR1PClick(QObject* sender);
  void VR1NClick(QObject* sender);
  void TXIN1PChange();
  void TXIN1NChange();
  void TXVR1PChange();
  void TXVR1NChange();
  void TXOSR1Change();
  void TXVDDAXChange();
  void TXAD1GNChange();
  void TXDC1SChange();
  void TXINXChange();
  void LDOM1_ComboBoxChange();
  void TXIRQMChange();
  void TXDADC1Change();
  // A toggle panel's click: the field's cached value inverted and written, then a refresh.
  void ENPanel(TRegField& field);
  void PENAD1Click();
  void PVR1GNClick();
  void PAD1RSTClick();
  void PENTPSClick();
  void PTPSCHClick();
  void PIRQSELClick();
  void PENLDOClick();
  void PENREFOClick();
  void PENACMClick();
  void PENOPClick();
  void PTSClick();
  void POSMClick();
  void PIRQENClick();
  void PHSClick();
  void INISClick();
  // "Read ADC": the result registers from the chip into the shadow.
  void BRDADC1Click();
  void BTempReadClick();
  void BRDADCClick();
  // The hidden read tool shows "STOP" again (the analysis window's captures ask it).
  void ResetReadTool();

  // Chip definition: the "#ADC0S" lines offer positions and enable controls; after the
  // parse the selectors show their cached values again.
  void FieldLineRead(const FieldLine& line) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateControls();
  void CreateSelector(Selector& s, BoundSelector& bound, const QString& field, const QString& hint);
  void CreateTemperatureSensor();
  void ConnectHandlers();
  void DisableUntilDefined();
  void ApplyInputSelectorLine(Selector& s, const FieldLine& line);
  void ApplyReferenceSelectorLine(Selector& s, const FieldLine& line);
  void EnableNamed(const char* const* names, int count);

  // ADCIInit: position arrays, cached values 0 and the first paint.
  void ADCIInit();
  TMx_UP* Up() const;
  // Combo choice of a position selector: range checked, written, painted, refreshed.
  void SelectorChange(BoundSelector& s, void (TADCForm::*paint)());
  void ReferenceChange(BoundSelector& s);
  // Combo choice of a code selector: range checked; the new value written and painted in
  // the order the handler gives.
  void CodeChange(QComboBox* combo, TRegField& field, void (TADCForm::*paint)(), bool paintFirst, bool refresh);
  // A toggle panel painted by the refresh (toggle-off in the window colour).
  void PanelSwitch(TRegField& field, QWidget* panel);

  // Paints from the cached values.
  void PaintIn1p();
  void PaintIn1n();
  void PaintConverter();
  void PaintShort();
  void PaintGain();
  void PaintReferenceGain();
  void PaintOffset();
  void PaintOversampling();
  void PaintClock();
  void PaintLdo();
  void PaintSupply();
  void PaintIrqMode();
  void PaintReadOut();

  FieldDescriptors& F;
  QScrollArea* scroll_ = nullptr;
  QWidget* canvas_ = nullptr;
  BoundSelector in1p_, in1n_, vr1p_, vr1n_;
  CodeSelectorView gain_, offset_, osr_, ldo_, supply_, irq_, clock_;
  QComboBox *TXINX = nullptr, *TXPGA1GN = nullptr;
  QWidget *IN1STon = nullptr, *IN1SToff = nullptr;
  QWidget *PINIS = nullptr, *PVR1GN = nullptr, *PENAD1 = nullptr, *PAD1RST = nullptr, *PENTPS = nullptr,
          *PTPSCH = nullptr, *PIRQSEL = nullptr, *PENLDO = nullptr, *PENREFO = nullptr, *PENOP = nullptr,
          *PTS = nullptr, *POSM = nullptr, *PIRQEN = nullptr, *PHS = nullptr;
  QLabel *TXVR1GN = nullptr, *TXADC1 = nullptr, *TXADI1 = nullptr, *TXADQ1 = nullptr, *LADIF1 = nullptr;
  QLabel *TPSHP = nullptr, *TPSHN = nullptr, *TPSLP = nullptr, *TPSLN = nullptr;
  QPushButton* BRDADC = nullptr;
};
