#include "block_panels/wave_viewer.h"

TShowWaveForm::TShowWaveForm(Program& program, QWidget* parent)
    : TPanelForm(program, "ShowWaveForm", QString::fromUtf8("ShowWaveForm--From Load Ram Button "), parent) {
  resize(640, 480);
}

void TShowWaveForm::FormCreate() {}

void TShowWaveForm::FormClose() {}

void TShowWaveForm::DataUpdate() {}

bool TShowWaveForm::LoadAsDac() { return false; }
