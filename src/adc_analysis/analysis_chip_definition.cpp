// The analysis window's side of the chip definition: the optional EKG and I/Q controls.
#include <QCheckBox>
#include <QGroupBox>

#include "adc_analysis/analysis_window.h"

void TAnxADC::CreateChipDefinitionControls() {
  ChangeADI = new QCheckBox("IQ Mode Result", this);
  ChangeADI->setObjectName("ChangeADI");
  ChangeADI->setGeometry(4, 4, 140, 20);
  ChangeADI->hide();
  cbEKG = new QCheckBox("EKG", this);
  cbEKG->setObjectName("cbEKG");
  cbEKG->setGeometry(4, 28, 140, 20);
  cbEKG->hide();
  gbECG = new QGroupBox("ECG", this);
  gbECG->setObjectName("gbECG");
  gbECG->setGeometry(4, 52, 200, 90);
  gbECG->hide();
}

void TAnxADC::DefinitionOpened() {
  cbEKG->hide();
  gbECG->hide();
  ChangeADI->hide();
}

void TAnxADC::KeywordMet(uint16_t code) {
  if (code == ChipKeyword::Ekg) {
    cbEKG->show();
    if (cbEKG->isChecked()) gbECG->show();
  } else if (code == ChipKeyword::CatchIq) {
    ChangeADI->show();
  }
}

void TAnxADC::ParseEnded(const ChipDefinitionSeen&) {
  if (cbEKG->isHidden()) {
    cbEKG->setChecked(false);  // its click handler runs on the change
    Series2InLegend = false;
  } else {
    Series2InLegend = true;
  }
  // Both boxes may come checked from the configuration while "IQ Mode Result" was not
  // yet offered: now that I/Q mode is on, EKG is refused as a click on it would be.
  if (IqMode() && cbEKG->isChecked()) {
    cbEKG->setChecked(false);
    Warn(kIqEkgExclusive);
  }
  // A checked "IQ Mode Result" that the definition now offers, or no longer offers,
  // changes the mode: the window takes its layout as a click on the box would give it.
  if (layoutIq_ != IqMode()) ChangeADIClick();
}
