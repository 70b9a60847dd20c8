#pragma once
// The noise figures of a capture: average, peak-to-peak and RMS noise in counts and
// nanovolts, effective bits and noise-free bits, as shown in the analysis window and
// stored in the channel records' results.

#include <QString>
#include <optional>

#include "common/channel_records.h"
#include "common/figure_checks.h"

struct AnalysisState;

// The analog gain of the AD1GN (0..7) and VR1GN field values.
double GetGain(unsigned ad1gn, unsigned vr1gn);
// The reference voltage typed as text; 1.2 V when it is no number or 0.
double ReferenceVolts(const QString& text);

struct FigureScale {
  int Bits = 23;             // B
  int Divisor = 1;           // D = 2^(23 - B)
  double Gain = 1;
  double Vref = 1.2;         // volts
  bool Temperature = false;  // temperature mode: values x 256, LSB divisor 2^25
};

// The scale of the next figures, from the window's settings.
FigureScale MakeScale(int bits, int divisor, double gain, const QString& refText, bool temperature);

// The seven figures as shown; in temperature mode the average and the count figures
// are shown in units of 1/256 and stored divided by 256.
struct ChannelFigures {
  FigureValues Values{};
  bool Temperature = false;

  double operator[](Figure f) const { return Values[f]; }
  void StoreIn(STND& channel) const;
};

// What a capture or a recalculation shows: no channel (nothing changed), one (ADC)
// or two (ADI, ADQ), and the RMS of the values for the hidden RMS panel. A capture
// that kept no value shows its channels' figures, and the RMS, as NoFigure: empty.
struct FigureSet {
  int Count = 0;
  ChannelFigures Channel[2];
  std::optional<double> Vrms;
};

// The figures from the mean and standard deviation of the values (in the values'
// units) and their extremes before the divisor. No values give no figures (every one
// NoFigure), not the figures of a spread of 0. Overflows raise EMathError.
ChannelFigures NoiseFigures(const FigureScale& scale, double mean, double sigma, double max, double min,
                            int count);

// Figures of the last ADC capture (values read back from the grid) into Channels[0];
// the I/Q and interleaved captures store theirs likewise, NoFigure when none came.
FigureSet StoreAdcCaptureFigures(AnalysisState& st, const FigureScale& scale);
// Figures of the last I/Q capture into Channels[1] (ADI) and Channels[2] (ADQ).
FigureSet StoreIqCaptureFigures(AnalysisState& st, const FigureScale& scale);

// Figures of the last interleaved capture, from the ADC values of its pairs (before
// the divisor), into Channels[0]; WorkSamples takes those values for the chart.
FigureSet StorePairCaptureFigures(AnalysisState& st, const FigureScale& scale);

// Grid position of Q value k in the I/Q layout (M rows below the I values).
int IqQPosition(int npoints, int k);
