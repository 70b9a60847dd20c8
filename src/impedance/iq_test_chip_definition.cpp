// The I/Q test's side of the chip definition: which run modes the chip offers.
#include <QFrame>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "impedance/iq_test_window.h"
#include "shell/plain_controls.h"

namespace {
QRadioButton* Radio(QWidget* parent, const char* name, const char* caption) {
  auto* r = new QRadioButton(caption, parent);
  r->setObjectName(name);
  parent->layout()->addWidget(r);
  return r;
}

QGroupBox* Group(QWidget* parent, const char* name, const char* caption, const QRect& at) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  g->setGeometry(at);
  new QVBoxLayout(g);
  return g;
}
}  // namespace

void TIQForm::CreateChipDefinitionControls() {
  QGroupBox* mode = Group(this, "gbMode", "Mode", {4, 4, 140, 150});
  rbACMode = Radio(mode, "rbACMode", "AC");
  rbDCMode = Radio(mode, "rbDCMode", "DC");
  Radio(mode, "rbACDCMode", "AC+DC");
  Radio(mode, "rbDCACMode", "DC+AC");
  Radio(mode, "rbDCACMode2", "DC+AC(ADC)");
  rbACMode->setChecked(true);
  rbDCMode->hide();
  Group(this, "gbDCSet", "DC Set", {150, 4, 140, 150});
  Group(this, "gbDCType", "DC Type", {296, 4, 140, 150});
  auto* simple = new QFrame(this);
  simple->setObjectName("pnlACMode");
  simple->setGeometry(4, 160, 432, 100);
}

void TIQForm::DefinitionOpened() {
  SetNamedVisible(this, {"rbDCMode", "rbACDCMode", "rbDCACMode", "rbDCACMode2", "gbDCSet", "gbDCType", "pnlACMode"},
                  false);
}

void TIQForm::KeywordMet(uint16_t code) {
  if (code == ChipKeyword::DcMode)
    SetNamedVisible(this, {"rbDCMode", "rbACDCMode", "rbDCACMode", "rbDCACMode2", "gbDCSet", "gbDCType"}, true);
  else if (code == ChipKeyword::SimpleAcMode)
    SetNamedVisible(this, {"pnlACMode"}, true);
}

void TIQForm::ParseEnded(const ChipDefinitionSeen&) {
  if (rbDCMode->isHidden()) rbACMode->setChecked(true);
}
