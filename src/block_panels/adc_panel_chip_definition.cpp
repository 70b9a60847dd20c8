// The ADC panel's side of the chip definition: the controls its "#ADC0S" lines
// configure, and how a line offers selector positions and enables controls.
#include <QComboBox>
#include <QLabel>

#include "block_panels/adc_panel.h"
#include "common/number_text.h"
#include "shell/field_selectors.h"
#include "shell/plain_controls.h"

namespace {
// Controls a field line enables; the flag says whether only a width above 0 does.
struct Enables {
  FieldId id;
  bool needsWidth;
  const char* names[3];
  int count;
};
constexpr Enables kEnables[] = {
    {FieldId::INIS, true, {"IN1STon", "IN1SToff", "PINIS"}, 3},
    {FieldId::PGA, true, {"TXPGA1GNS"}, 1},
    {FieldId::ENADC, true, {"PENAD1"}, 1},
    {FieldId::AD1GN, true, {"TXAD1GN"}, 1},
    {FieldId::VR1GN, false, {"PVR1GN"}, 1},
    {FieldId::LDOM, true, {"LDOM1_ComboBox"}, 1},
    {FieldId::VDDAX, false, {"TXVDDAX"}, 1},
    {FieldId::ENLDO, false, {"PENLDO"}, 1},
    {FieldId::ENREFO, true, {"PENREFO"}, 1},
    {FieldId::ENOP_ADC, true, {"PENOP"}, 1},
    {FieldId::DC1S, true, {"TXDC1S"}, 1},
    {FieldId::AD1RST, true, {"PAD1RST"}, 1},
    {FieldId::ENTPS, true, {"PENTPS"}, 1},
    {FieldId::TPSCH, true, {"PTPSCH"}, 1},
    {FieldId::OSR1, false, {"TXOSR1"}, 1},
    {FieldId::DADC, true, {"TXDADC1"}, 1},
    {FieldId::INX0, false, {"TXINX"}, 1},
};
}  // namespace

TADCForm::Selector TADCForm::CreateSelector(PlainControls& c, const QString& name, int digits,
                                            const QString& labelPrefix, int labelDigits) {
  Selector s;
  const int n = 1 << digits;
  for (int i = 0; i < n; ++i) {
    const QString code = IntToBin(i, digits);
    s.on.push_back(c.Glyph(name + code + "on"));
    s.off.push_back(c.Glyph(name + code + "off"));
  }
  c.NewRow();
  s.labels = c.Labels(labelPrefix, 0, n - 1, labelDigits);
  s.combo = c.Combo("TX" + name, PlainControls::Codes(digits));
  c.NewRow();
  // One glyph of a pair is visible: the open one. The chip definition enables positions.
  for (QWidget* g : s.on) g->hide();
  for (auto* list : {&s.on, &s.off})
    for (QWidget* g : *list) g->setEnabled(false);
  s.combo->setEnabled(false);
  return s;
}

