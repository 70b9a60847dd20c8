// The I/Q test's hidden diagnostic box: single conversions, ADC phase readings, the
// four-phase measurement and the Loop Test. The box is never shown; its handlers
// still work on the window's fields. Errors are shown like the application's handler
// shows them.
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "common/errors.h"
#include "common/figure_text.h"
#include "impedance/impedance_math.h"
#include "impedance/iq_diagnostics.h"
#include "impedance/iq_test_looks.h"
#include "impedance/iq_test_window.h"
#include "kit/bench.h"
#include "link/mx_up.h"

namespace {

// One conversion of the diagnostics: split read, full refresh, polar form.
IQResult Convert(TMx_UP& up) {
  const IQConversion c = ConvertIQ(up, IQReadForm::Split, IQRefresh::Full, true);
  if (!c.Ok()) throw MxError(kIqConversionFailed);
  return c.Result;
}

uint8_t Shadow(TMx_UP& up, const TRegField& f) { return up.GetReg(f.Address, 0); }

}  // namespace

void TIQForm::PIQTEST0Click() {
  Guarded([this] {
    TMx_UP& up = Up();
    StartIqPath(up, Shadow(up, P.G.Fields.DGCON1));
    Convert(up);
  });
}

void TIQForm::PIQTEST1Click() {
  Guarded([this] {
    IQTestState& s = S();
    const PhaseSequence seq = RunPhaseSequence(Up());
    s.Y1 = seq.Result.Y;
    s.Theta1 = seq.Result.Theta;
    for (int p = 0; p < 4; ++p) readOut_[p][1]->setText(FormatF(seq.P[p]));
    ShowTexts(ConversionTexts(seq.Result, 1));
    s.Z = ComputeImpedance(Inputs(true));
    ShowTexts(ImpedanceTexts(s.Z, true));
  });
}

void TIQForm::PIQTEST2Click() {
  Guarded([this] {
    IQTestState& s = S();
    TMx_UP& up = Up();
    const uint8_t d = Shadow(up, P.G.Fields.DGCON1);
    MeasureSetup(up);
    StartIqPath(up, d);
    const IQResult r = Convert(up);
    s.Y2 = r.Y;
    s.Theta2 = r.Theta;
    ShowTexts(ConversionTexts(r, 2));
    // No phase reading is made: the column's phase fields show zero.
    for (int p = 0; p < 4; ++p) readOut_[p][2]->setText(FormatF(0));
    s.Z = ComputeImpedance(Inputs(true));
    ShowTexts(ImpedanceTexts(s.Z, false));
  });
}

void TIQForm::PADCPhaseClick(int phase) {
  Guarded([this, phase] {
    TMx_UP& up = Up();
    const FieldDescriptors& f = P.G.Fields;
    const uint8_t d = Shadow(up, f.DGCON1), a = Shadow(up, f.AD1RST);
    SelectAdcPhase(up, phase, d);
    ResetAdc(up, a);
    const AdcPhaseReading r = ReadAdcPhase(up);
    if (!r.Ok()) throw MxError(kAdcPhaseFailed);
    readOut_[phase][0]->setText(FormatF(r.Value));
    P.Refresh({RefreshView::MemoryView, RefreshView::RegisterView, RefreshView::OpAmpPanel});
  });
}

void TIQForm::PADCClick() {
  Guarded([this] {
    const AdcPhaseReading r = ReadAdcOutput(Up());
    // A reply without the status FAh shows nothing.
    if (r.Decoded) readOut_[3][0]->setText(FormatF(r.Value));
  });
}

void TIQForm::LoopTestClick() {
  if (Timer2->isActive()) {
    Timer2->stop();
    iq_looks::Unpaint(LoopTest);
  } else {
    Timer2->start();
    iq_looks::PaintRunning(LoopTest);
  }
}

void TIQForm::Timer2Timer() {
  Timer2->stop();
  // A tick that fails leaves the timer stopped; the next click starts it again.
  Guarded([this] {
    IQTestState& s = S();
    TMx_UP& up = Up();
    const FieldDescriptors& f = P.G.Fields;
    const uint8_t d = Shadow(up, f.DGCON1), a = Shadow(up, f.AD1RST);
    SelectAdcPhase(up, 0, d);
    ResetAdc(up, a);
    const IQResult r = Convert(up);
    s.Y0 = r.Y;
    s.Theta0 = r.Theta;
    ShowTexts(ConversionTexts(r, 0));
    Timer2->start();
  });
}
