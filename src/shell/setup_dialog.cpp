#include "shell/setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QVBoxLayout>

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
  resize(480, 360);
}

void TOption::FormCreate() {
  P.G.Channels[0].LinkKind = LinkKindUsb;
  if (CbSeluP->count() > 0) CbSeluP->setCurrentIndex(0);
}

void TOption::FormClose() {}

void TOption::ShowSetup(int left, int top) {
  move(left, top);
  exec();
}

void TOption::ChennalComChange() { P.G.Channels[0].LinkKind = LinkKindUsb; }

QString TOption::ProductText(int index) const {
  return index >= 0 && index < CbSeluP->count() ? CbSeluP->itemText(index) : QString();
}
