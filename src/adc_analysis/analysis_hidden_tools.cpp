// The analysis window's hidden tools: the interleaved ADC and temperature capture,
// the single-value preview with its calibration, the ADC presets and the test-series
// loader. Their controls stay hidden; their handlers act when they are used.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include "adc_analysis/adc_presets.h"
#include "adc_analysis/analysis_window.h"
#include "adc_analysis/capture_loop.h"
#include "adc_analysis/single_value.h"
#include "adc_analysis/test_series.h"
#include "common/figure_text.h"
#include "common/number_text.h"
#include "kit/bench.h"
#include "kit/segment_display.h"
#include "link/mx_up.h"

// ---- interleaved ADC and temperature capture ----

void TAnxADC::BADCClick() {
  if (!st.CaptureIdle) {
    st.CaptureIdle = true;  // the running capture sees the stop after its next poll
    return;
  }
  SetLocked(true, false);
  auto unlock = qScopeGuard([this] { SetLocked(false, false); });
  CatchACDCOMSH(EREFV->text());
}

bool TAnxADC::CatchACDCOMSH(const QString& refText) {
  PairRequest req;
  req.RefText = refText;
  req.Gain = GetGain();
  req.Filter = ChFilter->isChecked();
  req.RejectLimit = ReadInteger(ECompare->text()).value_or(5);
  if (ResetAdcReadTool) ResetAdcReadTool();
  ClearFigureEdits();
  // The columns are fitted to the pairs once they are in.
  widestGridText_.clear();
  measuredSamples_ = measuredPairs_ = INT_MAX;
  auto after = qScopeGuard([this, release = HoldSelectors()] {
    release();
    MeasureGridTexts();
    RefreshGrid();
  });
  CaptureOutcome out = ::CatchACDCOMSH(*P.Mx_UP, st, req, Hooks());
  ShowFigures(out.Figures);
  return true;
}

// ---- single-value preview ----

SingleValueRequest TAnxADC::PreviewRequest() const {
  SingleValueRequest r;
  r.Photo = P.PhotoMode && P.PhotoMode();
  r.LinkKind = P.G.Channels[0].LinkKind;
  r.Combination = CFunADC->currentIndex();
  r.Address = HexStrToInt(PreADCAddr->text().trimmed());
  r.Divisor = P.G.ScaleDivisor;
  return r;
}

bool TAnxADC::RetADCValue(int& value) { return ::RetADCValue(*P.Mx_UP, PreviewRequest(), value); }

void TAnxADC::PreViewADCClick() {
  PreviewMode = 0;
  PreViewCom();
}

void TAnxADC::ExtADCClick() {
  PreviewMode = 1;
  PreViewCom();
}

void TAnxADC::PreViewCom() {
  const bool running = Timer1->isActive();
  if (running) {
    Timer1->stop();
    ADCPanel->hide();
  } else {
    Timer1->start();
    ADCPanel->show();
    ADCPanel->raise();
  }
  // No capture starts while the preview asks the board.
  for (QWidget* w : {static_cast<QWidget*>(BADC), static_cast<QWidget*>(ShowChart), static_cast<QWidget*>(CatchADC)})
    w->setEnabled(running);
}

void TAnxADC::Timer1Timer() {
  int v = 0;
  if (!RetADCValue(v)) return;  // the display keeps its last caption
  if (auto caption = PreviewCaption(PreviewMode, v, DmmCalValue, DmmCalReading)) LCDADCP->SetCaption(*caption);
}

void TAnxADC::BCALValClick() {
  int reading = DmmCalReading;
  CalibrationReadings(*P.Mx_UP, PreviewRequest(), reading);
  if (auto v = ReadInteger(CalVal->text())) DmmCalValue = *v;
  DmmCalReading = reading;
}

// ---- ADC presets ----

void TAnxADC::ComFunChange() {
  const int i = ComFun->currentIndex();
  RestoreAdcPreset(*P.Mx_UP, i == 0 ? AdcPresetScale : i == 1 ? AdcPresetDmm : nullptr);
  // The register-driven windows but the body-fat panel.
  P.Refresh(RefreshViews::All().Without(RefreshView::BodyfatPanel));
}

// ---- test series ----

void TAnxADC::Button1Click() {
  P.G.AppDir = P.ExeDir;
  const QString path = P.G.AppDir + "blood.csv";
  if (!QFile::exists(path)) return;
  LoadTestSeries(path, st, IntegerOrRaise(ENumD->text()));
}
