// The DAC panel's side of the chip definition: its six selectors, toggles, latch
// glyphs and the cover panels of the two output multiplexers.
#include <QComboBox>
#include <QLabel>

#include "block_panels/dac_panel.h"
#include "shell/field_selectors.h"
#include "shell/plain_controls.h"

namespace {

TDACForm::Selector MakeSelector(PlainControls& c, const QString& name) {
  TDACForm::Selector s;
  s.on = c.Glyphs("btn" + name + "On", 0, 3);
  s.off = c.Glyphs("btn" + name + "Off", 0, 3);
  for (QWidget* g : s.on) g->hide();
  s.labels = c.Labels("lbl" + name + "_", 0, 3);
  s.combo = c.Combo("cmb" + name, PlainControls::Codes(2));
  c.NewRow();
  return s;
}

}  // namespace

void TDACForm::CreateChipDefinitionControls() {
  PlainControls c(this);
  Dans = MakeSelector(c, "Dans");
  Daps = MakeSelector(c, "Daps");
  Daoe = MakeSelector(c, "Daoe");
  Dans2 = MakeSelector(c, "Dans2");
  Daps2 = MakeSelector(c, "Daps2");
  Daoe2 = MakeSelector(c, "Daoe2");
  // Shown by the chip definition when it defines their fields.
  for (auto [name, caption] : {std::pair{"pnlEnda", "ENDA"}, {"pnlEnda2", "ENDA2"}, {"pnlDadcs", "DADCS"},
                               {"pnlDadcs2", "DADCS2"}})
    c.Panel(name, caption)->hide();
  for (const char* n : {"btnDalhOn", "btnDalhoff", "btnDalh2On", "btnDalh2Off"}) c.Glyph(n)->hide();
  c.NewRow();
  for (const char* n : {"pnlCoverDAOE1_1", "pnlCoverDAOE1_2", "pnlCoverDAOE1_3", "pnlCoverDAOE2_1",
                        "pnlCoverDAOE2_2", "pnlCoverDAOE2_3"})
    c.Cover(n);
}

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
}
