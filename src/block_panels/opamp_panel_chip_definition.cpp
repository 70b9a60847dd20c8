// The op-amp panel's side of the chip definition: its switch banks, the two layouts
// of OP1O and OP1P, the enables and the cover panels.
#include <QAbstractButton>

#include "block_panels/opamp_panel.h"
#include "kit/field_selectors.h"
#include "kit/plain_controls.h"

void TOPForm::DefinitionOpened() {
  SetNamedVisible(this, {"pnlOp1os"}, true);
  SetNamedVisible(this, {"pnlOp1os_2"}, false);
}

void TOPForm::FieldLineRead(const FieldLine& line) {
  if (line.Section != ChipKeyword::Op0S) return;
  auto bank = [&line](const Bank& b) { GetBtnLblSel(line, b.on, b.off, b.labels); };
  switch (line.Id) {
    case FieldId::OP1O:
      if (line.Field.Width == 6) {
        bank(Op1o);
        SetNamedVisible(this, {"pnlOp1os"}, false);
      } else {
        bank(Op1oSmall);
        SetNamedVisible(this, {"pnlOp1os_2"}, true);
      }
      break;
    case FieldId::OP1P: bank(line.Field.Width == 8 ? Op1p : Op1pSmall); break;
    case FieldId::OP1N: bank(Op1n); break;
    case FieldId::OP2N89: bank(Op2n89); break;
    case FieldId::OP2NET1: GetBtnSel(line, Op2net1.on, Op2net1.off); break;
    case FieldId::OP2N: bank(Op2n); break;
    case FieldId::OP2P: bank(Op2p); break;
    case FieldId::SW: GetBtnSel(line, Sw.on, Sw.off); break;
    case FieldId::ZeroP3N: bank(Op3n); break;
    case FieldId::OP3P: bank(Op3p); break;
    case FieldId::ENOP_OP:
      for (int i = 0; i < FieldBits(line.Field, static_cast<int>(Enop.size())); ++i) {
        Enop[i]->setVisible(line.Offered(i));
        if (line.Offered(i)) Enop[i]->setText(line.Caption(i));
      }
      break;
    default:
      break;
  }
}

void TOPForm::ParseEnded(const ChipDefinitionSeen& seen) {
  SetNamedVisible(this, {"pnlCoverOp2net1"}, !seen.OP2NET1);
  SetNamedVisible(this, {"pnlCoverRfb_1", "pnlCoverRfb_2", "pnlCoverRfb_3", "pnlCoverRfb_4", "pnlCoverRfb_5"},
                  !seen.RFB);
  SetNamedVisible(this,
                  {"pnlCoverRfb2_1", "pnlCoverRfb2_2", "pnlCoverRfb2_3", "pnlCoverRfb2_4", "pnlCoverRfb2_5",
                   "pnlCoverRfb2_6"},
                  !seen.RFB2);
  SetNamedVisible(this, {"pnlCoverOp2Out"}, !seen.OP2NET1 && !seen.RFB2);
  SetNamedVisible(this, {"pnlCoverOp2net1_2"}, !seen.OP2NET1 && seen.RFB2);
  SetNamedVisible(this, {"pnlCoverLpf_1", "pnlOp1ps"}, !seen.OP1P8);
  SetNamedEnabled(this, {"cmbRfb"}, seen.RFB);
  SetNamedEnabled(this, {"cmbRfb2"}, seen.RFB2);
  // A layout chosen anew shows the shadow, not what its bank showed under the other.
  if (Up()) {
    PaintOp1o();
    PaintOp1p();
  }
}
