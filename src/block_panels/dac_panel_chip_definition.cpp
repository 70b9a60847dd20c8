// The DAC panel's side of the chip definition: its six selectors, toggles, latch
// glyphs and the cover panels of the two output multiplexers.
#include <QComboBox>

#include "block_panels/dac_panel.h"
#include "kit/field_selectors.h"
#include "kit/plain_controls.h"

void TDACForm::FieldLineRead(const FieldLine& line) {
  if (line.Section != ChipKeyword::Dac0S) return;
  auto selector = [&line](const Selector& s) { GetBtnLblCmbSel(line, s.on, s.off, s.combo, s.labels); };
  switch (line.Id) {
    case FieldId::DANS: selector(Dans); break;
    case FieldId::DAPS: selector(Daps); break;
    case FieldId::DAOE: selector(Daoe); break;
    case FieldId::DANS2: selector(Dans2); break;
    case FieldId::DAPS2: selector(Daps2); break;
    case FieldId::DAOE2: selector(Daoe2); break;
    case FieldId::ENDA: SetNamedVisible(this, {"pnlEnda"}, true); break;
    case FieldId::ENDA2: SetNamedVisible(this, {"pnlEnda2"}, true); break;
    case FieldId::DADCS: SetNamedVisible(this, {"pnlDadcs"}, true); break;
    case FieldId::DADCS2: SetNamedVisible(this, {"pnlDadcs2"}, true); break;
    case FieldId::DALH: SetNamedVisible(this, {"btnDalhoff"}, true); break;
    case FieldId::DALH2: SetNamedVisible(this, {"btnDalh2Off"}, true); break;
    default: break;
  }
}

void TDACForm::ParseEnded(const ChipDefinitionSeen& seen) {
  SetNamedVisible(this, {"pnlCoverDAOE1_1", "pnlCoverDAOE1_2", "pnlCoverDAOE1_3"}, !seen.DAOE);
  SetNamedVisible(this, {"pnlCoverDAOE2_1", "pnlCoverDAOE2_2", "pnlCoverDAOE2_3"}, !seen.DAOE2);
  Daoe.combo->setEnabled(seen.DAOE);
  Daoe2.combo->setEnabled(seen.DAOE2);
  // The refilled combos select the code their glyphs show, as a refresh would.
  for (const BoundDacSelector* s : {&dans_, &daps_, &daoe_, &dans2_, &daps2_, &daoe2_}) SelectorCode(*s);
}
