// The op-amp panel's side of the chip definition: its switch banks, the two layouts
// of OP1O and OP1P, the enables and the cover panels.
#include <QComboBox>
#include <QFrame>
#include <QLabel>

#include "block_panels/opamp_panel.h"
#include "shell/field_selectors.h"
#include "shell/plain_controls.h"

namespace {

// Glyph pairs prefix + "On"/"Off" + index for from .. to; labels as given.
TOPForm::Bank MakeBank(PlainControls& c, const QString& prefix, int from, int to, const QString& labelPrefix) {
  TOPForm::Bank b;
  b.on = c.Glyphs(prefix + "On", from, to);
  b.off = c.Glyphs(prefix + "Off", from, to);
  for (QWidget* g : b.on) g->hide();
  if (!labelPrefix.isEmpty()) b.labels = c.Labels(labelPrefix, from, to);
  c.NewRow();
  return b;
}

// The small banks' labels carry no component name of their own; they read 0, 1, ...
std::vector<QLabel*> SmallBankLabels(QWidget* panel, const QString& name, int count, int left, int top, int step) {
  std::vector<QLabel*> v;
  for (int i = 0; i < count; ++i) {
    auto* l = new QLabel(QString::number(i), panel);
    l->setObjectName(name + QString::number(i));
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(left, top + step * i, 49, 13);
    v.push_back(l);
  }
  return v;
}

}  // namespace

void TOPForm::CreateChipDefinitionControls() {
  PlainControls c(this);
  Op1o = MakeBank(c, "btnOp1o", 0, 5, "lblOp1O");
  Op1p = MakeBank(c, "btnOp1p", 0, 7, "lblOp1p");
  Op1n = MakeBank(c, "btnOp1n", 0, 7, "lblOp1n");
  // OP2N's bank has switches 0..9; OP2N89 drives 8 and 9.
  Bank op2n = MakeBank(c, "btnOp2n", 0, 9, "lblOp2n");
  Op2n = {{op2n.on.begin(), op2n.on.begin() + 8}, {op2n.off.begin(), op2n.off.begin() + 8},
          {op2n.labels.begin(), op2n.labels.begin() + 8}};
  Op2n89 = {{op2n.on.begin() + 8, op2n.on.end()}, {op2n.off.begin() + 8, op2n.off.end()},
            {op2n.labels.begin() + 8, op2n.labels.end()}};
  Op2net1 = MakeBank(c, "btnOp2Net1", 4, 7, QString());
  Op2p = MakeBank(c, "btnOp2p", 0, 7, "lblOp2p");
  Sw = MakeBank(c, "btnSw", 1, 4, QString());
  Op3n = MakeBank(c, "btnOp3n", 0, 7, "lblOp3n");
  Op3p = MakeBank(c, "btnOp3p", 0, 7, "lblOp3p");

  QFrame* op1os = c.Frame("pnlOp1os", 130, 90);
  QFrame* op1ps = c.Frame("pnlOp1ps", 70, 170);
  PlainControls small1(op1os, 4, 25);
  Op1oSmall.on = small1.Glyphs("btnOp1os2On", 0, 2);
  Op1oSmall.off = small1.Glyphs("btnOp1os2Off", 0, 2);
  Op1oSmall.labels = SmallBankLabels(op1os, "lblOp1os2_", 3, 71, 25, 20);
  PlainControls small2(op1ps, 4, 33);
  Op1pSmall.on = small2.Glyphs("btnOp1ps2On", 1, 7);
  Op1pSmall.off = small2.Glyphs("btnOp1ps2Off", 1, 7);
  Op1pSmall.labels = SmallBankLabels(op1ps, "lblOp1ps2_", 7, 15, 33 + 19, 19);
  for (QWidget* g : Op1oSmall.on) g->hide();
  for (QWidget* g : Op1pSmall.on) g->hide();
  c.Panel("pnlOp1os_2", "OP1OS[5:3]")->hide();
  c.NewRow();

  for (int i = 1; i <= 3; ++i) Enop.push_back(c.Panel(QString("pnlEnop%1").arg(i), QString("ENOP%1").arg(i)));
  c.Combo("cmbRfb", PlainControls::Codes(2));
  c.Combo("cmbRfb2", PlainControls::Codes(2));
  c.NewRow();
  for (const char* n : {"pnlCoverOp2net1", "pnlCoverRfb_1", "pnlCoverRfb_2", "pnlCoverRfb_3", "pnlCoverRfb2_1",
                        "pnlCoverRfb2_2", "pnlCoverRfb2_3", "pnlCoverRfb2_4", "pnlCoverLpf_1"})
    c.Cover(n);
}

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
  SetNamedVisible(this, {"pnlCoverRfb_1", "pnlCoverRfb_2", "pnlCoverRfb_3"}, !seen.RFB);
  SetNamedVisible(this, {"pnlCoverRfb2_1", "pnlCoverRfb2_2", "pnlCoverRfb2_3", "pnlCoverRfb2_4"}, !seen.RFB2);
  SetNamedVisible(this, {"pnlCoverLpf_1", "pnlOp1ps"}, !seen.OP1P8);
  SetNamedEnabled(this, {"cmbRfb"}, seen.RFB);
  SetNamedEnabled(this, {"cmbRfb2"}, seen.RFB2);
}
