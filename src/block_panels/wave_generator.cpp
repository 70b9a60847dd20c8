#include "block_panels/wave_generator.h"

#include <QPushButton>

TWaveGenForm::TWaveGenForm(Program& program, QWidget* parent)
    : TPanelForm(program, "WaveGenForm", QString::fromUtf8("Waveform Generator"), parent) {
  resize(640, 480);
  VodCorrection = new QPushButton("Vod Correction", this);
  VodCorrection->setObjectName("VodCorrection");
  VodCorrection->setEnabled(false);
  btnScan = new QPushButton("Scan", this);
  btnScan->setObjectName("btnScan");
  btnScan->setEnabled(false);
}

void TWaveGenForm::FormCreate() {}

void TWaveGenForm::FormClose() {}

void TWaveGenForm::DataUpdate() {}

void TWaveGenForm::LoadRegFile() {}

void TWaveGenForm::LoadDACRam() {}

void TWaveGenForm::SetTrimEnabled(bool enabled) {
  VodCorrection->setEnabled(enabled);
  btnScan->setEnabled(enabled);
}
