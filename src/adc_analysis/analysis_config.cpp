// What the main configuration keeps of the analysis window and the switched channel
// test, and the temperature test's requests of the analysis window's controls.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <qcustomplot.h>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "kit/plain_controls.h"

namespace {

int IndexOf(const QComboBox* box) { return box ? box->currentIndex() : -1; }

}  // namespace

TAnxADC::ConfigValues TAnxADC::ConfigShown() const {
  ConfigValues v;
  v.NPointIndex = IndexOf(NPointIndex);
  v.TXScale = IndexOf(TXScale);
  v.CFunADC = IndexOf(CFunADC);
  v.ComFun = IndexOf(ComFun);
  v.CMAVR = IndexOf(CMAVR);
  v.EREFV = EREFV->text();
  v.EGv = EGv->text();
  v.ChTemper = ChTemper->isChecked();
  v.ChangeADI = ChangeADI->isChecked();
  v.cbEKG = cbEKG->isChecked();
  v.updateChart = updateChart->isChecked();
  return v;
}

void TAnxADC::RestorePointsAndScale(int pointIndex, int scaleIndex) {
  SelectItem(NPointIndex, pointIndex);
  NPointIndexChange();
  Chart1->hide();
  MemoryF->show();
  ShowChart->setText("Chang to Chart");
  st.CaptureIdle = true;
  SelectItem(TXScale, scaleIndex);
  if (SwitchTest) SwitchTest->SelectScale(scaleIndex);
  TXScaleChange();
  st.MovingDiffMode = false;
}

void TAnxADC::ShowPointCount(int points) { NPointIndex->setCurrentIndex(NPointIndex->findText(QString::number(points))); }

void TAnxADC::RestoreFunction(int cfunIndex) { SelectItem(CFunADC, cfunIndex); }

void TAnxADC::RestorePresetChoice(int comFunIndex) { SelectItem(ComFun, comFunIndex); }

void TAnxADC::RestoreAveraging(int cmavrIndex) { SelectItem(CMAVR, cmavrIndex); }

void TAnxADC::RestoreGain(int egv, bool temperature) {
  EGv->setText(QString::number(egv));
  ChTemper->setChecked(temperature);
}

void TAnxADC::RestoreModes(bool changeAdi, bool ekg, bool liveChart) {
  ChangeADI->setChecked(changeAdi);
  cbEKG->setChecked(ekg);
  updateChart->setChecked(liveChart);
}

void TAnxADC::SetReferenceText(const QString& text) { EREFV->setText(text); }

void TAnxADC::EnableTemperatureCapture(bool enabled) { BADC->setEnabled(enabled); }

bool TAnxADC::FastReadChecked() const { return FastRead->isChecked(); }

void TWeightCAL::SelectScale(int index) { SelectItem(TXScale, index); }

int TWeightCAL::ShiftIndex() const { return IndexOf(ADShift); }

void TWeightCAL::SelectShift(int index) { SelectItem(ADShift, index); }
