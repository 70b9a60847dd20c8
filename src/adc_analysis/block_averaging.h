#pragma once
// Recalculation of the last capture from block means: every m consecutive values
// (m = 1, 2, 4, 8, 16, 32) are replaced by their mean, the grid is rewritten with
// the means and the figures are computed from them. The captured values stay as
// they are, so m = 1 gives back the unaveraged view.

#include "adc_analysis/noise_figures.h"

struct AnalysisState;

// ADC mode writes WorkSamples, the grid and Channels[0]; I/Q mode the grid,
// AdiMean, AdqMean and Channels[1] and [2]. The temperature mode does not apply.
// With no capture, or fewer values than one block, only the grid is emptied and
// the result holds no channel.
FigureSet ReCalADC(AnalysisState& st, const FigureScale& scale, bool iqMode, int m);
