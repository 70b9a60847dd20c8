#pragma once
// One capture of the analysis, run against the register API: the stream capture of
// the ADC (or, in I/Q mode, a series of hardware I/Q conversions), then the noise
// figures. The window passes its settings in and shows what comes back; the
// temperature test runs the same through the window. Nothing here touches a widget:
// message pumping, the main window's gauge, the status text and the warning box are
// hooks.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "adc_analysis/ekg_detector.h"
#include "adc_analysis/noise_figures.h"
#include "common/capture_texts.h"

class Clock;
class TMx_UP;
struct AnalysisState;

struct CaptureHooks {
  std::function<void()> ProcessMessages;
  std::function<void(int percent)> ShowGauge;  // the main window's gauge, shown at this progress
  std::function<void()> HideGauge;
  std::function<void(const QString& text)> Status;   // status-bar panel 2
  std::function<void(const QString& text)> Warning;  // a message box captioned "warning"
};

struct CaptureRequest {
  QString RefText;           // reference voltage for the nanovolt figures
  uint8_t Mode = 3;          // stream mode
  bool IqMode = false;       // "IQ Mode Result" checked and shown
  bool LiveChart = false;    // "Update Chart" checked
  bool Temperature = false;  // temperature scaling of the figures
  int DiffLength = 16;       // length of the moving sums of differences
  double Gain = 1;           // GetGain of the AD1GN and VR1GN fields
  std::optional<EkgParameters> Ekg;  // EKG mode
  bool EkgStatistics = false;        // the EKG switch is shown: beat statistics at the end
};

struct CaptureOutcome {
  bool Completed = false;  // every sample came, no stop request, no time-out
  FigureSet Figures;       // no channel when the I/Q set-up was refused
  std::optional<EkgSummary> Ekg;
};

// Ten seconds without data end a capture.
constexpr int64_t CaptureTimeoutUs = 10'000'000;

// The whole capture: register 2 written twice, the I/Q set-up check, the capture,
// the status text and the figures (also after a failed capture).
CaptureOutcome CatchACDCOM(TMx_UP& up, AnalysisState& st, const CaptureRequest& request, const CaptureHooks& hooks);

// The stream loop: start, polls until the samples are in, a stop request or the
// time-out, stop. Leaves the stream stopped and the capture idle on every exit,
// also when an error is raised. True on a normal end.
bool ReadADCALL(TMx_UP& up, AnalysisState& st, const CaptureRequest& request, const CaptureHooks& hooks,
                std::optional<EkgSummary>* ekg = nullptr);

// The interleaved ADC and temperature capture, stream mode 7: the pairs, then the
// figures of their ADC values. Completed is a normal end.
struct PairRequest {
  QString RefText;
  double Gain = 1;
  bool Filter = false;  // "Filter" checked
  int RejectLimit = 5;  // from "ECompare"
};
CaptureOutcome CatchACDCOMSH(TMx_UP& up, AnalysisState& st, const PairRequest& request, const CaptureHooks& hooks);
// Its stream loop: start, polls until the pairs are in or a stop request, stop (a
// board that sends no pairs keeps it polling until the stop). Status panel 2 shows
// after each poll the groups of the reply that were not taken. True on a normal end.
bool ReadADCSH(TMx_UP& up, AnalysisState& st, const PairRequest& request, const CaptureHooks& hooks);

// The I/Q loop: one conversion a pair until NPoints pairs are in, a stop request or
// the time-out. True when all pairs came.
bool CatchADI(TMx_UP& up, AnalysisState& st, const CaptureRequest& request, const CaptureHooks& hooks);

// Waits more than `seconds` while messages are processed, showing the seconds field
// of the elapsed time.
void WaitTRIGER(Clock& clock, int seconds, const std::function<void()>& processMessages,
                const std::function<void(const QString&)>& status);
