// The ADC panel's side of the chip definition: the controls its "#ADC0S" lines
// configure, and how a line offers selector positions and enables controls.
#include <QComboBox>
#include <QLabel>

#include "block_panels/adc_panel.h"
#include "common/number_text.h"
#include "kit/field_selectors.h"

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

// The chip definition enables what the chip has.
void TADCForm::DisableUntilDefined() {
  for (const Enables& e : kEnables)
    for (int i = 0; i < e.count; ++i)
      if (auto* w = findChild<QWidget*>(e.names[i])) w->setEnabled(false);
  for (Selector* s : {&In1p, &In1n, &Vr1p, &Vr1n}) {
    for (auto* list : {&s->on, &s->off})
      for (QWidget* g : *list) g->setEnabled(false);
    s->combo->setEnabled(false);
  }
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
