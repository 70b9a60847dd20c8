// The I/Q test's side of the chip definition: which run modes the chip offers.
#include <QFrame>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "impedance/iq_test_window.h"
#include "kit/plain_controls.h"

namespace {
QRadioButton* Radio(QWidget* parent, const char* name, const char* caption) {
  auto* r = new QRadioButton(caption, parent);
  r->setObjectName(name);
  parent->layout()->addWidget(r);
  return r;
}

QGroupBox* Group(QWidget* parent, const char* name, const char* caption) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  return g;
}
}  // namespace

void TIQForm::CreateChipDefinitionControls() {
  gbMode = Group(this, "gbMode", "Mode");
  auto* modes = new QVBoxLayout(gbMode);
  modes->setSpacing(4);
  rbACMode = Radio(gbMode, "rbACMode", "AC");
  rbDCMode = Radio(gbMode, "rbDCMode", "DC");
  rbACDCMode = Radio(gbMode, "rbACDCMode", "AC+DC");
  rbDCACMode = Radio(gbMode, "rbDCACMode", "DC+AC");
  rbDCACMode2 = Radio(gbMode, "rbDCACMode2", "DC+AC(ADC)");
  modes->addStretch(1);
  rbACMode->setChecked(true);
  rbDCMode->hide();
  gbDCSet = Group(this, "gbDCSet", "DC Set");
  gbDCType = Group(this, "gbDCType", "DC Type");
  pnlACMode = new QFrame(this);
  pnlACMode->setObjectName("pnlACMode");
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