void TADCForm::CreateChipDefinitionControls() {
  PlainControls c(this);
  In1p = CreateSelector(c, "IN1P", 4, "LINP", 2);
  In1n = CreateSelector(c, "IN1N", 4, "LINN", 2);
  Vr1p = CreateSelector(c, "VR1P", 2, "LVR1P", 0);
  Vr1n = CreateSelector(c, "VR1N", 2, "LVR1N", 0);
  for (const char* n : {"INX00", "INX01", "INX10", "INX11"}) Inx.push_back(c.Glyph(n));
  c.Combo("TXINX", PlainControls::Codes(2));
  c.Glyph("IN1STon")->hide();
  c.Glyph("IN1SToff");
  c.Panel("PINIS", "INIS")->hide();
  c.NewRow();
  c.Label("TXPGA1GNS")->hide();
  c.Combo("TXPGA1GN", PlainControls::Codes(3))->hide();
  c.Panel("PENAD1", "ENADC");
  c.Combo("TXAD1GN", PlainControls::Codes(3));
  c.Panel("PVR1GN", "VR1GN");
  c.Combo("LDOM1_ComboBox", PlainControls::Codes(2));
  c.Combo("TXVDDAX", PlainControls::Codes(3));
  c.NewRow();
  c.Panel("PENLDO", "ENLDO")->hide();
  c.Panel("PENREFO", "ENREFO")->hide();
  c.Panel("PENOP", "ENOP")->hide();
  c.Combo("TXDC1S", PlainControls::Codes(4));
  c.Panel("PAD1RST", "CMFR");
  c.Panel("PENTPS", "ENTPS");
  c.Panel("PTPSCH", "TPSCH");
  c.Combo("TXOSR1", PlainControls::Codes(4));
  c.Combo("TXDADC1", PlainControls::Codes(2));
  // The chip definition enables what the chip has.
  for (const Enables& e : kEnables)
    for (int i = 0; i < e.count; ++i)
      if (auto* w = findChild<QWidget*>(e.names[i])) w->setEnabled(false);
  for (QWidget* g : Inx) g->setEnabled(false);
}

void TADCForm::EnableNamed(const char* const* names, int count) {
  for (int i = 0; i < count; ++i)
    if (auto* w = findChild<QWidget*>(names[i])) w->setEnabled(true);
}

// IN1P, IN1N: the combo lists every code of the field's width; all 16 positions follow
// their caption words, an unoffered position's label is emptied.
void TADCForm::ApplyInputSelectorLine(Selector& s, const FieldLine& line) {
  s.combo->clear();
  const int codes = FieldPositions(line.Field, static_cast<int>(s.on.size()));
  for (int i = 0; i < codes; ++i) s.combo->addItem(IntToBin(i, line.Field.Width));
  s.combo->setEnabled(true);
  for (size_t i = 0; i < s.on.size(); ++i) {
    const bool offered = line.Offered(static_cast<int>(i));
    s.on[i]->setEnabled(offered);
    s.off[i]->setEnabled(offered);
    s.labels[i]->setText(offered ? line.Caption(static_cast<int>(i)) : QString());
  }
  s.combo->setCurrentIndex(0);
}

// VR1P, VR1N: an unoffered position's label is hidden; the combo lists the codes of the
// offered positions only.
void TADCForm::ApplyReferenceSelectorLine(Selector& s, const FieldLine& line) {
  s.combo->clear();
  const int codes = FieldPositions(line.Field, static_cast<int>(s.on.size()));
  for (size_t i = 0; i < s.on.size(); ++i) {
    const int pos = static_cast<int>(i);
    const bool offered = line.Offered(pos);
    s.on[i]->setEnabled(offered);
    s.off[i]->setEnabled(offered);
    if (offered) {
      s.labels[i]->setText(line.Caption(pos));
      s.labels[i]->show();
      if (pos < codes) s.combo->addItem(IntToBin(pos, line.Field.Width));
    } else {
      s.labels[i]->hide();
    }
  }
  s.combo->setEnabled(true);
  s.combo->setCurrentIndex(0);
}

void TADCForm::FieldLineRead(const FieldLine& line) {
  if (line.Section != ChipKeyword::Adc0S) return;
  switch (line.Id) {
    case FieldId::IN1P: ApplyInputSelectorLine(In1p, line); return;
    case FieldId::IN1N: ApplyInputSelectorLine(In1n, line); return;
    case FieldId::VR1P: ApplyReferenceSelectorLine(Vr1p, line); return;
    case FieldId::VR1N: ApplyReferenceSelectorLine(Vr1n, line); return;
    case FieldId::INX0:
      for (int i = 0; i < FieldPositions(line.Field, static_cast<int>(Inx.size())); ++i) Inx[i]->setEnabled(true);
      break;
    default:
      break;
  }
  for (const Enables& e : kEnables)
    if (e.id == line.Id && (!e.needsWidth || line.Field.Width > 0)) EnableNamed(e.names, e.count);
}
