#include "shell/setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QVBoxLayout>

#include "link/chip_definition.h"
#include "shell/program.h"

TOption::TOption(Program& program, QWidget* parent)
    : TDialogForm(program, "Option", QString::fromUtf8("選項"), parent) {
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  CbSeluP = new QComboBox(this);
  CbSeluP->setObjectName("CbSeluP");
  layout->addWidget(CbSeluP);
  Photo = new QCheckBox("Photo", this);
  Photo->setObjectName("Photo");
  layout->addWidget(Photo);
  CreateChipDefinitionControls();
  connect(CbSeluP, &QComboBox::activated, this, &TOption::CbSeluPChange);
  resize(480, 360);
}

void TOption::FormCreate() {
  P.G.IncludeDir = P.ExeDir;
  CbSeluP->clear();
  CbSeluP->addItems(ProductListItems(P.G.IncludeDir));
  CbSeluP->setCurrentIndex(0);
  P.G.Channels[0].ProductIndex = 0;
  P.G.Channels[0].LinkKind = LinkKindUsb;
  GetSELUP();
}

void TOption::FormClose() {}

void TOption::ShowSetup(int left, int top) {
  move(left, top);
  exec();
}

void TOption::ChennalComChange() {
  const STND& ch = P.G.Channels[0];
  if (ch.ProductIndex < CbSeluP->count()) CbSeluP->setCurrentIndex(ch.ProductIndex);
  P.G.Channels[0].LinkKind = LinkKindUsb;
  GetSELUP();
}

QString TOption::ProductText(int index) const {
  return index >= 0 && index < CbSeluP->count() ? CbSeluP->itemText(index) : QString();
}

bool TOption::GetSELUP() { return P.ChipDef.GetSELUP(); }

uint16_t TOption::IsPseudo(const QString& word) { return ChipDefinition::IsPseudo(word); }

void TOption::CbSeluPChange(int index) {
  if (index < 0) return;
  P.G.Channels[0].ProductIndex = static_cast<uint16_t>(index);
  GetSELUP();
}
